// Input reading shared by both programs: command-line numbers, the dialogue's numbers and matrix,
// the refusal of bad input, and the check of the "--Nakayama" argument count.
//
// Nothing here prints. Every refusal is an InputError whose what() is a complete sentence;
// a program prints "Error: " + what() on its own line and exits with status 1.
#pragma once

#include <cstdio>
#include <stdexcept>
#include <string>

#include "Bigraph.h"

// Bad input from the user: not an integer, input ended early, a negative vertex count, a
// matrix too large for memory. what() is a full sentence ending in a full stop, e.g.
// "Expected an integer for k, but read \"x\"." or "Input ended where entry (2, 3) was expected."
struct InputError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A command-line number by the atoi rule, exactly as glibc's atoi: (int)strtol(s, nullptr, 10).
// Leading white space, an optional sign, decimal digits; anything else ends the number; no
// digits give 0; a value beyond long is clamped by strtol and then truncated to int. Never fails.
int argumentNumber(const char* s);

// Where the run parameters stand on a "--Nakayama" command line (argv[0] the program, argv[1]
// "--Nakayama", argv[2] n, argv[3] r). Both programs have k at 4, m at 5, s at 6; positions after
// s (the console's a; the graphical program's w, a, p) are read only when present, so they need
// no check.
struct NakayamaPositions {
  int k = 4;
  int m = 5;
  int s = 6;
};

// True when argv holds every position that a "--Nakayama" command line reads: n and r always;
// when argc > pos.k, both k and m; when also k (by the atoi rule) is above 0, s. The caller has
// already compared argv[1] with "--Nakayama". On false, print the bad-arguments line, exit 1.
bool nakayamaArgumentsComplete(int argc, const char* const argv[], NakayamaPositions pos = {});

// Refuses a negative number of vertices with an InputError; 0 and above pass.
void checkVertexCount(int n);

// Refuses, with an InputError, a vertex count whose n x n matrix of BigInteger cannot be held in
// memory (twice, since a Bigraph copies its input). The size is computed in 64 bits, so a huge n
// fails here cleanly instead of overflowing or waking the out-of-memory killer. Includes
// checkVertexCount.
void checkMatrixFits(int n);

// The refusal of a matrix too large for memory, for callers that allocate one themselves
// (NakayamaBigraph, the Bigraph copy) and catch std::bad_alloc.
InputError matrixTooLarge(int n);

// checkMatrixFits(n), then allocateSqZeroMat(n); an allocation failure becomes an InputError.
// The caller owns the result and releases it with deleteSqMat(n, m).
BigInteger** allocateInputMatrix(int n);

// Reads the dialogue's numbers from a stream, one white-space separated item at a time. It does
// not print prompts (flush your prompt before each read). Each read skips white space, then takes
// the item up to the next white space; an item that is not an optional sign followed by decimal
// digits is refused, as is the end of input before an item.
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

  // All n x n entries in row order, the part below the diagonal included, into m (n rows of n
  // entries, as allocateInputMatrix makes them).
  void readMatrix(int n, BigInteger** m);

 private:
  // The next white-space separated item; false at the end of input.
  bool nextItem();

  std::FILE* in_;
  std::string item_;
};
