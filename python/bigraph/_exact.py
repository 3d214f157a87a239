"""Exact integers from the JSON text of bigraph: every digit kept, at any length."""

import json

# Python refuses to convert longer decimal texts in one piece (sys.get_int_max_str_digits);
# longer ones are put together from halves, which is exact and needs no global setting.
_ONE_PIECE = 4000


def exact_int(text):
    """The integer written in decimal `text` (an optional leading minus), exactly."""
    if len(text) <= _ONE_PIECE:
        return int(text)
    if text[0] == "-":
        return -exact_int(text[1:])
    low_digits = len(text) // 2
    return exact_int(text[:-low_digits]) * 10 ** low_digits + int_or_zero(text[-low_digits:])


def int_or_zero(text):
    stripped = text.lstrip("0")
    return exact_int(stripped) if stripped else 0


def loads(text):
    """JSON text to Python values, integers exact."""
    return json.loads(text, parse_int=exact_int)
