// The text display of the Gram matrix.
#include "MatrixPrint.h"

#include <cstdint>
#include <string>

namespace {

constexpr char kBlankCell[] = "   ";

enum class BlankRule { BelowDiagonal, Never, Zero };

bool isBlank(BlankRule rule, const BigInteger& x, int row, int col) {
  switch (rule) {
    case BlankRule::BelowDiagonal: return col < row;
    case BlankRule::Never: return false;
    case BlankRule::Zero: return x.isZero();
  }
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

void printMatrix(const Bigraph& bigraph, Out& out, BlankRule rule) {
  for (int i = 0; i < bigraph.n; ++i) {
    const BigInteger* row = bigraph.gram[i];
    for (int j = 0; j < bigraph.n; ++j) {
      if (isBlank(rule, row[j], i, j))
        out.write(kBlankCell, sizeof kBlankCell - 1);
      else
        writeEntryCell(row[j], out);
    }
    out.put('\n');
  }
}

}  // namespace

void writeEntryCell(const BigInteger& x, Out& out) {
  const bool negative = x.getSign() == BigInteger::negative;
  if (x.getLength() <= 2) {
    // cell = [" " or "-"] digits " "; room for 20 digits and the two marks
    char cell[24];
    char* end = cell + sizeof cell;
    *--end = ' ';
    std::uint64_t magnitude =
        (std::uint64_t(x.getBlock(1)) << 32) | std::uint64_t(x.getBlock(0));
    char* start = digitsBefore(end, magnitude);
    *--start = negative ? '-' : ' ';
    out.write(start, static_cast<std::size_t>(cell + sizeof cell - start));
    return;
  }
  // Larger entries: the integer layer's own conversion (divide and conquer for long values).
  const std::string digits = bigUnsignedToString(x.getMagnitude());
  out.put(negative ? '-' : ' ');
  out.write(digits);
  out.put(' ');
}

void printUpperTriangLiteral(const Bigraph& bigraph, Out& out) {
  printMatrix(bigraph, out, BlankRule::BelowDiagonal);
}

void printCompleteLiteral(const Bigraph& bigraph, Out& out) {
  printMatrix(bigraph, out, BlankRule::Never);
}

void printUpperTriangNonzero(const Bigraph& bigraph, Out& out) {
  printMatrix(bigraph, out, BlankRule::Zero);
}
