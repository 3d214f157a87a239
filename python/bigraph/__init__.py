"""bigraph: exact classification, inflation runs, normal forms and pictures of bigraphs
(edge-bipartite graphs), the answers of the `bigraph` command line as Python objects.

A Gram matrix `gram` is any square array of integers, upper triangular (only the diagonal and
the upper triangle count; a nonzero entry below the diagonal is refused): nested lists, a numpy
integer array, a SymPy or Sage Matrix, the bigraph nakayama(n, r), or the name of a Gram
matrix file in any form `bigraph` reads. Entries may have any number of digits.

    >>> import bigraph
    >>> c = bigraph.classify(bigraph.nakayama(8, 3))
    >>> c.dynkin_type, c.run.steps
    ('E8', 14)

Results have attributes, to_dict() (equal to the command line's JSON) and, in a notebook, a
picture. Bad input raises ValueError with the command line's sentence; Ctrl-C stops a long
computation with KeyboardInterrupt.
"""

import operator
import os

from . import _bigraph
from ._exact import loads as _loads
from ._results import Classification, NormalForm, Result, Run, CoxeterOrComparison

__all__ = ["classify", "normal_form", "coxeter", "roots", "compare", "nakayama", "sweep", "draw",
           "Nakayama", "Classification", "NormalForm", "Run", "Result", "RULES"]

RULES = ("first", "first-highest", "last", "last-highest", "random-first-last", "random")
_LARGEST_NAKAYAMA = 1 << 30  # as --nakayama takes


class Nakayama:
    """The bigraph of the Nakayama algebra A_n(r): n, r, its Gram matrix (tolist()), and a
    picture in a notebook."""

    def __init__(self, n, r):
        for name, value in (("n", n), ("r", r)):
            if not 0 <= value <= _LARGEST_NAKAYAMA:
                raise ValueError("nakayama: %s = %d is not in 0..%d" % (name, value, _LARGEST_NAKAYAMA))
        self.n, self.r = n, r
        self._input = _bigraph.Input.nakayama(n, r)

    def tolist(self):
        return _loads(self._input.gram_json())

    def __repr__(self):
        return "nakayama(%d, %d)" % (self.n, self.r)

    def _repr_svg_(self):
        return draw(self)


def nakayama(n, r):
    """The bigraph of the Nakayama algebra A_n(r), to hand to any function here."""
    return Nakayama(operator.index(n), operator.index(r))


def _rows(gram):
    """Nested lists of whatever the matrix holds, by duck typing: tolist() (numpy, SymPy),
    nrows()/ncols() with m[i, j] (Sage), or a sequence of rows."""
    if hasattr(gram, "tolist"):
        return gram.tolist()
    if callable(getattr(gram, "nrows", None)) and callable(getattr(gram, "ncols", None)):
        return [[gram[i, j] for j in range(gram.ncols())] for i in range(gram.nrows())]
    if isinstance(gram, (list, tuple)):
        return [list(row) if _is_sequence(row) else row for row in gram]
    return gram


def _is_sequence(row):
    return not isinstance(row, (str, bytes)) and hasattr(row, "__len__") and hasattr(row, "__getitem__")


def _input(gram):
    if isinstance(gram, Nakayama):
        return gram._input
    if isinstance(gram, (str, bytes, os.PathLike)):
        return _bigraph.Input.from_file(os.fsdecode(gram))
    return _bigraph.Input.from_rows(_rows(gram))


def _settings(rule="last", certificate=False, max_steps=None, run=True, seed=None, coxeter=False):
    if seed is not None and not 0 <= seed < 1 << 32:
        raise ValueError("seed must be in 0..4294967295")
    if max_steps is not None and not 1 <= max_steps < 1 << 63:
        raise ValueError("max_steps must be in 1..9223372036854775807")
    return _bigraph.Settings(rule, seed, max_steps, run, certificate, coxeter)


def _svg(source, settings, state):
    return lambda: _draw(source, settings, "svg", state=state)[0].decode()


def _classification(data, source, settings):
    state = "both" if data["run"] is not None else "input"
    pictures = {"": _svg(source, settings, state),
                "normal_form": _svg(source, settings, "normal"),
                "run": _svg(source, settings, "result")}
    return Classification(data, pictures)


def classify(gram, *, rule="last", certificate=False, max_steps=None, run=True, seed=None):
    """The exact class of a bigraph and its inflation run, as `bigraph classify` gives them.

    rule: the edge choice, one of RULES; seed: for the random rules (drawn when not given);
    max_steps: the step bound (given, any bigraph is run at most that long; otherwise only
    positive and corank-1 non-negative ones, at most 10 n^2 + 100 steps); run=False: no run;
    certificate: include the certificates B. The Coxeter data (and the root counts of a
    positive bigraph) are always there, as in the command line's report.
    """
    source = _input(gram)
    settings = _settings(rule, certificate, max_steps, run, seed, coxeter=True)
    return _classification(_loads(_bigraph.classify(source, settings)), source, settings)


def normal_form(gram, *, certificate=True):
    """The normal form N of a non-negative bigraph with unit diagonal (None for any other),
    with its exactly verified certificate B."""
    source = _input(gram)
    settings = _settings(run=False, certificate=certificate)
    data = _loads(_bigraph.classify(source, settings))["normal_form"]
    return None if data is None else NormalForm(data, {"": _svg(source, settings, "normal")})


def coxeter(gram):
    """The Coxeter data of a bigraph (Cox = -G G^-tr) as `bigraph classify` gives them:
    polynomial (coefficients, lowest degree first), factors, number (the Coxeter number h, or
    None) and matrix (Cox); None for a bigraph with a diagonal entry other than 1."""
    data = _loads(_bigraph.coxeter(_input(gram)))
    return None if data is None else CoxeterOrComparison(data)


def roots(gram, *, positive_only=False, max_roots=_bigraph.DEFAULT_MAX_ROOTS):
    """The roots of a positive bigraph with unit diagonal (the integer vectors x with
    x^T G x = 1), as `bigraph roots` lists them: a list of integer lists, all of them or only
    the positive ones. ValueError for a bigraph that is not positive, or more than max_roots."""
    return _loads(_bigraph.roots(_input(gram), positive_only, max_roots))


def compare(g1, g2, *, max_seconds=_bigraph.DEFAULT_MAX_SECONDS):
    """Whether two bigraphs are weakly (S2 = B^T S1 B) and strongly (G2 = B^T G1 B) Gram
    Z-congruent, as `bigraph compare` answers: weak, weak_certificate, strong,
    strong_certificate, reason, search_nodes (None where the answer is not known; the strong
    search gives up after max_seconds)."""
    return CoxeterOrComparison(_loads(_bigraph.compare(_input(g1), _input(g2), float(max_seconds))))


def sweep(items, *, jobs=None, rule="last", certificate=False, max_steps=None, run=True, seed=None,
          coxeter=False):
    """Classifies every item (Gram matrices, nakayama(n, r), file names) on `jobs` threads
    (default: the number of cores) and yields their results in order, each the object of a
    `bigraph sweep` line (input, item, options, n, r and the classification). Items are taken
    from `items` as they are needed, a few per thread at a time; a bad item raises ValueError
    once the items before it are yielded. coxeter: add the Coxeter data (--coxeter)."""
    jobs = _bigraph.default_jobs() if jobs is None else jobs
    if not 1 <= jobs <= 1024:
        raise ValueError("jobs must be in 1..1024")
    settings = _settings(rule, certificate, max_steps, run, seed, coxeter)
    chunk = max(8, 4 * jobs)
    iterator = iter(items)
    done = 0
    while True:
        sources, failure = [], None
        for item in iterator:
            try:
                sources.append(_input(item))
            except ValueError as e:
                failure = ValueError("item %d: %s" % (done + len(sources) + 1, e))
                break
            if len(sources) == chunk:
                break
        for source, line in zip(sources, _bigraph.sweep(sources, done + 1, jobs, settings)):
            yield _classification(_loads(line), source, settings)
        done += len(sources)
        if failure is not None:
            raise failure
        if len(sources) < chunk:
            return


def _draw(gram, settings, format, state="input", layout=None, labels="numbers", scale=None,
          size=None, standalone=False):
    if size is None:
        width = height = 0
    elif isinstance(size, str):
        width, _, height = size.partition("x")
        width, height = int(width), int(height or width)
    elif isinstance(size, (tuple, list)):
        width, height = size
    else:
        width = height = size
    return _bigraph.draw(_input(gram) if not isinstance(gram, _bigraph.Input) else gram,
                         format, state, layout or "", labels, float(scale or 0), int(width),
                         int(height), standalone, settings)


def draw(gram, format="svg", *, state="input", layout=None, labels="numbers", scale=None,
         size=None, standalone=False, rule="last", max_steps=None, run=True, seed=None):
    """The picture `bigraph draw` makes: SVG or TikZ text (format "svg", "tikz"), or the bytes of
    a PDF or PNG file ("pdf", "png").

    state: "input", "result" (after the inflation run), "both" or "normal" (the normal form);
    layout: "circle" or "shape"; labels: "numbers" or "none"; scale: pixels per edge length;
    size: (width, height), "WxH" or N; standalone: a compilable TikZ document. The run options
    are classify's.
    """
    settings = _settings(rule, False, max_steps, run, seed)
    picture, _notes = _draw(gram, settings, format, state, layout, labels, scale, size, standalone)
    return picture.decode() if format in ("svg", "tikz", "tex") else picture
