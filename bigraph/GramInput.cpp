// Reading a Gram matrix from text or JSON, with positions for every refusal.
#include "GramInput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cstring>
#include <set>
#include <string_view>
#include <vector>

#include "Bigraph.h"
#include "MemoryFit.h"
#include "QuotedText.h"

using namespace core;

namespace bigraph {

BadInput::BadInput(const std::string& file, TextPosition where, const std::string& description)
    : std::runtime_error(file + ":" + std::to_string(where.line) + ":" +
                         std::to_string(where.column) + ": " + description),
      file(file),
      where(where),
      description(description) {}

BadInput::BadInput(const std::string& file, const std::string& description)
    : std::runtime_error(file + ": " + description), file(file), description(description) {}

namespace {

// The bytes of an input with the position of the next one, taken from a string or read in
// blocks from a file descriptor, so that reading can stop as soon as the input is refused.
class ByteSource {
 public:
  ByteSource(std::string_view text, std::string name) : block_(text), name_(std::move(name)) {}
  ByteSource(int fd, std::string name) : fd_(fd), name_(std::move(name)) {}

  // The next byte, or -1 at the end.
  int peek() {
    if (at_ == block_.size() && !refill()) return -1;
    return static_cast<unsigned char>(block_[at_]);
  }
  void advance() {
    if (block_[at_++] == '\n') {
      ++where_.line;
      where_.column = 1;
    } else {
      ++where_.column;
    }
  }
  TextPosition where() const { return where_; }
  // Everything not read yet.
  std::string rest() {
    std::string text(block_.substr(at_));
    at_ = block_.size();
    while (refill()) {
      text.append(block_);
      at_ = block_.size();
    }
    return text;
  }

 private:
  int fd_ = -1;
  std::string buffer_;
  std::string_view block_;
  std::size_t at_ = 0;
  TextPosition where_;
  std::string name_;

  bool refill() {
    if (fd_ < 0) return false;
    buffer_.resize(1 << 16);
    for (;;) {
      const ssize_t got = ::read(fd_, buffer_.data(), buffer_.size());
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) throw BadInput(name_, std::string("cannot read the file: ") + std::strerror(errno));
      block_ = std::string_view(buffer_.data(), static_cast<std::size_t>(got));
      at_ = 0;
      return got > 0;
    }
  }
};

// A white-space separated word of the text form, with where it starts.
struct Token {
  std::string text;
  TextPosition where;
};

bool isSpace(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The next word; false at the end. White space and comments ("#" to the end of the line) are
// skipped without being kept. A word that cannot be an integer is kept only as far as a message
// shows it, so a huge wrong word (or /dev/zero) is refused without being read whole.
bool nextWord(ByteSource& in, Token& token) {
  for (int c = in.peek(); c == '#' || isSpace(c); c = in.peek()) {
    if (c == '#')
      while (in.peek() != -1 && in.peek() != '\n') in.advance();
    else
      in.advance();
  }
  if (in.peek() == -1) return false;
  token.text.clear();
  token.where = in.where();
  const std::size_t shownBytes = 4 * kQuotedCharacters + 4;
  bool integerSoFar = true;
  for (int c = in.peek(); c != -1 && c != '#' && !isSpace(c); c = in.peek()) {
    const bool sign = token.text.empty() && (c == '-' || c == '+');
    integerSoFar = integerSoFar && (sign || (c >= '0' && c <= '9'));
    if (!integerSoFar && token.text.size() >= shownBytes) break;
    token.text += static_cast<char>(c);
    in.advance();
  }
  return true;
}

bool isIntegerWord(const std::string& w) {
  if (w.empty()) return false;
  std::size_t k = (w[0] == '-' || w[0] == '+') ? 1 : 0;
  if (k == w.size()) return false;
  for (; k < w.size(); ++k)
    if (w[k] < '0' || w[k] > '9') return false;
  return true;
}

BigInteger integerOf(const Token& token, const std::string& name) {
  if (!isIntegerWord(token.text))
    throw BadInput(name, token.where, "expected an integer, read " + quotedForMessage(token.text));
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
    // A classification holds about three matrices of this size at once: the input, the working
    // copy of the exact invariants or of the run, and the run's result.
    constexpr std::uint64_t kMatricesHeld = 3;
    checkMatrixFits(size, memoryRoomNow() / kMatricesHeld);
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

// Fills the matrix entry by entry in row order, from the words as they are read.
class MatrixFiller {
 public:
  MatrixFiller(int n, const std::string& name, TextPosition where, const char* form)
      : n_(n), wanted_(static_cast<std::uint64_t>(n) * static_cast<std::uint64_t>(n)),
        name_(name), form_(form), matrix_(emptyMatrix(n, name, where)) {}

  void place(const Token& token) {
    if (placed_ == wanted_)
      throw BadInput(name_, token.where,
                     "more entries than a " + shape() + " matrix holds (" + form_ + ")");
    const std::size_t row = placed_ / n_, col = placed_ % n_;
    BigInteger value = integerOf(token, name_);
    if (row > col) {
      if (!value.isZero()) refuseBelowDiagonal(row, col, name_, token.where);
    } else {
      matrix_[row][col] = std::move(value);
    }
    ++placed_;
  }

  GramMatrix finish(TextPosition endOfText) {
    if (placed_ < wanted_)
      throw BadInput(name_, endOfText,
                     "the matrix is not square: " + std::to_string(placed_) + " entries, a " +
                         shape() + " matrix needs " + std::to_string(wanted_) + " (" + form_ +
                         ")");
    return std::move(matrix_);
  }

 private:
  std::size_t n_;
  std::uint64_t wanted_;
  std::uint64_t placed_ = 0;
  const std::string& name_;
  const char* form_;
  GramMatrix matrix_;

  std::string shape() const { return std::to_string(n_) + " x " + std::to_string(n_); }
};

// The words of the first line: the first row, whose length is n, or n alone. A first row too
// long for its matrix to fit in memory is refused while it is read.
std::vector<Token> firstLine(ByteSource& in, Token& first, Token& next, bool& more,
                             const std::string& name) {
  const auto refuseNonInteger = [&](const Token& t) {
    if (!isIntegerWord(t.text)) integerOf(t, name);  // throws the message
  };
  refuseNonInteger(first);
  std::vector<Token> row{std::move(first)};
  while ((more = nextWord(in, next)) && next.where.line == row[0].where.line) {
    refuseNonInteger(next);
    row.push_back(std::move(next));
    if (row.size() >= 1024 && (row.size() & (row.size() - 1)) == 0)
      checkedSize(BigInteger(static_cast<long>(row.size())), name, row[0].where);
  }
  return row;
}

// The words of one line of an edge list, starting with `next` (already read); `more` and `next`
// are left at the first word of the following line.
std::vector<Token> lineOfWords(ByteSource& in, Token& next, bool& more) {
  std::vector<Token> words{next};
  while ((more = nextWord(in, next)) && next.where.line == words[0].where.line)
    words.push_back(next);
  return words;
}

// A vertex number of an edge list: 1..limit.
int vertexOf(const Token& token, int limit, const std::string& name) {
  const BigInteger v = integerOf(token, name);
  if (v < BigInteger(1) || v > BigInteger(limit))
    throw BadInput(name, token.where,
                   "vertex " + quotedForMessage(token.text) + " is not in 1.." +
                       std::to_string(limit));
  return static_cast<int>(v.toLong());
}

// The edge list: "edges" (and n, when given) on the first line, then one line "i j value" per
// entry. The entry goes to (min(i, j), max(i, j)); the diagonal is 1 unless a line "i i d" sets
// it; n is the largest vertex named when the first line does not give it.
GramMatrix readEdgeList(ByteSource& in, const Token& keyword, const std::string& name) {
  Token next;
  bool more = nextWord(in, next);
  std::optional<int> givenSize;
  if (more && next.where.line == keyword.where.line) {
    const TextPosition at = next.where;
    givenSize = checkedSize(integerOf(next, name), name, at);
    if ((more = nextWord(in, next)) && next.where.line == keyword.where.line)
      throw BadInput(name, next.where, "only the vertex count may follow \"edges\" on its line");
  }
  struct Entry {
    int row, col;
    BigInteger value;
    TextPosition where;
  };
  std::vector<Entry> entries;
  std::set<std::pair<int, int>> seen;
  int largest = 0;
  while (more) {
    const std::vector<Token> words = lineOfWords(in, next, more);
    if (words.size() != 3)
      throw BadInput(name, words[0].where,
                     "an edge line holds three integers: vertex, vertex, entry (read " +
                         std::to_string(words.size()) + ")");
    const int limit = givenSize ? *givenSize : 1 << 30;
    const int i = vertexOf(words[0], limit, name), j = vertexOf(words[1], limit, name);
    const int row = std::min(i, j) - 1, col = std::max(i, j) - 1;
    if (!seen.insert({row, col}).second)
      throw BadInput(name, words[0].where, "entry " + entryName(row, col) + " is given twice");
    entries.push_back({row, col, integerOf(words[2], name), words[0].where});
    largest = std::max(largest, col + 1);
  }
  const int n = givenSize ? *givenSize
                          : checkedSize(BigInteger(largest), name, keyword.where);
  GramMatrix m = emptyMatrix(n, name, keyword.where);
  for (int k = 0; k < n; ++k) m[k][k] = BigInteger(1);
  for (Entry& e : entries) m[e.row][e.col] = std::move(e.value);
  return m;
}

// The dialogue form has n alone on the first line and then n*n entries; the row form has the
// first row on the first line, so its length is n. A lone number is n, as in the dialogue of
// `inflations`: "0" is the bigraph with no vertex. A first word "edges" starts an edge list.
GramMatrix readGramText(ByteSource& in, const std::string& name) {
  Token first;
  if (!nextWord(in, first))
    throw BadInput(name, in.where(), "empty input, a Gram matrix was expected");
  if (first.text == kEdgeListKeyword) return readEdgeList(in, first, name);
  Token next;
  bool more = false;
  std::vector<Token> row = firstLine(in, first, next, more, name);
  const bool dialogue = row.size() == 1;
  const int n = dialogue ? checkedSize(integerOf(row[0], name), name, row[0].where)
                         : checkedSize(BigInteger(static_cast<long>(row.size())), name,
                                       row[0].where);
  if (dialogue && !more && n > 0)
    throw BadInput(name, in.where(),
                   "a lone number is the vertex count n, and no entries follow it (a 1 x 1 "
                   "matrix is written as 1, then its entry on the next line)");
  MatrixFiller filler(n, name, row[0].where,
                      dialogue ? "the vertex count first, then the entries"
                               : "n read from the first row");
  if (!dialogue)
    for (const Token& t : row) filler.place(t);
  row.clear();
  row.shrink_to_fit();
  for (; more; more = nextWord(in, next)) filler.place(next);
  return filler.finish(in.where());
}

// A UTF-8 byte order mark, as some editors write at the start of a file, is passed over.
void skipByteOrderMark(ByteSource& in, const std::string& name) {
  std::string seen;
  for (const unsigned char mark : {0xEF, 0xBB, 0xBF}) {
    if (in.peek() != mark) break;
    seen += static_cast<char>(mark);
    in.advance();
  }
  if (!seen.empty() && seen.size() < 3)
    throw BadInput(name, TextPosition{}, "expected an integer, read " + quotedForMessage(seen));
}

GramMatrix readGram(ByteSource& in, const std::string& name) {
  skipByteOrderMark(in, name);
  // White space and "#" comments before the first word; the text form skips them itself, JSON
  // is told where it starts.
  for (int c = in.peek(); c == '#' || isSpace(c); c = in.peek()) {
    if (c == '#')
      while (in.peek() != -1 && in.peek() != '\n') in.advance();
    else
      in.advance();
  }
  if (in.peek() != '{') return readGramText(in, name);
  const TextPosition start = in.where();
  return parseGramJson(in.rest(), name, start);
}

}  // namespace

GramMatrix parseGramText(const std::string& text, const std::string& name) {
  ByteSource in(std::string_view(text), name);
  return readGramText(in, name);
}

// The rows are read one at a time into the matrix, n taken from the first row; only the outline
// of the document is kept, so memory follows the matrix, not the text.
GramMatrix parseGramJson(const std::string& text, const std::string& name, TextPosition start) {
  JsonValue doc;
  try {
    doc = parseJsonOutline(text, start, true);
  } catch (const JsonSyntaxError& e) {
    throw BadInput(name, e.where, e.what());
  }
  if (doc.kind != JsonValue::Kind::Object)
    throw BadInput(name, doc.where, "expected a JSON object with the member \"gram\"");
  const JsonValue* gram = doc.member("gram");
  if (gram == nullptr) throw BadInput(name, doc.where, "the JSON object has no member \"gram\"");
  if (gram->kind != JsonValue::Kind::Array)
    throw BadInput(name, gram->where, "\"gram\" must be an array of rows");
  GramMatrix m;
  int n = 0, row = 0;
  forEachArrayItem(text, *gram, [&](const JsonValue& r) {
    if (row == 0) {
      if (r.kind != JsonValue::Kind::Array)
        throw BadInput(name, r.where, "row 1 must be an array of integers");
      n = checkedSize(BigInteger(static_cast<long>(r.items.size())), name, gram->where);
      m = emptyMatrix(n, name, gram->where);
    }
    if (row >= n)
      throw BadInput(name, r.where,
                     "the matrix is not square: more rows than a " + std::to_string(n) + " x " +
                         std::to_string(n) + " matrix holds (n read from the first row)");
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
    ++row;
  });
  if (row < n)
    throw BadInput(name, gram->where,
                   "the matrix is not square: " + std::to_string(row) + " rows, a " +
                       std::to_string(n) + " x " + std::to_string(n) + " matrix needs " +
                       std::to_string(n) + " (n read from the first row)");
  return m;
}

GramMatrix parseGram(const std::string& text, const std::string& name) {
  ByteSource in(std::string_view(text), name);
  return readGram(in, name);
}

InputItem nakayamaItem(int n, int r) {
  const std::string name = "nakayama " + std::to_string(n) + " " + std::to_string(r);
  const int size = checkedSize(BigInteger(n), "--nakayama", {});
  return InputItem{name, nakayamaGram(size, r), n, r};
}

namespace {

// Opens the file for reading; a folder or an unreadable file is BadInput.
int openInput(const std::string& path) {
  const bool standardInput = path == kStandardInputName;
  const int fd = standardInput ? STDIN_FILENO : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw BadInput(path, {}, std::string("cannot open: ") + std::strerror(errno));
  struct stat info {};
  if (fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    if (!standardInput) ::close(fd);
    throw BadInput(path, "is a directory");
  }
  return fd;
}

}  // namespace

InputItem readInputFile(const std::string& path) {
  const int fd = openInput(path);
  try {
    ByteSource in(fd, path);
    GramMatrix upper = readGram(in, path);
    if (fd != STDIN_FILENO) ::close(fd);
    return InputItem{path, std::move(upper), std::nullopt, std::nullopt};
  } catch (...) {
    if (fd != STDIN_FILENO) ::close(fd);
    throw;
  }
}

}  // namespace bigraph
