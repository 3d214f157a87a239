#!/usr/bin/env bash
# CPU seconds (user + system) of `bigraph classify --no-run` on each input NAME.txt, and of
# PARI/GP's matdet, qfsign and matkerint on the same S = G + G^T (NAME.gp), one line per input.
# usage: time_classify.sh BIGRAPH INPUTDIR [NAME ...]   (PARI/GP skipped when gp is absent,
# or when GP=0; each gp run limited to GP_LIMIT seconds, default 600, shown as ">LIMIT")
set -euo pipefail
bigraph=$1
dir=$2
shift 2
names=("$@")
[ ${#names[@]} -eq 0 ] && names=($(cd "$dir" && ls *.txt | sed 's/\.txt$//'))
cpu() { /usr/bin/time -f '%U %S' "$@" 2>&1 >/dev/null | tail -1 | awk '{printf "%.2f", $1 + $2}'; }
printf '%-16s %10s %10s\n' input bigraph pari-gp
for name in "${names[@]}"; do
  ours=$(cpu "$bigraph" classify --no-run "$dir/$name.txt")
  theirs=-
  if [ "${GP:-1}" != 0 ] && command -v gp >/dev/null; then
    script=$(mktemp)
    printf 'read("%s");\nd = matdet(S); s = qfsign(S); k = matkerint(S);\nquit;\n' \
      "$dir/$name.gp" > "$script"
    limit=${GP_LIMIT:-600}
    theirs=$(cpu timeout "$limit" gp -q -s 2G "$script" || true)
    [ "$(awk -v t="$theirs" -v l="$limit" 'BEGIN { print (t + 0 >= l * 0.98) }')" = 1 ] && theirs=">$limit"
    rm -f "$script"
  fi
  printf '%-16s %10s %10s\n' "$name" "$ours" "$theirs"
done
