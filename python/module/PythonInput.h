// The inputs of the Python functions: a matrix of Python integers, a file, or the Nakayama
// bigraph, each made into the InputItem the command line would read, bad input refused with
// the sentence the command line gives.
#pragma once

#include <pybind11/pybind11.h>

#include <string>

#include "GramInput.h"

namespace python_bridge {

// The exact decimal text of a Python integer (anything with __index__: int, a numpy integer,
// a SymPy or Sage Integer); none for anything else. Integers beyond 64 bits cross through
// their hexadecimal text, which Python writes for any length.
std::optional<std::string> decimalText(pybind11::handle value);

// A list (or tuple) of rows, each a list or tuple of integers, read as the JSON input
// {"gram": [[...], ...]} is: a ragged, non-square or non-integer matrix, or a nonzero entry
// below the diagonal, raises ValueError with the description `bigraph` gives for that JSON.
bigraph::InputItem inputFromRows(pybind11::handle rows);
// A Gram matrix file, read as `bigraph` reads it; ValueError "FILE:LINE:COLUMN: ...".
bigraph::InputItem inputFromFile(const std::string& path);
// The bigraph of A_n(r); ValueError for a vertex count too large for memory.
bigraph::InputItem inputFromNakayama(int n, int r);

}  // namespace python_bridge
