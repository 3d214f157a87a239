"""The result objects: the JSON object `bigraph` writes, as attributes, with a readable repr
and, where there is a picture, an inline SVG for notebooks."""

import copy


class Result:
    """One JSON object of bigraph: each member an attribute (objects in it are Results too);
    to_dict() gives the object as the command line writes it."""

    _nested = {}  # member name -> Result class of an object held there

    def __init__(self, data, pictures=None):
        """`pictures`: functions giving SVG text, for "" (this object) and for members."""
        pictures = pictures or {}
        self._data = data
        self._picture = pictures.get("")
        for key, value in data.items():
            kind = self._nested.get(key)
            if kind is not None and value is not None:
                value = kind(value, {"": pictures.get(key)})
            setattr(self, key, value)

    def to_dict(self):
        """The JSON object as a dict, equal to what the command line writes."""
        return copy.deepcopy(self._data)

    def __eq__(self, other):
        return type(other) is type(self) and other._data == self._data

    def __repr__(self):
        return "<%s %s>" % (type(self).__name__, self._summary())

    def _summary(self):
        return ", ".join("%s=%s" % (k, _short(v)) for k, v in self._data.items())

    def _repr_svg_(self):
        return self._picture() if self._picture else None


def _short(value, limit=60):
    text = repr(value)
    return text if len(text) <= limit else text[: limit - 5] + " ...]"


class CoxeterOrComparison(Result):
    """A Coxeter, roots or comparison report: the object the command line writes."""


class NormalForm(Result):
    """The normal form N: name, corank, gram (the upper Gram matrix of N), and with a
    certificate, certificate (B with B^T (G + G^T) B = N + N^T) and verified."""

    def _summary(self):
        d = self._data
        return "%s (corank %d), %d vertices%s" % (
            d["name"], d["corank"], len(d["gram"]),
            ", certificate verified %s" % d["verified"] if d["certificate"] is not None else "")


class Run(Result):
    """The inflation run: rule, seed, steps, ended, period, error, shape, pairs, result,
    certificate, verified."""

    def _summary(self):
        d = self._data
        text = "rule %s: %d step%s, ended %s" % (d["rule"], d["steps"], "" if d["steps"] == 1 else "s", d["ended"])
        if d["shape"]:
            text += ", " + d["shape"]
        return text


class Classification(Result):
    """The classification of one bigraph, the object `bigraph classify --format json` writes
    (a sweep's items carry input, item, options, n and r too)."""

    _nested = {"normal_form": NormalForm, "run": Run, "coxeter": CoxeterOrComparison}

    def _summary(self):
        d = self._data
        parts = []
        if "input" in d:
            parts.append("item %d, %s" % (d["item"], d["input"]))
        parts.append("%d vertices" % d["vertices"])
        parts.append(d["definiteness"])
        parts.append("corank %d" % d["corank"])
        if d["dynkin_type"] is not None:
            parts.append("Dynkin type %s" % d["dynkin_type"])
        if d["normal_form"] is not None:
            parts.append("normal form %s" % d["normal_form"]["name"])
        run = d["run"]
        parts.append("run: %d steps, %s" % (run["steps"], run["ended"]) if run else "no run")
        return ", ".join(parts)
