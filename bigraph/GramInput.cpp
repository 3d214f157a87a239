// Reading a Gram matrix from text or JSON, with positions for every refusal.
#include "GramInput.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <vector>

#include "Bigraph.h"
#include "MemoryFit.h"

BadInput::BadInput(const std::string& file, TextPosition where, const std::string& description)
    : std::runtime_error(file + ":" + std::to_string(where.line) + ":" +
                         std::to_string(where.column) + ": " + description),
      file(file),
      where(where),
      description(description) {}

namespace {

// A white-space separated word of the text form, with where it starts.
struct Token {
  std::string text;
  TextPosition where;
};

// Splits the text into words; "#" starts a comment that runs to the end of the line.
// `endOfText` receives the position just past the last character.
std::vector<Token> tokenize(const std::string& text, TextPosition& endOfText) {
  std::vector<Token> tokens;
  TextPosition at;
  std::size_t k = 0;
  auto step = [&] {
    if (text[k] == '\n') {
      ++at.line;
      at.column = 1;
    } else {
      ++at.column;
    }
    ++k;
  };
  while (k < text.size()) {
    const char c = text[k];
    if (c == '#') {
      while (k < text.size() && text[k] != '\n') step();
    } else if (std::isspace(static_cast<unsigned char>(c))) {
      step();
    } else {
      Token token{std::string(), at};
      while (k < text.size() && !std::isspace(static_cast<unsigned char>(text[k])) &&
             text[k] != '#') {
        token.text += text[k];
        step();
      }
      tokens.push_back(std::move(token));
    }
  }
  endOfText = at;
  return tokens;
}

bool isIntegerWord(const std::string& w) {
  std::size_t k = (w[0] == '-' || w[0] == '+') ? 1 : 0;
  if (k == w.size()) return false;
  for (; k < w.size(); ++k)
    if (w[k] < '0' || w[k] > '9') return false;
  return true;
}

std::string quoted(const std::string& word) {
  const std::size_t shown = 40;  // a long wrong word is cut, the message stays one line
  return "\"" + (word.size() > shown ? word.substr(0, shown) + "..." : word) + "\"";
}

BigInteger integerOf(const Token& token, const std::string& name) {
  if (!isIntegerWord(token.text))
    throw BadInput(name, token.where, "expected an integer, read " + quoted(token.text));
  return stringToBigInteger(token.text[0] == '+' ? token.text.substr(1) : token.text);
}

std::string entryName(std::size_t row, std::size_t col) {
  return "(" + std::to_string(row + 1) + ", " + std::to_string(col + 1) + ")";
}

// Refuses n too large for memory (or beyond int) before anything of its size is made.
int checkedSize(const BigInteger& n, const std::string& name, TextPosition where) {
  if (n.sign == BigInteger::negative)
    throw BadInput(name, where, "the number of vertices is negative");
  const BigInteger limit(1 << 30);
  if (n > limit) throw BadInput(name, where, "the number of vertices is too large for memory");
  const int size = static_cast<int>(n.toLong());
  try {
    checkMatrixFits(size);
  } catch (const InputError&) {
    throw BadInput(name, where, "the number of vertices is too large for memory");
  }
  return size;
}

GramMatrix emptyMatrix(int n, const std::string& name, TextPosition where) {
  try {
    return GramMatrix(n);
  } catch (const std::bad_alloc&) {
    throw BadInput(name, where, "the number of vertices is too large for memory");
  }
}

void refuseBelowDiagonal(std::size_t row, std::size_t col, const std::string& name,
                         TextPosition where) {
  throw BadInput(name, where,
                 "entry " + entryName(row, col) +
                     " below the diagonal is not zero (only the diagonal and the upper "
                     "triangle are read)");
}

// Places the n*n entries tokens[first..] in row order.
GramMatrix fillRows(const std::vector<Token>& tokens, std::size_t first, int n,
                   const std::string& name) {
  GramMatrix m = emptyMatrix(n, name, tokens[0].where);
  for (std::size_t k = 0; k < static_cast<std::size_t>(n) * n; ++k) {
    const Token& token = tokens[first + k];
    const std::size_t row = k / n, col = k % n;
    BigInteger value = integerOf(token, name);
    if (row > col) {
      if (!value.isZero()) refuseBelowDiagonal(row, col, name, token.where);
    } else {
      m[row][col] = std::move(value);
    }
  }
  return m;
}

// Refuses a count of entries other than n*n, at the first extra word or at the end.
void checkEntryCount(const std::vector<Token>& tokens, std::size_t first, int n,
                     const std::string& name, TextPosition endOfText, const char* form) {
  const std::size_t wanted = static_cast<std::size_t>(n) * n;
  const std::size_t found = tokens.size() - first;
  const std::string shape = std::to_string(n) + " x " + std::to_string(n);
  if (found > wanted)
    throw BadInput(name, tokens[first + wanted].where,
                   std::string("more entries than a ") + shape + " matrix holds (" + form + ")");
  if (found < wanted) {
    for (std::size_t k = first; k < tokens.size(); ++k) integerOf(tokens[k], name);
    throw BadInput(name, endOfText,
                   "the matrix is not square: " + std::to_string(found) + " entries, a " +
                       shape + " matrix needs " + std::to_string(wanted) + " (" + form + ")");
  }
}

}  // namespace

// The dialogue form has n alone on the first line and then n*n entries; the row form has the
// first row on the first line, so its length is n. A lone number is a 1 x 1 matrix.
GramMatrix parseGramText(const std::string& text, const std::string& name) {
  TextPosition end;
  const std::vector<Token> tokens = tokenize(text, end);
  if (tokens.empty()) throw BadInput(name, end, "empty input, a Gram matrix was expected");
  std::size_t firstRowLength = 0;
  while (firstRowLength < tokens.size() &&
         tokens[firstRowLength].where.line == tokens[0].where.line)
    ++firstRowLength;
  if (firstRowLength == 1 && tokens.size() > 1) {
    const int n = checkedSize(integerOf(tokens[0], name), name, tokens[0].where);
    checkEntryCount(tokens, 1, n, name, end, "the vertex count first, then the entries");
    return fillRows(tokens, 1, n, name);
  }
  const int n = checkedSize(BigInteger(static_cast<long>(firstRowLength)), name, tokens[0].where);
  checkEntryCount(tokens, 0, n, name, end, "n read from the first row");
  return fillRows(tokens, 0, n, name);
}

GramMatrix parseGramJson(const std::string& text, const std::string& name) {
  JsonValue doc;
  try {
    doc = parseJson(text);
  } catch (const JsonSyntaxError& e) {
    throw BadInput(name, e.where, e.what());
  }
  if (doc.kind != JsonValue::Kind::Object)
    throw BadInput(name, doc.where, "expected a JSON object with the member \"gram\"");
  const JsonValue* gram = doc.member("gram");
  if (gram == nullptr) throw BadInput(name, doc.where, "the JSON object has no member \"gram\"");
  if (gram->kind != JsonValue::Kind::Array)
    throw BadInput(name, gram->where, "\"gram\" must be an array of rows");
  const int n = checkedSize(BigInteger(static_cast<long>(gram->items.size())), name, gram->where);
  GramMatrix m = emptyMatrix(n, name, gram->where);
  for (int row = 0; row < n; ++row) {
    const JsonValue& r = gram->items[row];
    if (r.kind != JsonValue::Kind::Array || r.items.size() != static_cast<std::size_t>(n))
      throw BadInput(name, r.where,
                     "the matrix is not square: row " + std::to_string(row + 1) +
                         " must be an array of " + std::to_string(n) + " integers");
    for (int col = 0; col < n; ++col) {
      const JsonValue& e = r.items[col];
      if (!e.isInteger())
        throw BadInput(name, e.where, "expected an integer for entry " + entryName(row, col));
      BigInteger value = stringToBigInteger(e.text);
      if (row > col) {
        if (!value.isZero()) refuseBelowDiagonal(row, col, name, e.where);
      } else {
        m[row][col] = std::move(value);
      }
    }
  }
  return m;
}

GramMatrix parseGram(const std::string& text, const std::string& name) {
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first != std::string::npos && text[first] == '{') return parseGramJson(text, name);
  return parseGramText(text, name);
}

InputItem nakayamaItem(int n, int r) {
  const std::string name = "nakayama " + std::to_string(n) + " " + std::to_string(r);
  const int size = checkedSize(BigInteger(n), "--nakayama", {});
  return InputItem{name, nakayamaGram(size, r), n, r};
}

InputItem readInputFile(const std::string& path) {
  std::string text;
  if (path == kStandardInputName) {
    text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  } else {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw BadInput(path, {}, std::string("cannot open: ") + std::strerror(errno));
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) throw BadInput(path, {}, "cannot read the file");
  }
  return InputItem{path, parseGram(text, path), std::nullopt, std::nullopt};
}
