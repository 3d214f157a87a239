// A small strict JSON reader (RFC 8259): the parsed tree keeps every number as its text, so
// integers of any length reach the integer layer exactly, and each value knows its position.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace bigraph {

// Why not a library: nlohmann-json's SAX interface keeps every digit and the position of a syntax
// error, but tells no position for each value, which the refusals of an entry name (2:3 below
// the diagonal); counting them around it would be more code than this reader.

// Where a value or an error stands in the text, both counted from 1; the column counts bytes.
// 64 bits: a line may be longer than 2^31 bytes.
struct TextPosition {
  std::int64_t line = 1;
  std::int64_t column = 1;
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
  std::size_t offset = 0;  // of the value's first byte in the text
  bool boolean = false;
  std::string text;  // a number as written, or a string's decoded UTF-8 content
  std::vector<JsonValue> items;  // an array's elements, or an object's member values
  std::vector<std::string> keys;  // an object's member names, in order, one per item

  // The member named `key` (the reader refuses an object with a key twice), or nullptr.
  const JsonValue* member(const std::string& key) const;
  // A number with no fraction and no exponent.
  bool isInteger() const;
};

// Parses the whole text as one JSON value; white space may surround it, nothing else. An object
// with a member name twice is refused.
// Nesting deeper than 512 levels is refused rather than risking the stack.
// `start` is the position of the text's first byte in its file.
JsonValue parseJson(const std::string& text, TextPosition start = {});

// The whole text checked as JSON, but only the top level kept: for an object, its keys and its
// members' kind, position and offset, without their contents. A large document costs no tree.
// With `hashCommentsAfter`, lines starting with "#" may follow the value (comments of a file).
JsonValue parseJsonOutline(const std::string& text, TextPosition start = {},
                           bool hashCommentsAfter = false);
// Calls `each` for every element of `array` (a value of a checked text, such as a member of an
// outline), built whole one at a time.
void forEachArrayItem(const std::string& text, const JsonValue& array,
                      const std::function<void(const JsonValue&)>& each);

}  // namespace bigraph
