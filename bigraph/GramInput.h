// The inputs of every bigraph subcommand: the Nakayama bigraph, a Gram matrix as text (the
// dialogue form, plain rows or an edge list) and a Gram matrix in JSON, each read into an upper-triangular
// integer matrix, bad input refused with the file, line and column.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>

#include "Invariants.h"
#include "JsonReader.h"

namespace bigraph {

// One thing to classify: its name (a file name, "-" for standard input, or "nakayama N R"),
// the upper-triangular Gram matrix, and N and R for a Nakayama bigraph.
struct InputItem {
  std::string name;
  core::GramMatrix upper;
  std::optional<int> nakayamaN;
  std::optional<int> nakayamaR;
};

// Input that cannot be read as a Gram matrix. what() is the whole line for standard error:
// "FILE:LINE:COLUMN: description".
struct BadInput : std::runtime_error {
  BadInput(const std::string& file, TextPosition where, const std::string& description);
  // A fault of the whole file, such as a folder given as input: "FILE: description".
  BadInput(const std::string& file, const std::string& description);
  std::string file;
  TextPosition where;
  std::string description;
};

// The first word of an edge list ("edges [n]", then one line "i j entry" per entry).
inline constexpr const char* kEdgeListKeyword = "edges";

// The name under which standard input appears in messages and outputs.
inline constexpr const char* kStandardInputName = "-";

// The bigraph of A_N(R) as an item named "nakayama N R". N must be at least 0 and small enough
// for memory, otherwise BadInput (file "--nakayama", position 1:1).
InputItem nakayamaItem(int n, int r);

// A Gram matrix in either text form or in JSON (the first character that is not white space is
// "{"), read from `text`; `name` is the file name the messages give.
core::GramMatrix parseGramText(const std::string& text, const std::string& name);
// `start`: where the JSON text begins in its file.
core::GramMatrix parseGramJson(const std::string& text, const std::string& name, TextPosition start = {});
core::GramMatrix parseGram(const std::string& text, const std::string& name);

// Reads the file (standard input for "-") and parses it, reading no further than the point where
// the text is refused. An unreadable file or a folder is BadInput too.
InputItem readInputFile(const std::string& path);

}  // namespace bigraph
