#!/usr/bin/env python3
"""End-to-end tests of the built `bigraph` program: input forms, refusals, JSON checked against
a schema and by exact arithmetic, CSV, --jobs, Ctrl-C in sweeps (with --resume) and in classify, the progress line (tmux)."""
import csv
import io
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest
from fractions import Fraction

PROGRAM = None  # set from the command line
TMP = tempfile.mkdtemp(prefix="bigraph_e2e_")


def run(args, stdin=b"", timeout=120):
    p = subprocess.run([PROGRAM] + args, input=stdin, capture_output=True, timeout=timeout)
    return p.returncode, p.stdout.decode(), p.stderr.decode()


def write(name, text):
    path = os.path.join(TMP, name)
    with open(path, "w") as f:
        f.write(text)
    return path


# --- a small JSON schema checker: a schema is a type name, a list [item schema], a dict of
# member schemas (all required, no others), or a tuple of alternatives.
INT = "int"
def matrix_of(n=None):
    return [[INT]]

RUN_SCHEMA = {
    "rule": "str", "seed": (INT, None), "steps": INT, "ended": "str", "error": ("str", None),
    "shape": "str", "pairs": [[INT]], "result": [[INT]], "certificate": ([[INT]], None),
    "verified": ("str", None),
}
CLASSIFY_SCHEMA = {
    "vertices": INT, "dotted_edges": INT, "solid_edges": INT, "loop_free": "bool",
    "connected": "bool", "components": INT, "signature": [INT], "definiteness": "str",
    "corank": INT, "det": INT, "dynkin_type": ("str", None), "kernel": [[INT]],
    "witness": ([INT], None), "run": (RUN_SCHEMA, None),
}
SWEEP_SCHEMA = dict(CLASSIFY_SCHEMA, input="str", n=(INT, None), r=(INT, None))


def conforms(value, schema):
    if schema is None:
        return value is None
    if isinstance(schema, tuple):
        return any(conforms(value, s) for s in schema)
    if schema == INT:
        return isinstance(value, int) and not isinstance(value, bool)
    if schema == "str":
        return isinstance(value, str)
    if schema == "bool":
        return isinstance(value, bool)
    if isinstance(schema, list):
        return isinstance(value, list) and all(conforms(v, schema[0]) for v in value)
    if isinstance(schema, dict):
        return (isinstance(value, dict) and set(value) == set(schema)
                and all(conforms(value[k], s) for k, s in schema.items()))
    raise ValueError(schema)


def symmetric(upper):
    n = len(upper)
    return [[(upper[i][j] if i <= j else 0) + (upper[j][i] if j <= i else 0) for j in range(n)]
            for i in range(n)]


def det(m):
    a = [[Fraction(x) for x in row] for row in m]
    n, d = len(a), Fraction(1)
    for c in range(n):
        p = next((r for r in range(c, n) if a[r][c] != 0), None)
        if p is None:
            return 0
        if p != c:
            a[c], a[p] = a[p], a[c]
            d = -d
        d *= a[c][c]
        for r in range(c + 1, n):
            f = a[r][c] / a[c][c]
            for k in range(c, n):
                a[r][k] -= f * a[c][k]
    return int(d)


def mul(a, b):
    return [[sum(a[i][k] * b[k][j] for k in range(len(b))) for j in range(len(b[0]))]
            for i in range(len(a))]


def transpose(a):
    return [list(r) for r in zip(*a)] if a else []


class Check:
    """Checks a classify object against the schema and by exact arithmetic in Python."""

    @staticmethod
    def classification(test, obj, upper, schema=CLASSIFY_SCHEMA):
        test.assertTrue(conforms(obj, schema), obj)
        s = symmetric(upper)
        test.assertEqual(obj["det"], det(s) if s else 1)
        for v in obj["kernel"]:
            test.assertEqual(mul(s, [[x] for x in v]), [[0]] * len(s))
        if obj["witness"] is not None:
            w = obj["witness"]
            test.assertLess(mul(mul([w], s), [[x] for x in w])[0][0], 0)
        r = obj["run"]
        if r and r["certificate"] is not None:
            b = r["certificate"]
            test.assertEqual(mul(mul(transpose(b), s), b), symmetric(r["result"]))


E8_ROWS = "1 -1 0 1 -1 0 1 -1\n" + "\n".join(
    " ".join("0" for _ in range(k)) + " " + " ".join(
        str(v) for v in [1, -1, 0, 1, -1, 0, 1, -1][:8 - k]) for k in range(1, 8)) + "\n"


class Classify(unittest.TestCase):
    def nakayama_8_3(self):
        code, out, _ = run(["classify", "--nakayama", "8", "3", "--format", "json"])
        self.assertEqual(code, 0)
        return json.loads(out)

    def test_e8_as_in_the_documentation(self):
        obj = self.nakayama_8_3()
        self.assertEqual(obj["dynkin_type"], "E8")
        self.assertEqual(obj["signature"], [8, 0, 0])
        self.assertEqual(obj["run"]["shape"], "Dynkin graph E_8")
        self.assertEqual(obj["run"]["steps"], 14)
        self.assertEqual(obj["run"]["pairs"][:2], [[5, 8], [6, 8]])
        self.assertIsNone(obj["run"]["certificate"])

    def test_every_input_form_gives_the_same_class(self):
        ref = self.nakayama_8_3()
        upper = ref["run"]["result"]  # any matrix will do; take the input back via --no-run
        code, out, _ = run(["classify", "--nakayama", "8", "3", "--format", "json", "--no-run"])
        g = json.loads(out)
        self.assertIsNone(g["run"])
        # The input matrix itself, written in each form.
        from_core = [[0] * 8 for _ in range(8)]
        pattern = {1: -1, 2: 1, 3: 0}
        for i in range(8):
            from_core[i][i] = 1
            for j in range(i + 1, 8):
                d = j - i
                from_core[i][j] = -1 if d == 1 else (1 if (d + 1) % 3 == 1 else (-1 if (d + 1) % 3 == 2 else 0))
        rows = "\n".join(" ".join(map(str, r)) for r in from_core) + "\n"
        lower = [[from_core[i][j] if j >= i else 0 for j in range(8)] for i in range(8)]
        forms = {
            "rows.txt": rows,
            "dialogue.txt": "# the dialogue form\n8\n" + rows,
            "gram.json": json.dumps({"gram": lower, "note": [1.5, None]}),
        }
        for name, text in forms.items():
            code, out, err = run(["classify", write(name, text), "--format", "json"])
            self.assertEqual((code, err), (0, ""), name)
            obj = json.loads(out)
            self.assertEqual(obj, ref, name)
        code, out, _ = run(["classify", "-", "--format", "json"], stdin=rows.encode())
        self.assertEqual(json.loads(out), ref)
        del upper

    def test_certificate_checked_again_in_python(self):
        for args in (["--nakayama", "12", "11"], ["--nakayama", "9", "5", "--rule", "random", "--seed", "3"]):
            code, out, _ = run(["classify"] + args + ["--certificate", "--format", "json"])
            self.assertEqual(code, 0)
            obj = json.loads(out)
            self.assertEqual(obj["run"]["verified"], "exact")
            n, r = int(args[1]), int(args[2])
            code, out, _ = run(["classify", "--nakayama", str(n), str(r), "--no-run", "--format", "json"])
            self.assertIsNone(json.loads(out)["run"])
            Check.classification(self, obj, nakayama(n, r))

    def test_random_rule_is_reproducible_and_prints_its_seed(self):
        args = ["classify", "--nakayama", "14", "13", "--rule", "random", "--format", "json"]
        a = json.loads(run(args + ["--seed", "99"])[1])
        b = json.loads(run(args + ["--seed", "99"])[1])
        self.assertEqual(a, b)
        self.assertEqual(a["run"]["seed"], 99)
        c = json.loads(run(args)[1])
        self.assertTrue(isinstance(c["run"]["seed"], int))

    def test_big_entries_indefinite_and_loops_stay_valid_json(self):
        big = 10 ** 70 + 7
        cases = [
            [[1, big, 0], [0, 1, -big], [0, 0, 1]],   # indefinite, huge
            [[0, 1, 1], [0, 0, 1], [0, 0, 1]],         # zero diagonal: the run fails
            [[2, -1], [0, 2]],                          # loops
            [[1, -1, -1], [0, 1, -1], [0, 0, 1]],       # Euclidean A~2
            [],
        ]
        for upper in cases:
            path = write("case.json", json.dumps({"gram": upper}))
            code, out, err = run(["classify", path, "--format", "json", "--max-steps", "20",
                                  "--certificate"])
            self.assertEqual(code, 0, err)
            obj = json.loads(out)
            Check.classification(self, obj, upper)
            subprocess.run([sys.executable, "-m", "json.tool"], input=out.encode(), check=True,
                           capture_output=True)
        self.assertEqual(json.loads(run(["classify", write("e.json", json.dumps({"gram": cases[1]})),
                                         "--format", "json", "--max-steps", "5"])[1])["run"]["ended"], "error")

    def test_not_positive_runs_only_on_request(self):
        path = write("nonneg.txt", "1 2 2\n0 1 2\n0 0 1\n")
        obj = json.loads(run(["classify", path, "--format", "json"])[1])
        self.assertEqual((obj["definiteness"], obj["corank"]), ("non-negative", 2))
        self.assertIsNone(obj["run"])
        obj = json.loads(run(["classify", path, "--format", "json", "--max-steps", "3"])[1])
        self.assertLessEqual(obj["run"]["steps"], 3)

    def test_text_report(self):
        code, out, _ = run(["classify", "--nakayama", "8", "3", "--certificate"])
        self.assertEqual(code, 0)
        for line in ["Dynkin type     E8", "shape           Dynkin graph E_8", "steps           14",
                     "verified: exact"]:
            self.assertIn(line, out)

    def test_ctrl_c_stops_a_long_classification(self):
        # Entries near 2^40 keep the work on exact integers, for far longer than the wait here.
        import random
        rng = random.Random(7)
        n = 300
        path = write("slow.txt", "\n".join(
            " ".join(str(rng.randint(-2**40, 2**40) if j >= i else 0) for j in range(n))
            for i in range(n)) + "\n")
        p = subprocess.Popen([PROGRAM, "classify", "--no-run", path], stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE)
        time.sleep(2)
        p.send_signal(signal.SIGINT)
        out, err = p.communicate(timeout=60)
        self.assertEqual(p.returncode, 130, err)
        self.assertEqual(out, b"")
        self.assertEqual(err, b"bigraph: interrupted\n")


def nakayama(n, r):
    g = [[0] * n for _ in range(n)]
    for i in range(n):
        g[i][i] = 1
    if r <= 1:
        return g
    for k in range(n - 1):
        g[k][k + 1] = -1
    if r >= n:
        return g
    for d in range(2, n):
        t = (d + 1) % r
        v = 1 if t == 1 else (-1 if t == 2 % r else 0)
        for k in range(n - d):
            g[k][k + d] = v
    return g


class Refusals(unittest.TestCase):
    CASES = [
        ("empty.txt", "", "empty.txt:1:1: empty input, a Gram matrix was expected"),
        ("word.txt", "1 0\n0 one\n", "word.txt:2:3: expected an integer, read \"one\""),
        ("ragged.txt", "1 0 0\n0 1\n", "ragged.txt:3:1: the matrix is not square"),
        ("lower.txt", "1 0\n3 1\n", "lower.txt:2:1: entry (2, 1) below the diagonal is not zero"),
        ("huge.txt", "3000000000\n1\n", "huge.txt:1:1: the number of vertices is too large for memory"),
        ("bad.json", "{\"gram\": [[1,]]}", "bad.json:1:14: unexpected character"),
    ]

    def test_bad_input_one_line_status_2(self):
        for name, text, message in self.CASES:
            for command in (["classify"], ["sweep"]):
                code, out, err = run(command + [write(name, text)])
                self.assertEqual(code, 2, name)
                self.assertEqual(out, "")
                self.assertEqual(err.count("\n"), 1, err)
                self.assertTrue(err.startswith("bigraph: " + os.path.join(TMP, message)), err)

    def test_missing_file(self):
        code, _, err = run(["classify", "/nonexistent/x.txt"])
        self.assertEqual(code, 2)
        self.assertIn("/nonexistent/x.txt:1:1: cannot open", err)

    def test_bad_command_lines_status_1(self):
        for args in [[], ["frobnicate"], ["classify"], ["classify", "--nakayama", "3"],
                     ["classify", "--rule", "sideways", "--nakayama", "3", "2"],
                     ["classify", "--nakayama", "3", "2", "x.txt"],
                     ["sweep", "--nakayama", "5..3", "2..n"], ["sweep"],
                     ["sweep", "--nakayama", "3..4", "2..n", "--jobs", "0"],
                     ["classify", "--nakayama", "3", "2", "--max-steps", "0"]]:
            code, out, err = run(args)
            self.assertEqual(code, 1, args)
            self.assertIn("--help", err)

    def test_help_and_version(self):
        for args in [["--help"], ["classify", "--help"], ["sweep", "--help"], ["--version"]]:
            code, out, _ = run(args)
            self.assertEqual(code, 0)
            self.assertTrue(out)


def masked_csv(text):
    rows = list(csv.reader(io.StringIO(text)))
    return [r[:-1] for r in rows]


class Sweep(unittest.TestCase):
    ARGS = ["sweep", "--nakayama", "3..24", "2..n"]

    def test_jsonl_same_for_one_and_two_jobs(self):
        c1, one, _ = run(self.ARGS + ["--jobs", "1"])
        c2, two, _ = run(self.ARGS + ["--jobs", "2"])
        self.assertEqual((c1, c2), (0, 0))
        self.assertEqual(one, two)
        lines = one.splitlines()
        self.assertEqual(len(lines), sum(n - 1 for n in range(3, 25)))
        for line in lines:
            obj = json.loads(line)
            self.assertTrue(conforms(obj, SWEEP_SCHEMA), line)
            self.assertEqual(obj["input"], "nakayama %d %d" % (obj["n"], obj["r"]))
            if obj["definiteness"] == "positive":
                self.assertEqual(obj["run"]["ended"], "no dotted edge")
        first = json.loads(lines[0])
        self.assertEqual((first["n"], first["r"]), (3, 2))

    def test_csv_parses_and_matches_jsonl(self):
        code, out, _ = run(self.ARGS + ["--format", "csv", "--jobs", "2"])
        self.assertEqual(code, 0)
        rows = list(csv.DictReader(io.StringIO(out)))
        self.assertEqual(list(rows[0].keys()), ["input", "n", "r", "vertices", "definiteness",
                                                "corank", "det", "dynkin_type", "steps", "ended",
                                                "shape", "seconds"])
        objs = [json.loads(l) for l in run(self.ARGS)[1].splitlines()]
        self.assertEqual(len(rows), len(objs))
        for row, obj in zip(rows, objs):
            self.assertEqual(row["input"], obj["input"])
            self.assertEqual(int(row["det"]), obj["det"])
            self.assertEqual(row["dynkin_type"], obj["dynkin_type"] or "")
            self.assertEqual(row["shape"], obj["run"]["shape"] if obj["run"] else "")
            float(row["seconds"])
        self.assertEqual(masked_csv(out), masked_csv(run(self.ARGS + ["--format", "csv", "--jobs", "1"])[1]))

    def test_files_follow_the_nakayama_items(self):
        path = write("one.txt", "1 -1\n0 1\n")
        code, out, _ = run(["sweep", "--nakayama", "3..3", "2..3", path, "-"], stdin=b"2\n1 1\n0 1\n")
        self.assertEqual(code, 0)
        names = [json.loads(l)["input"] for l in out.splitlines()]
        self.assertEqual(names, ["nakayama 3 2", "nakayama 3 3", path, "-"])

    def interrupted_then_resumed(self, fmt):
        args = ["sweep", "--nakayama", "3..70", "2..n", "--jobs", "2", "--format", fmt]
        whole = run(args, timeout=600)[1]
        part = os.path.join(TMP, "part." + fmt)
        with open(part, "w") as out:
            p = subprocess.Popen([PROGRAM] + args, stdout=out, stderr=subprocess.PIPE)
            deadline = time.time() + 60
            while os.path.getsize(part) < 20000 and time.time() < deadline:
                time.sleep(0.02)
            p.send_signal(signal.SIGINT)
            _, err = p.communicate(timeout=60)
        self.assertEqual(p.returncode, 130, err)
        self.assertIn(b"interrupted", err)
        with open(part) as f:
            text = f.read()
        self.assertTrue(text.endswith("\n"))
        self.assertLess(len(text), len(whole))
        with open(part, "a") as out:
            code = subprocess.run([PROGRAM] + args + ["--resume", part], stdout=out,
                                  timeout=600).returncode
        self.assertEqual(code, 0)
        with open(part) as f:
            resumed = f.read()
        return whole, resumed

    def test_resume_after_ctrl_c_gives_the_whole_output(self):
        whole, resumed = self.interrupted_then_resumed("jsonl")
        self.assertEqual(resumed, whole)
        whole, resumed = self.interrupted_then_resumed("csv")
        self.assertEqual(masked_csv(resumed), masked_csv(whole))

    def test_resume_refuses_a_cut_line(self):
        path = write("cut.jsonl", "{\"input\": \"nakayama 3 2\"")
        code, _, err = run(["sweep", "--nakayama", "3..4", "2..n", "--resume", path])
        self.assertEqual(code, 2)
        self.assertIn("cut.jsonl:1:1: the last line is incomplete", err)

    def test_no_progress_line_when_not_a_terminal(self):
        code, _, err = run(self.ARGS)
        self.assertEqual((code, err), (0, ""))


@unittest.skipUnless(shutil.which("tmux"), "tmux is not installed")
class ProgressOnTerminal(unittest.TestCase):
    def test_progress_line_shows_while_running(self):
        sock = "bigraph_e2e_%d" % os.getpid()
        out = os.path.join(TMP, "progress.jsonl")
        tmux = ["tmux", "-L", sock, "-f", "/dev/null"]
        command = "%s sweep --nakayama 3..90 2..n --jobs 1 > %s; sleep 30" % (PROGRAM, out)
        subprocess.run(tmux + ["new-session", "-d", "-s", "p", "-x", "150", "-y", "10", command],
                       check=True)
        try:
            seen = ""
            deadline = time.time() + 60
            while time.time() < deadline and "items/s" not in seen:
                time.sleep(0.1)
                seen = subprocess.run(tmux + ["capture-pane", "-p", "-t", "p"],
                                      capture_output=True, text=True).stdout
            self.assertIn("items/s", seen)
            self.assertRegex(seen, r"\d+/4004 items, [\d.]+ items/s, at nakayama \d+ \d+, [\d.]+ s")
        finally:
            subprocess.run(tmux + ["kill-server"], capture_output=True)


if __name__ == "__main__":
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    try:
        unittest.main(verbosity=1)
    finally:
        shutil.rmtree(TMP, ignore_errors=True)
