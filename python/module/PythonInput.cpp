// Python integers and matrices into Gram matrices, through the JSON reader of `bigraph`.
#include "PythonInput.h"

#include "BigIntegerUtils.h"

using namespace bigraph;

namespace py = pybind11;

namespace python_bridge {
namespace {

// Text that any row of a matrix becomes when it is not a list or tuple, or an entry when it is
// not an integer: null, which the JSON reader refuses with the position's own sentence.
constexpr const char* kNotAnInteger = "null";

bool isRow(py::handle row) { return py::isinstance<py::list>(row) || py::isinstance<py::tuple>(row); }

std::string decimalOfLong(py::handle integer) {
  int overflow = 0;
  const long long small = PyLong_AsLongLongAndOverflow(integer.ptr(), &overflow);
  if (overflow == 0) {
    if (small == -1 && PyErr_Occurred()) throw py::error_already_set();
    return std::to_string(small);
  }
  const py::object hex = py::reinterpret_steal<py::object>(PyNumber_ToBase(integer.ptr(), 16));
  if (!hex) throw py::error_already_set();
  const std::string text = hex.cast<std::string>();  // "0x1f..." or "-0x1f..."
  const bool negative = text[0] == '-';
  const BigUnsigned magnitude = BigUnsignedInABase(text.substr(negative ? 3 : 2), 16);
  return bigIntegerToString(BigInteger(magnitude, negative ? BigInteger::negative : BigInteger::positive));
}

void appendRow(std::string& json, py::handle row) {
  if (!isRow(row)) {
    json += kNotAnInteger;
    return;
  }
  json += '[';
  bool first = true;
  for (py::handle entry : row) {
    if (!first) json += ',';
    first = false;
    json += decimalText(entry).value_or(kNotAnInteger);
  }
  json += ']';
}

}  // namespace

std::optional<std::string> decimalText(py::handle value) {
  if (PyFloat_Check(value.ptr())) return std::nullopt;  // has no __index__ anyway; be plain
  const py::object index = py::reinterpret_steal<py::object>(PyNumber_Index(value.ptr()));
  if (!index) {
    PyErr_Clear();
    return std::nullopt;
  }
  return decimalOfLong(index);
}

InputItem inputFromRows(py::handle rows) {
  std::string json = "{\"gram\": ";
  if (isRow(rows)) {
    json += '[';
    bool first = true;
    for (py::handle row : rows) {
      if (!first) json += ',';
      first = false;
      appendRow(json, row);
    }
    json += ']';
  } else {
    json += kNotAnInteger;
  }
  json += '}';
  InputItem item;
  item.name = "gram";
  try {
    item.upper = parseGramJson(json, item.name);
  } catch (const BadInput& e) {
    throw py::value_error(e.description);
  }
  return item;
}

InputItem inputFromFile(const std::string& path) {
  try {
    py::gil_scoped_release released;
    return readInputFile(path);
  } catch (const BadInput& e) {
    throw py::value_error(e.what());
  }
}

InputItem inputFromNakayama(int n, int r) {
  try {
    return nakayamaItem(n, r);
  } catch (const BadInput& e) {
    throw py::value_error(e.description);
  }
}

}  // namespace python_bridge
