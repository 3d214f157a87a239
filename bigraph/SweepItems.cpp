// Nakayama ranges and the reading of an earlier sweep output.
#include "SweepItems.h"

#include <charconv>
#include <fstream>
#include <iterator>

#include "GramInput.h"
#include "JsonReader.h"

namespace {

bool parseInt(const std::string& text, int& value) {
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  return !text.empty() && result.ec == std::errc() && result.ptr == end;
}

// The first CSV field of a line (quoted or not); false when its quoting is broken.
bool firstCsvField(const std::string& line, std::string& field) {
  field.clear();
  if (line.empty() || line[0] != '"') {
    field = line.substr(0, line.find(','));
    return true;
  }
  for (std::size_t k = 1; k < line.size(); ++k) {
    if (line[k] != '"') {
      field += line[k];
    } else if (k + 1 < line.size() && line[k + 1] == '"') {
      field += '"';
      ++k;
    } else {
      return k + 1 == line.size() || line[k + 1] == ',';
    }
  }
  return false;
}

std::string jsonInputName(const std::string& line, const std::string& path, int lineNumber) {
  try {
    const JsonValue v = parseJson(line);
    const JsonValue* input = v.member("input");
    if (input != nullptr && input->kind == JsonValue::Kind::String) return input->text;
  } catch (const JsonSyntaxError&) {
  }
  throw BadInput(path, {lineNumber, 1}, "not a line of a jsonl sweep output");
}

}  // namespace

IntRange parseRange(const std::string& text, bool allowVertexCount) {
  IntRange range;
  const std::size_t dots = text.find("..");
  const std::string first = text.substr(0, dots);
  const std::string last = dots == std::string::npos ? first : text.substr(dots + 2);
  bool ok = parseInt(first, range.first);
  if (allowVertexCount && last == "n") {
    range.lastIsVertexCount = true;
    range.last = 1 << 30;
  } else {
    ok = ok && parseInt(last, range.last);
  }
  if (!ok || range.first < 0 || range.last < range.first)
    throw std::invalid_argument("\"" + text + "\" is not a range A..B with 0 <= A <= B" +
                                (allowVertexCount ? " (B may be n)" : ""));
  return range;
}

std::vector<SweepItem> nakayamaSweepItems(const IntRange& n, const IntRange& r) {
  std::vector<SweepItem> items;
  for (int vertices = n.first; vertices <= n.last; ++vertices) {
    const int lastR = r.lastIsVertexCount ? vertices : r.last;
    for (int rr = r.first; rr <= lastR; ++rr)
      items.push_back({"nakayama " + std::to_string(vertices) + " " + std::to_string(rr),
                       vertices, rr, -1});
  }
  return items;
}

bool hasContent(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return in && in.peek() != std::ifstream::traits_type::eof();
}

std::set<std::string> itemsAlreadyWritten(const std::string& path, bool csv) {
  std::set<std::string> names;
  std::ifstream in(path, std::ios::binary);
  if (!in) return names;
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::size_t start = 0;
  int lineNumber = 0;
  while (start < text.size()) {
    ++lineNumber;
    const std::size_t end = text.find('\n', start);
    if (end == std::string::npos)
      throw BadInput(path, {lineNumber, 1},
                     "the last line is incomplete; remove it, then resume again");
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    if (csv) {
      if (lineNumber == 1) continue;  // the header
      std::string name;
      if (!firstCsvField(line, name))
        throw BadInput(path, {lineNumber, 1}, "not a line of a csv sweep output");
      names.insert(name);
    } else {
      names.insert(jsonInputName(line, path, lineNumber));
    }
  }
  return names;
}
