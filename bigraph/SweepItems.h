// What a sweep goes through: the Nakayama ranges as items, and the items an earlier
// (interrupted) output already holds, for --resume.
#pragma once

#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

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
  int fileIndex = -1;  // into the list of files read, for a file item
};

// Every (N, R) of the ranges in order, N outer: R runs up to N where the range ends in "n".
std::vector<SweepItem> nakayamaSweepItems(const IntRange& n, const IntRange& r);

// The names of the items already written in an earlier output (jsonl or csv). A file that
// does not exist or is empty holds none. Throws BadInput for a line that is not a complete
// output line (such as a last line cut short).
std::set<std::string> itemsAlreadyWritten(const std::string& path, bool csv);
// True when the file exists and is not empty (its CSV header is then there already).
bool hasContent(const std::string& path);
