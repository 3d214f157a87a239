// A small strict JSON reader (RFC 8259): the parsed tree keeps every number as its text, so
// integers of any length reach the integer layer exactly, and each value knows its position.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// Where a value or an error stands in the text, both counted from 1; the column counts bytes.
struct TextPosition {
  int line = 1;
  int column = 1;
};

// Malformed JSON; what() is the description only, `where` the position it refers to.
struct JsonSyntaxError : std::runtime_error {
  JsonSyntaxError(const std::string& message, TextPosition where)
      : std::runtime_error(message), where(where) {}
  TextPosition where;
};

struct JsonValue {
  enum class Kind { Null, Boolean, Number, String, Array, Object };
  Kind kind = Kind::Null;
  TextPosition where;
  bool boolean = false;
  std::string text;  // a number as written, or a string's decoded UTF-8 content
  std::vector<JsonValue> items;  // an array's elements, or an object's member values
  std::vector<std::string> keys;  // an object's member names, in order, one per item

  // The member named `key` (the last one, when a key is repeated), or nullptr.
  const JsonValue* member(const std::string& key) const;
  // A number with no fraction and no exponent.
  bool isInteger() const;
};

// Parses the whole text as one JSON value; white space may surround it, nothing else.
// Nesting deeper than 512 levels is refused rather than risking the stack.
JsonValue parseJson(const std::string& text);
