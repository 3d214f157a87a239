// The strict JSON reader: a recursive descent over the text that tracks line and column.
#include "JsonReader.h"

#include "QuotedText.h"

#include <cstdint>
#include <unordered_set>

using namespace core;

namespace bigraph {

namespace {

constexpr int kMaxDepth = 512;

class Parser {
 public:
  // Values nested deeper than `buildDepth` are checked but not kept (no text, items or keys).
  Parser(const std::string& text, TextPosition start, int buildDepth = kMaxDepth + 1)
      : text_(text), where_(start), buildDepth_(buildDepth) {}

  // Starts at byte `offset`, at position `where` (a place found by an earlier pass).
  void seek(std::size_t offset, TextPosition where) {
    pos_ = offset;
    where_ = where;
  }

  // Reads the array starting here, element by element, each kept whole only while `each` runs.
  template <class Each>
  void forEachItem(Each each) {
    expect('[', "'['");
    skipSpace();
    if (peek() == ']') return;
    for (;;) {
      skipSpace();
      each(parseValue(1));
      skipSpace();
      if (peek() != ',') return;
      advance();
    }
  }

  JsonValue parseDocument(bool hashCommentsAfter = false) {
    skipSpace();
    JsonValue value = parseValue(0);
    skipSpace();
    while (hashCommentsAfter && peek() == '#') {
      while (!atEnd() && peek() != '\n') advance();
      skipSpace();
    }
    if (!atEnd()) fail("unexpected text after the JSON value");
    return value;
  }

 private:
  const std::string& text_;
  std::size_t pos_ = 0;
  TextPosition where_;
  int buildDepth_;

  bool keeps(int depth) const { return depth < buildDepth_; }

  bool atEnd() const { return pos_ >= text_.size(); }
  char peek() const { return atEnd() ? '\0' : text_[pos_]; }

  void advance() {
    if (text_[pos_] == '\n') {
      ++where_.line;
      where_.column = 1;
    } else {
      ++where_.column;
    }
    ++pos_;
  }

  [[noreturn]] void fail(const std::string& message) const {
    throw JsonSyntaxError(message, where_);
  }

  void skipSpace() {
    while (!atEnd() && (peek() == ' ' || peek() == '\t' || peek() == '\n' || peek() == '\r'))
      advance();
  }

  void expect(char c, const char* what) {
    if (peek() != c) fail(std::string("expected ") + what);
    advance();
  }

  JsonValue parseValue(int depth) {
    if (depth > kMaxDepth) fail("JSON nested too deeply");
    if (atEnd()) fail("unexpected end of input, a value was expected");
    JsonValue value;
    value.where = where_;
    value.offset = pos_;
    const char c = peek();
    if (c == '{') {
      parseObject(value, depth);
    } else if (c == '[') {
      parseArray(value, depth);
    } else if (c == '"') {
      value.kind = JsonValue::Kind::String;
      value.text = parseString();
      if (!keeps(depth)) value.text.clear();
    } else if (c == '-' || (c >= '0' && c <= '9')) {
      value.kind = JsonValue::Kind::Number;
      value.text = parseNumber();
      if (!keeps(depth)) value.text.clear();
    } else {
      parseLiteral(value);
    }
    return value;
  }

  void parseLiteral(JsonValue& value) {
    static const std::pair<const char*, JsonValue::Kind> literals[] = {
        {"true", JsonValue::Kind::Boolean},
        {"false", JsonValue::Kind::Boolean},
        {"null", JsonValue::Kind::Null}};
    for (const auto& [word, kind] : literals) {
      const std::string w(word);
      if (text_.compare(pos_, w.size(), w) == 0) {
        for (std::size_t k = 0; k < w.size(); ++k) advance();
        value.kind = kind;
        value.boolean = w == "true";
        return;
      }
    }
    fail("unexpected character, a JSON value was expected");
  }

  void parseObject(JsonValue& value, int depth) {
    value.kind = JsonValue::Kind::Object;
    advance();  // {
    skipSpace();
    if (peek() == '}') {
      advance();
      return;
    }
    std::unordered_set<std::string> seen;  // a repeated key is refused, not silently overridden
    for (;;) {
      skipSpace();
      if (peek() != '"') fail("expected a member name in double quotes");
      const TextPosition keyAt = where_;
      std::string key = parseString();
      if (!seen.insert(key).second) {
        where_ = keyAt;
        fail("the member name " + quotedForMessage(key) + " appears twice in the object");
      }
      skipSpace();
      expect(':', "':' after the member name");
      skipSpace();
      JsonValue member = parseValue(depth + 1);
      if (keeps(depth)) {
        value.keys.push_back(std::move(key));
        value.items.push_back(std::move(member));
      }
      skipSpace();
      if (peek() == ',') {
        advance();
        continue;
      }
      expect('}', "',' or '}' in the object");
      return;
    }
  }

  void parseArray(JsonValue& value, int depth) {
    value.kind = JsonValue::Kind::Array;
    advance();  // [
    skipSpace();
    if (peek() == ']') {
      advance();
      return;
    }
    for (;;) {
      skipSpace();
      JsonValue item = parseValue(depth + 1);
      if (keeps(depth)) value.items.push_back(std::move(item));
      skipSpace();
      if (peek() == ',') {
        advance();
        continue;
      }
      expect(']', "',' or ']' in the array");
      return;
    }
  }

  void takeDigits() {
    if (!(peek() >= '0' && peek() <= '9')) fail("expected a digit");
    while (peek() >= '0' && peek() <= '9') advance();
  }

  std::string parseNumber() {
    const std::size_t start = pos_;
    if (peek() == '-') advance();
    if (peek() == '0') {
      advance();
      if (peek() >= '0' && peek() <= '9') fail("a number must not have leading zeros");
    } else {
      takeDigits();
    }
    if (peek() == '.') {
      advance();
      takeDigits();
    }
    if (peek() == 'e' || peek() == 'E') {
      advance();
      if (peek() == '+' || peek() == '-') advance();
      takeDigits();
    }
    return text_.substr(start, pos_ - start);
  }

  unsigned hexDigit() {
    const char c = peek();
    unsigned d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else fail("expected a hexadecimal digit in a \\u escape");
    advance();
    return d;
  }

  unsigned hex4() {
    unsigned v = 0;
    for (int k = 0; k < 4; ++k) v = v * 16 + hexDigit();
    return v;
  }

  static void appendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }

  std::uint32_t unicodeEscape() {
    std::uint32_t cp = hex4();
    if (isRawByte(cp)) return cp;
    if (cp >= 0xD800 && cp <= 0xDBFF) {  // a high surrogate needs its low half
      if (peek() != '\\') fail("a lone surrogate in a \\u escape");
      advance();
      expect('u', "a low surrogate \\u escape");
      const std::uint32_t low = hex4();
      if (low < 0xDC00 || low > 0xDFFF) fail("a lone surrogate in a \\u escape");
      cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
    } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
      fail("a lone surrogate in a \\u escape");
    }
    return cp;
  }

  // A lone \udc80..\udcff stands for one raw byte (as the writer puts a byte that is not UTF-8).
  static bool isRawByte(std::uint32_t cp) { return cp >= 0xDC80 && cp <= 0xDCFF; }

  void escape(std::string& out) {
    advance();  // backslash
    const char c = peek();
    static const std::pair<char, char> simple[] = {{'"', '"'}, {'\\', '\\'}, {'/', '/'},
                                                   {'b', '\b'}, {'f', '\f'}, {'n', '\n'},
                                                   {'r', '\r'}, {'t', '\t'}};
    for (const auto& [name, meaning] : simple) {
      if (c == name) {
        advance();
        out += meaning;
        return;
      }
    }
    if (c != 'u') fail("unknown escape in a string");
    advance();
    const std::uint32_t cp = unicodeEscape();
    if (isRawByte(cp))
      out += static_cast<char>(cp - 0xDC00);
    else
      appendUtf8(out, cp);
  }

  std::string parseString() {
    advance();  // opening quote
    std::string out;
    for (;;) {
      if (atEnd()) fail("unterminated string");
      const char c = peek();
      if (c == '"') {
        advance();
        return out;
      }
      if (static_cast<unsigned char>(c) < 0x20) fail("control character in a string");
      if (c == '\\') {
        escape(out);
      } else {
        out += c;
        advance();
      }
    }
  }
};

}  // namespace

const JsonValue* JsonValue::member(const std::string& key) const {
  const JsonValue* found = nullptr;
  if (kind != Kind::Object) return nullptr;
  for (std::size_t k = 0; k < keys.size(); ++k)
    if (keys[k] == key) found = &items[k];
  return found;
}

bool JsonValue::isInteger() const {
  return kind == Kind::Number && text.find_first_of(".eE") == std::string::npos;
}

JsonValue parseJson(const std::string& text, TextPosition start) {
  return Parser(text, start).parseDocument();
}

JsonValue parseJsonOutline(const std::string& text, TextPosition start, bool hashCommentsAfter) {
  return Parser(text, start, 1).parseDocument(hashCommentsAfter);
}

void forEachArrayItem(const std::string& text, const JsonValue& array,
                      const std::function<void(const JsonValue&)>& each) {
  Parser parser(text, array.where);
  parser.seek(array.offset, array.where);
  parser.forEachItem(each);
}

}  // namespace bigraph
