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


# A sanitizer build maps terabytes of shadow memory at start, so it cannot run under an
# address-space limit: the tests that need one are skipped there.
SANITIZED = os.environ.get("BIGRAPH_SANITIZED") == "1"
needs_address_limit = unittest.skipIf(SANITIZED, "a sanitizer build cannot run under ulimit -v")


def limited(megabytes):
    """A preexec_fn that caps the address space, as `ulimit -v` does."""
    import resource
    def cap():
        limit = megabytes * 1024 * 1024
        resource.setrlimit(resource.RLIMIT_AS, (limit, limit))
    return cap


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
    "rule": "str", "seed": (INT, None), "steps": INT, "ended": "str", "period": (INT, None),
    "error": ("str", None),
    "shape": "str", "pairs": [[INT]], "result": [[INT]], "certificate": ([[INT]], None),
    "verified": ("str", None),
}
CLASSIFY_SCHEMA = {
    "gram": [[INT]], "vertices": INT, "dotted_edges": INT, "solid_edges": INT, "loop_free": "bool",
    "connected": "bool", "components": INT, "signature": [INT], "definiteness": "str",
    "corank": INT, "det": INT, "dynkin_type": ("str", None), "kernel": [[INT]],
    "witness": ([INT], None), "run": (RUN_SCHEMA, None),
    "normal_form": ({"name": "str", "corank": INT, "gram": [[INT]],
                     "certificate": ([[INT]], None), "verified": ("str", None)}, None),
}
COXETER_SCHEMA = {
    "polynomial": [INT], "number": (INT, None), "finite_order": ("bool", None),
    "factors": [{"polynomial": [INT], "multiplicity": INT, "cyclotomic": (INT, None)}],
}
ROOT_COUNTS_SCHEMA = ({"count": INT, "positive": (INT, None)}, None)
SWEEP_SCHEMA = dict(CLASSIFY_SCHEMA, input="str", item=INT, options="str", n=(INT, None),
                    r=(INT, None))
CLASSIFY_SCHEMA = dict(CLASSIFY_SCHEMA, coxeter=(dict(COXETER_SCHEMA, matrix=[[INT]]), None),
                       roots=ROOT_COUNTS_SCHEMA)
SWEEP_COXETER_SCHEMA = dict(SWEEP_SCHEMA, coxeter=(COXETER_SCHEMA, None), roots=ROOT_COUNTS_SCHEMA)
COMPARE_SCHEMA = {"weak": ("bool", None), "weak_certificate": ([[INT]], None),
                  "strong": ("bool", None), "strong_certificate": ([[INT]], None),
                  "reason": "str", "search_nodes": (INT, None)}


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
        test.assertEqual(obj["gram"], upper)  # echoed, so the output can be rerun
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

    def test_normal_form_of_corank_two_checked_again_in_python(self):
        code, out, _ = run(["classify", "--nakayama", "10", "6", "--certificate", "--no-run",
                            "--format", "json"])
        self.assertEqual(code, 0)
        nf = json.loads(out)["normal_form"]
        self.assertEqual((nf["name"], nf["corank"], nf["verified"]), ("E8^(2)", 2, "exact"))
        b, s = nf["certificate"], symmetric(nakayama(10, 6))
        self.assertEqual(mul(transpose(b), mul(s, b)), symmetric(nf["gram"]))
        self.assertIn(det(b), (1, -1))

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

    @needs_address_limit
    def test_long_run_keeps_a_bounded_prefix_of_its_pairs(self):
        path = write("endless3.txt", "1 2 0\n0 1 2\n0 0 1\n")
        args = [PROGRAM, "classify", path, "--format", "json", "--max-steps"]
        short = json.loads(subprocess.run(args + ["10"], capture_output=True).stdout)["run"]
        p = subprocess.run(args + ["15000000"], capture_output=True, timeout=300,
                           preexec_fn=limited(200))
        self.assertEqual(p.returncode, 0, p.stderr)
        long = json.loads(p.stdout)["run"]
        self.assertEqual((long["steps"], long["ended"]), (15000000, "step bound"))
        self.assertEqual(len(long["pairs"]), 1000000)
        self.assertEqual(long["pairs"][:10], short["pairs"])

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


def gram_text(upper):
    return "\n".join(" ".join(str(x) for x in row) for row in upper) + "\n"


def charpoly_lowest_first(m):
    """det(t E - m) by Faddeev-LeVerrier in exact rationals, lowest degree first."""
    n = len(m)
    c = [Fraction(0)] * n + [Fraction(1)]
    mk = [[Fraction(int(i == j)) for j in range(n)] for i in range(n)]
    for k in range(1, n + 1):
        am = mul(m, mk)
        c[n - k] = -sum(am[i][i] for i in range(n)) / k
        mk = [[am[i][j] + (c[n - k] if i == j else 0) for j in range(n)] for i in range(n)]
    return [int(x) for x in c]


# D4 bigraphs: the star, one strongly congruent to it, one with cox(t) = Φ_4^2 (not).
D4_STAR = [[1, -1, 0, 0], [0, 1, -1, -1], [0, 0, 1, 0], [0, 0, 0, 1]]
D4_DOTTED = [[1, 1, 0, 0], [0, 1, -1, 1], [0, 0, 1, 0], [0, 0, 0, 1]]
D4_PHI4 = [[1, -1, -1, -1], [0, 1, 1, 0], [0, 0, 1, 1], [0, 0, 0, 1]]
A4_PATH = [[1, -1, 0, 0], [0, 1, -1, 0], [0, 0, 1, -1], [0, 0, 0, 1]]
A4_OTHER = [[1, -1, 1, 0], [0, 1, -1, 0], [0, 0, 1, -1], [0, 0, 0, 1]]


class CoxeterRootsCompare(unittest.TestCase):
    """classify's Coxeter data, roots and compare."""

    def test_coxeter_data_of_e8_and_an_independent_polynomial(self):
        g = [[int(x) for x in line.split()] for line in E8_ROWS.splitlines()]
        code, out, _ = run(["classify", write("e8.txt", E8_ROWS), "--format", "json"])
        self.assertEqual(code, 0)
        obj = json.loads(out)
        Check.classification(self, obj, g)
        cox = obj["coxeter"]
        self.assertEqual(cox["polynomial"], [1, 1, 0, -1, -1, -1, 0, 1, 1])
        self.assertEqual(cox["number"], 30)
        self.assertEqual(cox["factors"], [{"polynomial": cox["polynomial"], "multiplicity": 1,
                                           "cyclotomic": 30}])
        self.assertEqual(obj["roots"], {"count": 240, "positive": 35})
        # Cox = -G G^-tr: Cox G^T = -G, and its characteristic polynomial computed here.
        self.assertEqual(mul(cox["matrix"], transpose(g)), [[-x for x in row] for row in g])
        self.assertEqual(charpoly_lowest_first(cox["matrix"]), cox["polynomial"])

    def test_coxeter_text_and_undefined_for_loops(self):
        code, out, _ = run(["classify", write("d4.txt", gram_text(D4_DOTTED)), "--no-run"])
        self.assertEqual(code, 0)
        self.assertIn("cox(t)          t^4 + t^3 + t + 1\n", out)
        self.assertIn("factored        Φ_2^2 Φ_6\n", out)
        self.assertIn("Coxeter number  6\n", out)
        self.assertIn("roots           24 (5 positive)\n", out)
        code, out, _ = run(["classify", write("loop.txt", "2 -1\n0 1\n"), "--format", "json"])
        self.assertEqual((code, json.loads(out)["coxeter"], json.loads(out)["roots"]), (0, None, None))

    def test_roots_text_json_and_refusals(self):
        path = write("d4s.txt", gram_text(D4_STAR))
        code, out, _ = run(["roots", path, "--format", "json"])
        self.assertEqual(code, 0)
        roots = json.loads(out)
        self.assertEqual(len(roots), 24)
        for v in roots:
            self.assertEqual(mul(mul([v], D4_STAR), [[x] for x in v]), [[1]])
        self.assertEqual(roots[0], [1, 2, 1, 1])  # the highest root first
        keys = [(-sum(v), [-x for x in v]) for v in roots]
        self.assertEqual(keys, sorted(keys))
        code, out, _ = run(["roots", path, "--positive"])
        self.assertEqual((code, len(out.splitlines()), out.splitlines()[0]), (0, 12, "1 2 1 1"))
        code, out, err = run(["roots", "--nakayama", "9", "4"])
        self.assertEqual((code, out), (2, ""))
        self.assertEqual(err, "bigraph: nakayama 9 4: the bigraph is not positive (it is "
                              "non-negative), so its roots are not finitely many; roots are "
                              "listed only for positive bigraphs\n")
        code, out, err = run(["roots", path, "--max-roots", "23"])
        self.assertEqual((code, out), (2, ""))
        self.assertIn("has 24 roots, more than the bound 23 (--max-roots)", err)
        self.assertEqual(run(["roots", path, "--max-roots", "0"])[0], 1)

    def check_certificates(self, obj, g1, g2):
        self.assertTrue(conforms(obj, COMPARE_SCHEMA), obj)
        if obj["weak_certificate"] is not None:
            b = obj["weak_certificate"]
            self.assertEqual(mul(mul(transpose(b), symmetric(g1)), b), symmetric(g2))
            self.assertIn(det(b), (1, -1))
        if obj["strong_certificate"] is not None:
            b = obj["strong_certificate"]
            self.assertEqual(mul(mul(transpose(b), g1), b), g2)
            self.assertIn(det(b), (1, -1))

    def compare(self, g1, g2):
        p1, p2 = write("c1.txt", gram_text(g1)), write("c2.txt", gram_text(g2))
        code, out, _ = run(["compare", p1, p2, "--format", "json"])
        self.assertEqual(code, 0)
        obj = json.loads(out)
        self.check_certificates(obj, g1, g2)
        return obj

    def test_compare_answers_with_checked_certificates(self):
        obj = self.compare(A4_PATH, A4_OTHER)
        self.assertEqual((obj["weak"], obj["strong"]), (True, True))
        obj = self.compare(D4_STAR, D4_DOTTED)
        self.assertEqual((obj["weak"], obj["strong"]), (True, True))
        obj = self.compare(D4_STAR, D4_PHI4)  # one weak class, different polynomials
        self.assertEqual((obj["weak"], obj["strong"], obj["strong_certificate"]), (True, False, None))
        self.assertIn("different Coxeter polynomials", obj["reason"])
        obj = self.compare(A4_PATH, D4_STAR)
        self.assertEqual((obj["weak"], obj["strong"]), (False, False))
        obj = self.compare(A4_PATH, [[1, -1, 0], [0, 1, -1], [0, 0, 1]])
        self.assertEqual((obj["weak"], obj["strong"]), (False, False))
        obj = self.compare([[1, -3], [0, 1]], [[1, 3], [0, 1]])  # indefinite
        self.assertEqual((obj["weak"], obj["strong"]), (None, None))  # invariants agree, no proof
        obj = self.compare([[1, -3], [0, 1]], [[1, -3], [0, 1]])
        self.assertEqual((obj["weak"], obj["strong"], obj["strong_certificate"]), (True, True, [[1, 0], [0, 1]]))
        code, out, _ = run(["compare", write("c1.txt", gram_text(A4_PATH)),
                            write("c2.txt", gram_text(A4_OTHER))])
        self.assertEqual(code, 0)
        self.assertIn("weak            yes\n", out)
        self.assertIn("strong          yes\n", out)

    def test_compare_refusals(self):
        code, out, err = run(["compare", write("c1.txt", "1 0\n3 1\n"), write("c2.txt", "1\n")])
        self.assertEqual((code, out), (2, ""))
        self.assertIn("entry (2, 1) below the diagonal is not zero", err)
        self.assertEqual(run(["compare", write("c1.txt", "1\n")])[0], 1)

    def test_sweep_with_coxeter(self):
        args = ["sweep", "--nakayama", "4..5", "2..n", "--coxeter", "--no-run"]
        code, out, _ = run(args)
        self.assertEqual(code, 0)
        for line in out.splitlines():
            obj = json.loads(line)
            self.assertTrue(conforms(obj, SWEEP_COXETER_SCHEMA), obj)
            self.assertIn("--coxeter", obj["options"])
        code, out, _ = run(args + ["--format", "csv"])
        rows = list(csv.DictReader(io.StringIO(out)))
        self.assertEqual(list(rows[0])[-2:], ["coxeter_polynomial", "seconds"])
        self.assertEqual(rows[0]["coxeter_polynomial"], "1 1 1 1 1")  # A_4(2) is the path A4


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

    @needs_address_limit
    def test_inputs_refused_early_in_little_memory(self):
        """Reading stops where the input stops being a matrix, and memory follows the matrix."""
        big_text = write("big.txt", "1 0\n0 1\n" + "5 " * 10000000)  # 20 MB for a 2 x 2 matrix
        big_json = write("big.json", '{"gram": [[1, 0], [0, 1]], "pad": [%s0]}' % ("0," * 10000000))
        folder = os.path.join(TMP, "adir")
        os.makedirs(folder, exist_ok=True)
        spaces = "(head -c 2147483648 /dev/zero | tr '\\0' ' '; printf x)"  # column beyond 2^31
        cases = [  # (what feeds standard input, arguments, status, start of standard error)
            ("", big_text, 2, big_text + ":3:1: more entries than a 2 x 2 matrix holds"),
            ("", "/dev/zero", 2, "/dev/zero:1:1: expected an integer, read \"\\x00\\x00"),
            ("", big_json, 0, ""),
            (spaces + " | ", "-", 2, "-:1:2147483649: expected an integer, read \"x\""),
            ("", folder, 2, folder + ": is a directory"),
            ("", "- < " + folder, 2, "-: is a directory"),
        ]
        for feed, args, status, message in cases:
            command = "%s(ulimit -v 300000; exec %s classify --no-run %s)" % (feed, PROGRAM, args)
            p = subprocess.run(["bash", "-c", command], capture_output=True, timeout=120)
            self.assertEqual(p.returncode, status, (args, p.stderr[:300]))
            self.assertTrue(p.stderr.decode("latin-1").startswith(
                ("bigraph: " + message) if message else ""), p.stderr[:300])

    @needs_address_limit
    def test_vertex_count_refused_before_memory_is_taken(self):
        """The room check counts the matrices a classification really holds, not one."""
        child = ("import resource, subprocess, sys; p = subprocess.run(sys.argv[1:]); "
                 "print(p.returncode, resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)")
        limited_run = "ulimit -v 560000; exec %s classify --nakayama 3000 2 --no-run" % PROGRAM
        p = subprocess.run([sys.executable, "-c", child, "bash", "-c", limited_run],
                           capture_output=True, timeout=120)
        status, peak_kb = map(int, p.stdout.split())
        self.assertEqual(status, 2, p.stderr)
        self.assertIn(b"too large for memory", p.stderr)
        self.assertLess(peak_kb, 100000)

    def test_messages_and_statuses_of_small_failures(self):
        odd = write("e\x1b]0;owned\x07.txt", "1 0\n0 x\x1b[31m\n")
        full = open("/dev/full", "w")
        cases = [  # (arguments, standard output, status, text in standard error)
            (["classify", odd], None, 2, "e\\x1B]0;owned\\x07.txt:2:3: expected an integer, "
                                          "read \"x\\x1B[31m\""),
            (["classify", "--rule", "\x1b[31m", "--nakayama", "3", "2"], None, 1, "\\x1B[31m"),
            (["--help"], full, 4, "cannot write the output: No space left on device"),
            (["classify", "--nakayama", "3", "2"], full, 4, "cannot write the output: No space left"),
            (["sweep", "--nakayama", "3", "2"], full, 4, "cannot write the output: No space left"),
            (["draw", "--nakayama", "3", "2", "--scale", "nan", "-o", os.path.join(TMP, "x.svg")],
             None, 1, "--scale"),
        ]
        for args, out, status, message in cases:
            p = subprocess.run([PROGRAM] + args, stdout=out or subprocess.DEVNULL,
                               stderr=subprocess.PIPE, timeout=60)
            self.assertEqual(p.returncode, status, args)
            self.assertIn(message, p.stderr.decode())
            self.assertNotIn(b"\x1b", p.stderr)
        full.close()

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


PATH_A3 = [[1, -1, 0], [0, 1, -1], [0, 0, 1]]


def pmatrices(latex):
    """The matrices of a LaTeX report by their symbol: {"G": [[...]], ...}."""
    import re
    found = {}
    for symbol, body in re.findall(r"\\\[ (\S+) = \\begin\{pmatrix\}(.*?)\\end\{pmatrix\}", latex, re.S):
        found[symbol] = [[int(x) for x in row.split("&")] for row in body.split("\\\\")]
    return found


class InputFormsAndReports(unittest.TestCase):
    def test_every_input_form_gives_its_gram_back(self):
        cases = [  # (input text, the upper-triangular matrix echoed in "gram")
            ("1 -1 0\n0 1 -1\n0 0 1\n", PATH_A3),
            ("3\n1 -1 0 0 1 -1 0 0 1\n", PATH_A3),
            ("edges\n1 2 -1\n3 2 -1\n", PATH_A3),
            ("edges 4\n1 2 -1\n2 3 -1\n", [[1, -1, 0, 0], [0, 1, -1, 0], [0, 0, 1, 0], [0, 0, 0, 1]]),
            ("# made by a script\n{\"gram\": [[1, -1], [0, 1]]}\n# end\n", [[1, -1], [0, 1]]),
            ("0\n", []),  # a lone number is the vertex count, as in the dialogue of inflations
        ]
        for text, upper in cases:
            code, out, err = run(["classify", "-", "--format", "json"], text.encode())
            self.assertEqual(code, 0, (text, err))
            Check.classification(self, json.loads(out), upper)

    def test_refusals_name_what_is_wrong(self):
        cases = [  # (arguments, standard input, status, text in standard error)
            (["classify", "-"], b"7\n", 2, "-:2:1: a lone number is the vertex count n"),
            (["classify", "-"], b'{"gram": [[1]], "gram": [[2]]}', 2, "\"gram\" appears twice"),
            (["frobnicate"], b"", 1,
             "bigraph: unknown subcommand \"frobnicate\"; the subcommands are classify, sweep, draw"),
        ]
        for args, stdin, status, message in cases:
            code, _, err = run(args, stdin)
            self.assertEqual(code, status, args)
            self.assertIn(message, err)

    def test_zero_diagonal_error_names_the_vertex_only(self):
        code, out, _ = run(["classify", "-", "--max-steps", "5", "--format", "json"],
                           b"3\n1 0 0 0 0 1 0 0 1\n")
        self.assertEqual(code, 0)
        self.assertEqual(json.loads(out)["run"]["error"],
                         "vertex 2 has diagonal entry 0, so the inflation on [2, 3] divides by zero.")

    def test_help_of_each_subcommand_lists_the_input_forms(self):
        for command in ["classify", "sweep", "draw"]:
            code, out, _ = run([command, "--help"])
            self.assertEqual(code, 0)
            for form in ["rows", "dialogue", "edge list", "JSON", "Example:\n  bigraph " + command]:
                self.assertIn(form, out, command)

    def test_latex_matrices_are_those_of_the_json(self):
        args = ["classify", "--nakayama", "12", "2", "--certificate"]
        obj = json.loads(run(args + ["--format", "json"])[1])
        code, latex, _ = run(args + ["--format", "latex"])
        self.assertEqual(code, 0)
        self.assertEqual(pmatrices(latex), {"G": obj["gram"], "G'": obj["run"]["result"],
                                            "B": obj["run"]["certificate"]})
        self.assertEqual(set(pmatrices(run(["classify", "--nakayama", "3", "2", "--no-run",
                                            "--format", "latex"])[1])), {"G"})
        if shutil.which("pdflatex"):  # more than ten columns need MaxMatrixCols
            doc = write("report.tex", "\\documentclass{article}\\usepackage{amsmath}\n"
                        "\\begin{document}\n" + latex + "\\end{document}\n")
            p = subprocess.run(["pdflatex", "-interaction=nonstopmode", "-halt-on-error",
                                "-output-directory", TMP, doc], capture_output=True, timeout=120)
            self.assertEqual(p.returncode, 0, p.stdout[-2000:])


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

    def test_empty_family_is_no_items(self):
        code, out, err = run(["sweep", "--nakayama", "3..4", "5..n", "--format", "csv"])
        self.assertEqual((code, out.count("\n")), (0, 1))  # the header only
        self.assertIn("the family is empty", err)

    def test_random_csv_rows_carry_their_seed_and_rerun_alike(self):
        args = ["sweep", "--nakayama", "5..7", "2..n", "--rule", "random", "--format", "csv"]
        code, out, _ = run(args)
        self.assertEqual(code, 0)
        seeds = {row["seed"] for row in csv.DictReader(io.StringIO(out))}
        self.assertEqual(len(seeds), 1)
        self.assertEqual(masked_csv(run(args + ["--seed", seeds.pop()])[1]), masked_csv(out))

    def test_bad_files_reported_good_ones_written(self):
        good = write("good.txt", "1 -1\n0 1\n")
        bad = write("bad_entry.txt", "1 0\n0 x\n")
        code, out, err = run(["sweep", good, bad, good, "/nonexistent/y.txt"])
        self.assertEqual(code, 2)
        self.assertEqual([json.loads(l)["item"] for l in out.splitlines()], [1, 3])
        self.assertEqual(err.splitlines(), ["bigraph: " + bad + ":2:3: expected an integer, read \"x\"",
                                            "bigraph: /nonexistent/y.txt:1:1: cannot open: No such file or directory"])
        # Resumed: an unreadable file before the last line is passed over, one after it is
        # tried again (it may be mended by now).
        resumed = write("resumed.jsonl", out)
        code, out, err = run(["sweep", good, bad, good, "/nonexistent/y.txt", "--resume", resumed])
        self.assertEqual((code, out, err.count("\n")), (2, "", 1))
        self.assertIn("y.txt", err)

    def test_csv_parses_and_matches_jsonl(self):
        code, out, _ = run(self.ARGS + ["--format", "csv", "--jobs", "2"])
        self.assertEqual(code, 0)
        rows = list(csv.DictReader(io.StringIO(out)))
        self.assertEqual(list(rows[0].keys()), ["input", "item", "options", "seed", "n", "r", "vertices",
                                                "definiteness", "corank", "det", "dynkin_type",
                                                "normal_form", "steps", "ended", "shape",
                                                "seconds"])
        objs = [json.loads(l) for l in run(self.ARGS)[1].splitlines()]
        self.assertEqual(len(rows), len(objs))
        for row, obj in zip(rows, objs):
            self.assertEqual(row["input"], obj["input"])
            self.assertEqual(int(row["det"]), obj["det"])
            self.assertEqual(row["dynkin_type"], obj["dynkin_type"] or "")
            self.assertEqual(row["normal_form"], (obj["normal_form"] or {}).get("name", ""))
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

    @needs_address_limit
    def test_more_jobs_than_memory_allows_threads_for(self):
        args = ["sweep", "--nakayama", "3..12", "2..n"]
        whole = run(args + ["--jobs", "1"])[1]
        p = subprocess.run([PROGRAM] + args + ["--jobs", "1024"], capture_output=True, timeout=120,
                           preexec_fn=limited(1000))
        # The workers that could start do the work; should even they run out of memory, the
        # sweep ends with status 4 and a message, never by a signal.
        if p.returncode == 4:
            self.assertTrue(p.stderr.startswith(b"bigraph: "), p.stderr)
            self.assertTrue(whole.startswith(p.stdout.decode()))
            return
        self.assertEqual((p.returncode, p.stderr), (0, b""))
        self.assertEqual(p.stdout.decode(), whole)

    def test_signal_while_the_pipe_is_full_ends_with_whole_lines(self):
        for sig in (signal.SIGTERM, signal.SIGINT):
            p = subprocess.Popen([PROGRAM, "sweep", "--nakayama", "3..200", "2..n", "--jobs", "2"],
                                 stdout=subprocess.PIPE, stderr=subprocess.PIPE)
            time.sleep(1.5)  # nobody reads: the pipe is full and the program waits in a write
            p.send_signal(sig)
            time.sleep(0.2)
            out, err = p.communicate(timeout=60)
            self.assertEqual(p.returncode, 130, err)
            self.assertTrue(out.endswith(b"\n"))
            for line in out.splitlines():
                json.loads(line)

    def test_resume_goes_on_only_with_its_own_output(self):
        a3 = write("a3.txt", "1 -1 0\n0 1 -1\n0 0 1\n")
        full = run(["sweep", a3, a3])[1]
        first = write("first.jsonl", full.splitlines(True)[0])
        code, rest, _ = run(["sweep", a3, a3, "--resume", first])
        self.assertEqual((code, full.splitlines(True)[0] + rest), (0, full))  # by position
        family = ["sweep", "--nakayama", "3..7", "2..n"]
        random = write("random.jsonl", "".join(
            run(family + ["--rule", "random", "--seed", "5"])[1].splitlines(True)[:4]))
        code, rest, _ = run(family + ["--rule", "random", "--resume", random])
        self.assertEqual(code, 0)
        self.assertEqual({json.loads(l)["run"]["seed"] for l in rest.splitlines()}, {5})
        folder = os.path.join(TMP, "resume_dir")
        os.makedirs(folder, exist_ok=True)
        cases = [  # (arguments, message)
            (["sweep", a3, a3, "--format", "csv", "--resume", first], "a jsonl sweep output"),
            (["sweep", a3, a3, "--rule", "first", "--resume", first], "made with the options"),
            (family + ["--resume", first], "item 1 is"),
            (family + ["--resume", write("foreign.jsonl", "{}\n")], "not a line of a jsonl"),
            (family + ["--format", "csv", "--resume", write("bare.csv", "nakayama 3 2,1\n")],
             "not a csv sweep output"),
            (family + ["--rule", "random", "--seed", "6", "--resume", random], "made with the options"),
            (family + ["--resume", folder], folder + ": is a directory"),
        ]
        for args, message in cases:
            code, out, err = run(args)
            self.assertEqual((code, out), (2, ""), args)
            self.assertIn(message, err)

    def test_file_names_pass_byte_for_byte(self):
        name = os.path.join(TMP, "odd\n\"name\",\xff.txt").encode("utf-8", "surrogateescape")
        with open(name, "w") as f:
            f.write("1 -1\n0 1\n")
        p = subprocess.run([PROGRAM.encode(), b"sweep", name], capture_output=True)
        self.assertEqual(os.fsencode(json.loads(p.stdout)["input"]), name)
        args = [PROGRAM.encode(), b"sweep", b"--format", b"csv", name, name]
        whole = subprocess.run(args, capture_output=True).stdout
        header_and_first = whole[:whole.index(b"\n", whole.index(b",1,")) + 1]
        part = os.path.join(TMP, "part.csv").encode()
        with open(part, "wb") as f:
            f.write(header_and_first)
        p = subprocess.run(args + [b"--resume", part], capture_output=True)
        self.assertEqual(p.returncode, 0, p.stderr)
        rows = list(csv.reader(io.StringIO((header_and_first + p.stdout).decode("utf-8", "surrogateescape"))))
        self.assertEqual([r[:-1] for r in rows],
                         [r[:-1] for r in csv.reader(io.StringIO(whole.decode("utf-8", "surrogateescape")))])
        self.assertEqual([os.fsencode(r[0]) for r in rows[1:]], [name, name])

    @needs_address_limit
    def test_a_family_too_long_to_list_starts_at_once(self):
        p = subprocess.Popen([PROGRAM, "sweep", "--nakayama", "3..2147483647", "2..2", "--jobs", "1"],
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, preexec_fn=limited(300))
        first = p.stdout.readline()
        p.terminate()
        p.communicate(timeout=60)
        self.assertEqual(json.loads(first)["input"], "nakayama 3 2")

    def test_no_progress_line_when_not_a_terminal(self):
        code, _, err = run(self.ARGS)
        self.assertEqual((code, err), (0, ""))


class DrawTargets(unittest.TestCase):
    """The file rules of `draw -o`: what may be replaced, and how."""

    def setUp(self):
        self.dir = tempfile.mkdtemp(dir=TMP)

    def draw(self, target, source=None):
        source = ["--nakayama", "4", "2"] if source is None else [source]
        return run(["draw"] + source + ["-o", target])

    def leftovers(self):
        return [n for n in os.listdir(self.dir) if n.startswith(".")]

    def test_refusals_leave_the_target_as_it_was(self):
        gram = os.path.join(self.dir, "m.tex")
        with open(gram, "w") as f:
            f.write("1 -1\n0 1\n")
        os.symlink(gram, os.path.join(self.dir, "link.tex"))
        readonly = os.path.join(self.dir, "ro.svg")
        with open(readonly, "w") as f:
            f.write("keep")
        os.chmod(readonly, 0o444)
        cases = [  # (source, target, status, message)
            (gram, gram, 1, "it is the input file"),
            (gram, os.path.join(self.dir, "link.tex"), 1, "it is the input file"),
            (None, os.path.join(self.dir, "no", "x.svg"), 4, "No such file or directory"),
        ]
        if os.geteuid() != 0:
            cases.append((None, readonly, 1, "Permission denied"))
        os.mkfifo(os.path.join(self.dir, "fifo.png"))
        cases.append((None, os.path.join(self.dir, "fifo.png"), 1, "not a regular file"))
        for source, target, status, message in cases:
            code, _, err = self.draw(target, source)
            self.assertEqual(code, status, (target, err))
            self.assertIn(message, err)
        with open(gram) as f:
            self.assertEqual(f.read(), "1 -1\n0 1\n")
        with open(readonly) as f:
            self.assertEqual(f.read(), "keep")
        self.assertEqual(self.leftovers(), [])

    def test_mode_links_and_hard_links_are_kept(self):
        private = os.path.join(self.dir, "private.svg")
        with open(private, "w") as f:
            f.write("old")
        os.chmod(private, 0o600)
        real = os.path.join(self.dir, "real.svg")
        link = os.path.join(self.dir, "link.svg")
        os.symlink("real.svg", link)  # dangling until the picture is drawn through it
        hard = os.path.join(self.dir, "hard.svg")
        os.link(private, hard)
        for target in (private, link):
            code, _, err = self.draw(target)
            self.assertEqual(code, 0, err)
        self.assertEqual(os.stat(private).st_mode & 0o777, 0o600)
        self.assertTrue(os.path.islink(link))
        with open(real) as f:
            self.assertIn("<svg", f.read())
        with open(hard) as f:
            self.assertIn("<svg", f.read())  # the other name of the same file shows it too
        self.assertEqual(self.leftovers(), [])

    def test_signals_remove_the_temporary_file(self):
        target = os.path.join(self.dir, "slow.png")
        big = ["--nakayama", "3000", "2"]  # slow enough to be caught while it draws
        for sig in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
            p = subprocess.Popen([PROGRAM, "draw"] + big + ["-o", target], stderr=subprocess.PIPE)
            deadline = time.time() + 60
            while not self.leftovers() and time.time() < deadline and p.poll() is None:
                time.sleep(0.01)
            self.assertTrue(self.leftovers(), "no temporary file seen")
            p.send_signal(sig)
            p.communicate(timeout=60)
            self.assertEqual(p.returncode, -sig)
            self.assertEqual(self.leftovers(), [])
        p = subprocess.Popen([PROGRAM, "draw"] + big + ["-o", target], stderr=subprocess.PIPE)
        while not self.leftovers() and p.poll() is None:
            time.sleep(0.01)
        p.kill()
        p.communicate(timeout=60)
        self.assertTrue(self.leftovers())  # SIGKILL cannot be caught: the next draw cleans up
        self.assertEqual(self.draw(target)[0], 0)
        self.assertEqual(self.leftovers(), [])


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
            subprocess.run(tmux + ["send-keys", "-t", "p", "C-c"], check=True)
            deadline = time.time() + 30
            while time.time() < deadline and "interrupted" not in seen:
                time.sleep(0.1)
                seen = subprocess.run(tmux + ["capture-pane", "-p", "-t", "p"],
                                      capture_output=True, text=True).stdout
            self.assertRegex(seen, r"(?m)^bigraph: interrupted; \d+ of 4004 items written")
        finally:
            subprocess.run(tmux + ["kill-server"], capture_output=True)


if __name__ == "__main__":
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    try:
        unittest.main(verbosity=1)
    finally:
        shutil.rmtree(TMP, ignore_errors=True)
