// Nakayama ranges and the reading of an earlier sweep output.
#include "SweepItems.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>

#include "GramInput.h"
#include "JsonReader.h"
#include "JsonWriter.h"
#include "QuotedText.h"

using namespace core;

namespace bigraph {

namespace {

bool parseInt(const std::string& text, int& value) {
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  return !text.empty() && result.ec == std::errc() && result.ptr == end;
}

// The input name, item number and options of a sweep line, or nullopt for another line.
struct RecordKey {
  std::string input;
  std::uint64_t item = 0;
  std::string options;
};

bool parseItemNumber(const std::string& text, std::uint64_t& value) {
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  return !text.empty() && result.ec == std::errc() && result.ptr == end && value > 0;
}

std::optional<RecordKey> jsonRecordKey(const std::string& line) {
  try {
    const JsonValue v = parseJson(line);
    const JsonValue* input = v.member("input");
    const JsonValue* item = v.member("item");
    const JsonValue* options = v.member("options");
    RecordKey key;
    if (input == nullptr || input->kind != JsonValue::Kind::String || item == nullptr ||
        !item->isInteger() || !parseItemNumber(item->text, key.item) || options == nullptr ||
        options->kind != JsonValue::Kind::String)
      return std::nullopt;
    key.input = input->text;
    key.options = options->text;
    return key;
  } catch (const JsonSyntaxError&) {
    return std::nullopt;
  }
}

// Checks that the record is the next item of the family, made with the options of the others.
void checkRecord(const RecordKey& key, const SweepFamily& family, EarlierOutput& earlier,
                 const std::string& path, std::int64_t line) {
  const auto refuse = [&](const std::string& why) { throw BadInput(path, {line, 1}, why); };
  // A file that could not be read has no line: the items skipped must all be files.
  std::uint64_t expected = earlier.items + 1;
  while (expected < key.item && expected <= family.size() && family.at(expected - 1).fileIndex >= 0)
    ++expected;
  if (key.item != expected)
    refuse("item " + std::to_string(key.item) + " where item " + std::to_string(expected) +
           " belongs: not an output of this sweep");
  if (expected > family.size()) refuse("more items than this sweep has");
  const std::string name = family.at(expected - 1).name;
  if (key.input != name)
    refuse("item " + std::to_string(expected) + " is " + quotedForMessage(key.input) +
           ", in this sweep it is " + quotedForMessage(name) + ": not an output of this sweep");
  if (earlier.options && *earlier.options != key.options)
    refuse("made with other options (" + quotedForMessage(key.options) + ") than the lines before");
  earlier.options = key.options;
  earlier.items = expected;
}

std::string incompleteLastLine() { return "the last line is incomplete; remove it, then resume again"; }

void readJsonLines(std::istream& in, const std::string& path, const SweepFamily& family,
                   EarlierOutput& earlier) {
  std::string line;
  for (std::int64_t number = 1; std::getline(in, line); ++number) {
    if (in.eof()) throw BadInput(path, {number, 1}, incompleteLastLine());
    const auto key = jsonRecordKey(line);
    if (!key) {
      const bool csvHeader = number == 1 && line.rfind("input,", 0) == 0;
      throw BadInput(path, {number, 1}, csvHeader ? "a csv sweep output; resume it with --format csv"
                                                  : "not a line of a jsonl sweep output");
    }
    checkRecord(*key, family, earlier, path, number);
  }
}

void readCsvRows(std::istream& in, const std::string& path, const SweepFamily& family,
                 EarlierOutput& earlier) {
  if (in.peek() == '{') throw BadInput(path, {1, 1}, "a jsonl sweep output; resume it with --format jsonl");
  std::vector<std::string> header;
  readCsvRecords(in, path, [&](const std::vector<std::string>& fields, std::int64_t line) {
    if (line == 1) {
      header = fields;
      // Either header: the options column tells a sweep with --coxeter from one without.
      auto named = [](const std::string& header) {
        std::vector<std::string> names;
        std::istringstream words(header);
        for (std::string name; std::getline(words, name, ',');) names.push_back(name);
        return names;
      };
      if (fields != named(csvHeader(false)) && fields != named(csvHeader(true)))
        throw BadInput(path, {1, 1}, "not a csv sweep output (the first line is not its header)");
      earlier.hasHeader = true;
      return;
    }
    RecordKey key;
    if (fields.size() != header.size() || !parseItemNumber(fields[1], key.item))
      throw BadInput(path, {line, 1}, "not a row of a csv sweep output");
    key.input = fields[0];
    key.options = fields[2];
    checkRecord(key, family, earlier, path, line);
  });
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

SweepFamily::SweepFamily(std::optional<std::pair<IntRange, IntRange>> nakayama,
                         std::vector<std::string> files)
    : nakayama_(std::move(nakayama)), files_(std::move(files)) {
  if (!nakayama_) return;
  const auto& [n, r] = *nakayama_;
  const std::int64_t lastN = n.last;
  if (r.lastIsVertexCount) {
    // N - R1 + 1 values of R for each N >= R1: a trapezoid.
    firstN_ = std::max<std::int64_t>(n.first, r.first);
    if (firstN_ > lastN) return;
    firstWidth_ = firstN_ - r.first + 1;
    const auto rows = static_cast<std::uint64_t>(lastN - firstN_ + 1);
    nakayamaCount_ = rows * static_cast<std::uint64_t>(firstWidth_) + rows * (rows - 1) / 2;
  } else {
    firstN_ = n.first;
    firstWidth_ = std::max<std::int64_t>(0, std::int64_t{r.last} - r.first + 1);
    nakayamaCount_ = static_cast<std::uint64_t>(lastN - firstN_ + 1) *
                     static_cast<std::uint64_t>(firstWidth_);
  }
}

std::pair<int, int> SweepFamily::nakayamaAt(std::uint64_t k) const {
  const IntRange& r = nakayama_->second;
  if (!r.lastIsVertexCount) {
    const auto width = static_cast<std::uint64_t>(firstWidth_);
    return {static_cast<int>(firstN_ + static_cast<std::int64_t>(k / width)),
            static_cast<int>(r.first + static_cast<std::int64_t>(k % width))};
  }
  // Row j (N = firstN_ + j) starts at j a + j (j - 1) / 2 with a = firstWidth_: solve for j,
  // then correct the floating-point estimate.
  const auto a = static_cast<long double>(firstWidth_);
  const long double b = a - 0.5L;
  auto j = static_cast<std::uint64_t>((-b + std::sqrt(b * b + 2.0L * static_cast<long double>(k))));
  const auto start = [&](std::uint64_t row) {
    return row * static_cast<std::uint64_t>(firstWidth_) + row * (row - (row > 0 ? 1 : 0)) / 2;
  };
  while (j > 0 && start(j) > k) --j;
  while (start(j + 1) <= k) ++j;
  return {static_cast<int>(firstN_ + static_cast<std::int64_t>(j)),
          static_cast<int>(r.first + static_cast<std::int64_t>(k - start(j)))};
}

SweepItem SweepFamily::at(std::uint64_t k) const {
  if (k >= nakayamaCount_) {
    const auto file = static_cast<int>(k - nakayamaCount_);
    return {files_[static_cast<std::size_t>(file)], std::nullopt, std::nullopt, file};
  }
  const auto [vertices, r] = nakayamaAt(k);
  return {"nakayama " + std::to_string(vertices) + " " + std::to_string(r), vertices, r, -1};
}

void readCsvRecords(std::istream& in, const std::string& path,
                    const std::function<void(const std::vector<std::string>&, std::int64_t)>& record) {
  std::vector<std::string> fields;
  std::string field;
  std::int64_t line = 1, start = 1;
  bool inQuotes = false, wasQuoted = false, any = false;
  const auto broken = [&] { throw BadInput(path, {line, 1}, "broken quoting in a csv field"); };
  for (int c = in.get(); c != std::char_traits<char>::eof(); c = in.get()) {
    any = true;
    if (inQuotes) {
      if (c == '\n') ++line;
      if (c != '"') {
        field += static_cast<char>(c);
      } else if (in.peek() == '"') {
        field += '"';
        in.get();
      } else {
        inQuotes = false;
      }
      continue;
    }
    if (c == '"') {
      if (wasQuoted || !field.empty()) broken();
      inQuotes = wasQuoted = true;
    } else if (c == ',') {
      fields.push_back(std::move(field));
      field.clear();
      wasQuoted = false;
    } else if (c == '\n') {
      if (!wasQuoted && !field.empty() && field.back() == '\r') field.pop_back();
      fields.push_back(std::move(field));
      record(fields, start);
      fields.clear();
      field.clear();
      wasQuoted = any = false;
      start = ++line;
    } else if (c == '\r' && wasQuoted) {
      if (in.peek() != '\n') broken();
    } else {
      if (wasQuoted) broken();
      field += static_cast<char>(c);
    }
  }
  if (any) throw BadInput(path, {start, 1}, incompleteLastLine());
}

EarlierOutput readEarlierOutput(const std::string& path, bool csv, const SweepFamily& family) {
  EarlierOutput earlier;
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) {
    if (errno == ENOENT) return earlier;
    throw BadInput(path, std::string("cannot open: ") + std::strerror(errno));
  }
  if (S_ISDIR(info.st_mode)) throw BadInput(path, "is a directory");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw BadInput(path, std::string("cannot open: ") + std::strerror(errno));
  try {
    if (csv)
      readCsvRows(in, path, family, earlier);
    else
      readJsonLines(in, path, family, earlier);
  } catch (const std::ios_base::failure& e) {
    throw BadInput(path, std::string("cannot read the file: ") + std::strerror(errno));
  }
  if (in.bad()) throw BadInput(path, "cannot read the file");
  return earlier;
}

}  // namespace bigraph
