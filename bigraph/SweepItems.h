// What a sweep goes through: the family of items made on demand, and the items an earlier
// (interrupted) output already holds, for --resume.
#pragma once

#include <cstdint>
#include <functional>
#include <istream>
#include <optional>
#include <utility>
#include <stdexcept>
#include <string>
#include <vector>

namespace bigraph {

// An inclusive range "A..B" or a single number "A"; B may be "n" where allowed.
struct IntRange {
  int first = 0;
  int last = 0;
  bool lastIsVertexCount = false;
};
// Throws std::invalid_argument with a sentence for a bad range.
IntRange parseRange(const std::string& text, bool allowVertexCount);

// One item of a sweep before it is read or made: a Nakayama bigraph or the index of a file.
struct SweepItem {
  std::string name;
  std::optional<int> n;
  std::optional<int> r;
  int fileIndex = -1;  // into the list of files, for a file item
};

// The items of a sweep in order: every (N, R) of the ranges, N outer, R up to N where the
// range ends in "n", then the files. Items are made on demand, so a family too long to list
// costs nothing until it is worked through.
class SweepFamily {
 public:
  SweepFamily(std::optional<std::pair<IntRange, IntRange>> nakayama,
              std::vector<std::string> files);
  std::uint64_t size() const { return nakayamaCount_ + files_.size(); }
  SweepItem at(std::uint64_t k) const;

 private:
  std::optional<std::pair<IntRange, IntRange>> nakayama_;
  std::vector<std::string> files_;
  std::uint64_t nakayamaCount_ = 0;
  std::int64_t firstN_ = 0;     // the first N with any R
  std::int64_t firstWidth_ = 0; // the count of R for firstN_ (grows by one with N up to "n")

  // The (N, R) of the k-th Nakayama item.
  std::pair<int, int> nakayamaAt(std::uint64_t k) const;
};

// What an earlier output of the same sweep holds, for --resume.
struct EarlierOutput {
  std::uint64_t items = 0;             // items 1..items of the family are done (written,
                                       // or files that could not be read)
  bool hasHeader = false;              // csv: the header is there
  std::optional<std::string> options;  // the options its lines were made with (all the same)
};

// Reads an earlier output (a missing or empty file holds nothing). Throws BadInput unless it is
// a sweep output in this format (csv: starting with the header) whose lines are the first items
// of `family` in order (only files may be missing: a file that cannot be read has no line),
// each whole and all made with the same options; a folder is refused too.
// Comparing the options with this sweep's is left to the caller.
EarlierOutput readEarlierOutput(const std::string& path, bool csv, const SweepFamily& family);

// Calls `record` for each record of a CSV text (RFC 4180: a field in double quotes may hold
// commas, line breaks and doubled quotes) with the line it starts on. Throws BadInput (with
// `path`) for broken quoting or a last record without its line break.
void readCsvRecords(std::istream& in, const std::string& path,
                    const std::function<void(const std::vector<std::string>&, std::int64_t)>& record);

}  // namespace bigraph
