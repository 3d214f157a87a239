"""The Python package against the command line: the same answers, the same refusals."""

import json
import os
import re
import signal
import subprocess
import threading

import pytest

import bigraph

PROGRAM = os.environ.get("BIGRAPH_PROGRAM", "bigraph")


def cli(*words):
    done = subprocess.run([PROGRAM, *words], capture_output=True, text=True)
    return done.returncode, done.stdout, done.stderr


def cli_json(*words):
    status, out, err = cli(*words)
    assert status == 0, err
    return json.loads(out)


def gram_file(tmp_path, rows, name="g.json"):
    path = tmp_path / name
    path.write_text(json.dumps({"gram": rows}))
    return str(path)


INDEFINITE = [[1, -3, 0], [0, 1, 1], [0, 0, 1]]
WITH_LOOP = [[2, -1, 0], [0, 1, -1], [0, 0, 1]]


@pytest.mark.parametrize("options", [[], ["--certificate"], ["--rule", "random", "--seed", "7"],
                                     ["--no-run"], ["--rule", "first-highest", "--max-steps", "3"]])
@pytest.mark.parametrize("gram", ["nakayama 9 4", "nakayama 7 2", INDEFINITE, WITH_LOOP])
def test_classify_equals_the_command_line(tmp_path, gram, options):
    words = gram.split()[1:] if isinstance(gram, str) else None
    source = bigraph.nakayama(*map(int, words)) if words else gram
    where = ["--nakayama", *words] if words else [gram_file(tmp_path, gram)]
    kwargs = {"certificate": "--certificate" in options, "run": "--no-run" not in options}
    if "--rule" in options:
        kwargs["rule"] = options[options.index("--rule") + 1]
    if "--seed" in options:
        kwargs["seed"] = int(options[options.index("--seed") + 1])
    if "--max-steps" in options:
        kwargs["max_steps"] = int(options[options.index("--max-steps") + 1])
    expected = cli_json("classify", *where, *options, "--format", "json")
    assert bigraph.classify(source, **kwargs).to_dict() == expected


def test_attributes_and_nested_results():
    c = bigraph.classify(bigraph.nakayama(8, 3), certificate=True)
    assert (c.dynkin_type, c.definiteness, c.corank, c.run.steps) == ("E8", "positive", 0, 14)
    assert c.normal_form.name == "E8" and c.normal_form.verified == "exact"
    assert c.run.to_dict() == c.to_dict()["run"]
    assert "E8" in repr(c) and "14 steps" in repr(c)
    assert c._repr_svg_().lstrip().startswith("<?xml")


def test_sweep_equals_the_command_line():
    status, out, err = cli("sweep", "--nakayama", "3..6", "2..n", "--jobs", "2")
    assert status == 0, err
    expected = [json.loads(line) for line in out.splitlines()]
    items = (bigraph.nakayama(n, r) for n in range(3, 7) for r in range(2, n + 1))
    got = [c.to_dict() for c in bigraph.sweep(items, jobs=2)]
    assert got == expected


def test_sweep_yields_the_good_items_before_a_bad_one():
    items = [bigraph.nakayama(4, 2), [[1, 0], [5, 1]], bigraph.nakayama(5, 2)]
    seen = []
    with pytest.raises(ValueError, match="item 2: entry \\(2, 1\\) below the diagonal"):
        for c in bigraph.sweep(items, jobs=1):
            seen.append(c.input)
    assert seen == ["nakayama 4 2"]


@pytest.mark.parametrize("rows", [[[1, 0], [3, 1]], [[1, -1, 0], [0, 1]], [[1, 0.5], [0, 1]],
                                  [[1, -1], [0, 1], [0, 0]], [1, 2, 3], []])
def test_bad_input_gets_the_command_lines_sentence(tmp_path, rows):
    status, _, err = cli("classify", gram_file(tmp_path, rows))
    if status == 0:  # the empty matrix: n = 0 for both
        assert bigraph.classify(rows).vertices == 0
        return
    assert status == 2
    with pytest.raises(ValueError) as raised:
        bigraph.classify(rows)
    assert err.rstrip("\n").endswith(": " + str(raised.value))


def test_files_are_read_as_the_command_line_reads_them(tmp_path):
    path = tmp_path / "m.txt"
    path.write_text("1 0\n3 1\n")
    with pytest.raises(ValueError) as raised:
        bigraph.classify(str(path))
    assert "bigraph: " + str(raised.value) == cli("classify", str(path))[2].rstrip("\n")
    path.write_text("# A_3\n1 -1 0\n0 1 -1\n0 0 1\n")
    assert bigraph.classify(path).dynkin_type == "A3"


def test_big_integers_cross_exactly():
    big = 10 ** 999 + 12345678901234567890
    c = bigraph.classify([[1, big], [0, -big]], run=False)
    assert c.det == 2 * (-2 * big) - big * big  # det [[2, big], [big, -2 big]]
    huge = -(7 ** 6000)  # over 5000 digits, past Python's one-piece decimal conversion
    c = bigraph.classify([[huge]], run=False)
    assert c.det == 2 * huge and c.to_dict()["det"] == 2 * huge


class SageLike:
    """What the package sees of a Sage matrix: nrows(), ncols() and m[i, j]."""

    def __init__(self, rows):
        self.rows = rows

    def nrows(self):
        return len(self.rows)

    def ncols(self):
        return len(self.rows[0])

    def __getitem__(self, at):
        return self.rows[at[0]][at[1]]


class IndexOnly:
    """An integer type of another library: only __index__."""

    def __init__(self, value):
        self.value = value

    def __index__(self):
        return self.value


class NumpyLike:
    def tolist(self):
        return [[IndexOnly(1), IndexOnly(-1)], [IndexOnly(0), IndexOnly(1)]]


def test_matrices_of_other_libraries_by_duck_typing():
    a2 = [[1, -1], [0, 1]]
    expected = bigraph.classify(a2).to_dict()
    for gram in (SageLike(a2), NumpyLike(), tuple(tuple(r) for r in a2)):
        assert bigraph.classify(gram).to_dict() == expected
    numpy = pytest.importorskip("numpy")
    assert bigraph.classify(numpy.array(a2, dtype=numpy.int64)).to_dict() == expected


def test_nakayama_and_normal_form():
    g = bigraph.nakayama(9, 4)
    assert g.tolist()[0][:4] == [1, -1, 0, 0] and len(g.tolist()) == 9
    nf = bigraph.normal_form(g)
    assert nf.name == "E7^(2)" and nf.corank == 2 and nf.verified == "exact"
    assert bigraph.normal_form(INDEFINITE) is None
    with pytest.raises(ValueError):
        bigraph.nakayama(-1, 2)


def test_draw_makes_the_command_lines_picture(tmp_path):
    for extension, state in (("svg", "both"), ("tex", "normal"), ("png", "input")):
        target = tmp_path / ("p." + extension)
        status, _, err = cli("draw", "--nakayama", "6", "3", "--state", state, "--output", str(target))
        assert status == 0, err
        picture = bigraph.draw(bigraph.nakayama(6, 3), extension, state=state)
        expected = target.read_bytes()
        if extension == "svg":  # cairo numbers its surfaces from 1 in each process
            picture, expected = (re.sub(r'"surface\d+"', "S", t) for t in (picture, expected.decode()))
        if extension == "png":  # glyphs cached from earlier pictures may shade a pixel apart
            picture, expected = picture[:24], expected[:24]  # the signature and the size
        assert (picture.encode() if extension == "tex" else picture) == expected
    with pytest.raises(ValueError, match="no normal form"):
        bigraph.draw(INDEFINITE, state="normal")


def test_coxeter_roots_and_compare_equal_the_command_line(tmp_path):
    path = gram_file(tmp_path, bigraph.nakayama(6, 3).tolist())
    assert bigraph.coxeter(bigraph.nakayama(6, 3)).to_dict() == \
        cli_json("classify", path, "--format", "json")["coxeter"]
    assert bigraph.roots([[1, -1], [0, 1]], positive_only=True) == \
        cli_json("roots", gram_file(tmp_path, [[1, -1], [0, 1]], "a2.json"), "--positive", "--format", "json")
    other = gram_file(tmp_path, bigraph.normal_form(bigraph.nakayama(6, 3)).gram, "n.json")
    assert bigraph.compare(bigraph.nakayama(6, 3), other).to_dict() == \
        cli_json("compare", path, other, "--format", "json")
    with pytest.raises(ValueError):
        bigraph.roots(INDEFINITE)


def test_ctrl_c_stops_a_long_computation_and_other_threads_run_meanwhile():
    # The strong search between A_36 and its normal form would take hours. The timer thread
    # needs the GIL to send the signal, so the call returns only if the GIL was given up and
    # the signal was looked at.
    g = bigraph.nakayama(36, 2)
    normal = bigraph.normal_form(g).gram
    timer = threading.Timer(0.3, os.kill, (os.getpid(), signal.SIGINT))
    timer.start()
    try:
        with pytest.raises(KeyboardInterrupt):
            bigraph.compare(g, normal, max_seconds=1e9)
    finally:
        timer.cancel()
