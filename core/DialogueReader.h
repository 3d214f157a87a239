// The reading of the dialogue's numbers and matrix from a stream, shared by both programs.
#pragma once

#include <cstdio>
#include <string>

#include "GramMatrix.h"
#include "InputError.h"

namespace core {

// Reads the dialogue's numbers from a stream, one white-space separated item at a time. It does
// not print prompts (flush your prompt before each read). Each read skips white space, then
// takes an optional sign and decimal digits up to the next white space or the end of input.
// Reading stops at the first character that cannot continue an integer: the item is refused,
// quoting what was read up to and including that character, so a stray item of any size costs
// no memory. The end of input before an item is refused too.
class DialogueReader {
 public:
  explicit DialogueReader(std::FILE* in) : in_(in) {}

  // One integer that fits in an int, as "%d" reads it (leading zeros and a "+" allowed).
  // `item` names what is expected, for the message: "the number of vertices", "k", "m", "s",
  // "w", "a", "p". Throws InputError when the item is not an integer, is out of the int range,
  // or the input ends first.
  int readInt(const std::string& item);

  // One matrix entry of any length as a BigInteger; row and col are 0-based and appear in the
  // message counted from 1, as "entry (row + 1, col + 1)".
  BigInteger readEntry(int row, int col);

  // All n x n entries in row order, the part below the diagonal included. Each row is allocated just
  // before it is read, so input that ends early costs only the rows begun; check the size
  // with checkMatrixFits(n) first. Throws InputError on bad input (nothing is left allocated)
  // and for a matrix the allocator refuses.
  GramMatrix readMatrix(int n);

 private:
  enum class Scan { End, Integer, NotInteger };
  // The next item into item_: End when the input ends first, Integer for a sign and digits
  // ended by white space or the end of input, NotInteger when a character cannot continue
  // the integer (item_ then ends with that character, whole when it is a UTF-8 sequence).
  Scan nextItem();
  // Appends the character whose first byte is `lead`, reading its UTF-8 continuation bytes.
  void appendCharacter(int lead);

  std::FILE* in_;
  std::string item_;
};

}  // namespace core
