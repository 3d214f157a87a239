// The text display of the Gram matrix.
#include "MatrixPrint.h"

#include <cstdint>
#include <string>
#include <vector>

using namespace core;

namespace console {

namespace {

enum class BlankRule { BelowDiagonal, Never, Zero };

template <BlankRule rule>
bool isBlank(const BigInteger& x, int row, int col) {
  if constexpr (rule == BlankRule::BelowDiagonal) return col < row;
  if constexpr (rule == BlankRule::Zero) return x.isZero();
  return false;
}

// Digits of v written backwards from `end`; returns the first digit's position.
char* digitsBefore(char* end, std::uint64_t v) {
  do {
    *--end = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0);
  return end;
}

// The number of decimal digits of v (1 for 0).
std::size_t decimalDigits(std::uint64_t v) {
  std::size_t digits = 1;
  for (std::uint64_t power = 10; digits < 20 && v >= power; power *= 10) ++digits;
  return digits;
}

// The longest cell of an entry of at most two blocks: a sign, 20 digits and a space.
constexpr std::size_t kLongestWordCell = 22;

// Writes the cell of an entry of at most two blocks at p: " " or "-", the digits, " ".
// Returns the end of the cell.
char* wordCell(char* p, const BigInteger& x) {
  const std::uint64_t magnitude =
      (std::uint64_t(x.getBlock(1)) << 32) | std::uint64_t(x.getBlock(0));
  *p++ = x.getSign() == BigInteger::negative ? '-' : ' ';
  if (magnitude < 10) {  // nearly every entry of a positive bigraph
    *p++ = static_cast<char>('0' + magnitude);
  } else {
    p += decimalDigits(magnitude);
    digitsBefore(p, magnitude);
  }
  *p++ = ' ';
  return p;
}

// A row is made in a line buffer through a local pointer and handed over whole: a store
// through the output buffer's own char pointer would make the compiler reload its fields per
// cell. A long entry hands over the line so far and goes through writeEntryCell.
template <BlankRule rule>
void printMatrix(const Bigraph& bigraph, Out& out) {
  const std::size_t columns = bigraph.n > 0 ? static_cast<std::size_t>(bigraph.n) : 0;
  std::vector<char> line(columns * kLongestWordCell + 1);
  char* const lineStart = line.data();
  for (int i = 0; i < bigraph.n; ++i) {
    const BigInteger* row = bigraph.gram[i];
    char* p = lineStart;
    for (int j = 0; j < bigraph.n; ++j) {
      const BigInteger& x = row[j];
      if (isBlank<rule>(x, i, j)) {
        p[0] = p[1] = p[2] = ' ';
        p += 3;
      } else if (x.getLength() <= 2) {
        p = wordCell(p, x);
      } else {
        out.write(lineStart, static_cast<std::size_t>(p - lineStart));
        p = lineStart;
        writeEntryCell(x, out);
      }
    }
    *p++ = '\n';
    out.write(lineStart, static_cast<std::size_t>(p - lineStart));
  }
}

}  // namespace

void writeEntryCell(const BigInteger& x, Out& out) {
  if (x.getLength() <= 2) {
    char cell[kLongestWordCell];
    out.write(cell, static_cast<std::size_t>(wordCell(cell, x) - cell));
    return;
  }
  // Larger entries: the integer layer's own conversion (divide and conquer for long values).
  const std::string digits = bigUnsignedToString(x.getMagnitude());
  out.put(x.getSign() == BigInteger::negative ? '-' : ' ');
  out.write(digits);
  out.put(' ');
}

void printUpperTriangLiteral(const Bigraph& bigraph, Out& out) {
  printMatrix<BlankRule::BelowDiagonal>(bigraph, out);
}

void printCompleteLiteral(const Bigraph& bigraph, Out& out) {
  printMatrix<BlankRule::Never>(bigraph, out);
}

void printUpperTriangNonzero(const Bigraph& bigraph, Out& out) {
  printMatrix<BlankRule::Zero>(bigraph, out);
}

}  // namespace console
