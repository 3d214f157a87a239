// The dialogue reader: items scanned as integers, refused at their first wrong character.
#include "DialogueReader.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <new>

#include "MemoryFit.h"
#include "QuotedText.h"

namespace core {

namespace {

std::string entryName(int row, int col) {
  return "entry (" + std::to_string(row + 1) + ", " + std::to_string(col + 1) + ")";
}

[[noreturn]] void refuseEnd(const std::string& what) {
  throw InputError("Input ended where " + what + " was expected.");
}

[[noreturn]] void refuseItem(const std::string& what, const std::string& item) {
  throw InputError("Expected an integer for " + what + ", but read " + quotedForMessage(item) +
                   ".");
}

bool isBlank(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool isDigit(int c) { return c >= '0' && c <= '9'; }

// The number of continuation bytes that a UTF-8 lead byte announces (0 for any other byte).
int continuationBytes(int lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return 1;
  if (lead >= 0xE0 && lead <= 0xEF) return 2;
  if (lead >= 0xF0 && lead <= 0xF4) return 3;
  return 0;
}

}  // namespace

void DialogueReader::appendCharacter(int lead) {
  item_.push_back(static_cast<char>(lead));
  for (int left = continuationBytes(lead); left > 0; --left) {
    const int c = std::getc(in_);
    if (c == EOF) return;
    if ((c & 0xC0) != 0x80) {  // not part of this character: leave it in the stream
      std::ungetc(c, in_);
      return;
    }
    item_.push_back(static_cast<char>(c));
  }
}

DialogueReader::Scan DialogueReader::nextItem() {
  item_.clear();
  int c;
  do {
    c = std::getc(in_);
  } while (c != EOF && isBlank(c));
  if (c == EOF) return Scan::End;
  if (c == '+' || c == '-') {
    item_.push_back(static_cast<char>(c));
    c = std::getc(in_);
  }
  bool digits = false;
  for (; isDigit(c); c = std::getc(in_)) {
    item_.push_back(static_cast<char>(c));
    digits = true;
  }
  // A blank that ends the item is consumed, as it belongs to no item.
  if (c == EOF || isBlank(c)) return digits ? Scan::Integer : Scan::NotInteger;
  appendCharacter(c);
  return Scan::NotInteger;
}

int DialogueReader::readInt(const std::string& item) {
  const Scan scan = nextItem();
  if (scan == Scan::End) refuseEnd(item);
  if (scan == Scan::NotInteger) refuseItem(item, item_);
  errno = 0;
  long long value = std::strtoll(item_.c_str(), nullptr, 10);
  if (errno == ERANGE || value < INT_MIN || value > INT_MAX)
    throw InputError("Expected an integer from " + std::to_string(INT_MIN) + " to " +
                     std::to_string(INT_MAX) + " for " + item + ", but read " +
                     quotedForMessage(item_) + ".");
  return static_cast<int>(value);
}

BigInteger DialogueReader::readEntry(int row, int col) {
  const Scan scan = nextItem();
  if (scan == Scan::End) refuseEnd(entryName(row, col));
  if (scan == Scan::NotInteger) refuseItem(entryName(row, col), item_);
  // Up to nine digits fit in an int: the common case skips the text conversion.
  if (item_.size() <= 9) return BigInteger(static_cast<int>(std::strtol(item_.c_str(), nullptr, 10)));
  return stringToBigInteger(item_);
}

GramMatrix DialogueReader::readMatrix(int n) {
  try {
    GramMatrix m = GramMatrix::withRowsToCome(n);
    for (int i = 0; i < m.vertices(); ++i) {
      BigInteger* row = m.makeRow(i);
      for (int j = 0; j < m.vertices(); ++j) row[j] = readEntry(i, j);
    }
    return m;
  } catch (const std::bad_alloc&) {
    throw matrixTooLarge(n);
  }
}

}  // namespace core
