// Input reading shared by both programs: the atoi rule, the dialogue reader, the checks of the
// vertex count, the matrix size and the "--Nakayama" argument count.
#include "DialogueInput.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

// Items longer than this are quoted only by their beginning in messages.
constexpr std::size_t kQuotedItemLength = 40;

// Heap bytes a small matrix entry may hold beside the BigInteger itself (its digit block and
// the allocator's bookkeeping).
constexpr std::uint64_t kEntryHeapBytes = 32;

std::string quoted(const std::string& item) {
  if (item.size() <= kQuotedItemLength) return "\"" + item + "\"";
  return "\"" + item.substr(0, kQuotedItemLength) + "...\"";
}

std::string entryName(int row, int col) {
  return "entry (" + std::to_string(row + 1) + ", " + std::to_string(col + 1) + ")";
}

[[noreturn]] void refuseEnd(const std::string& what) {
  throw InputError("Input ended where " + what + " was expected.");
}

[[noreturn]] void refuseItem(const std::string& what, const std::string& item) {
  throw InputError("Expected an integer for " + what + ", but read " + quoted(item) + ".");
}

// An optional sign followed by at least one decimal digit, nothing else.
bool isIntegerText(const std::string& s) {
  std::size_t start = (!s.empty() && (s[0] == '+' || s[0] == '-')) ? 1 : 0;
  if (start == s.size()) return false;
  for (std::size_t p = start; p < s.size(); ++p)
    if (s[p] < '0' || s[p] > '9') return false;
  return true;
}

bool isBlank(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::uint64_t physicalMemoryBytes() {
  long pages = sysconf(_SC_PHYS_PAGES);
  long pageSize = sysconf(_SC_PAGE_SIZE);
  if (pages <= 0 || pageSize <= 0) return UINT64_MAX;  // unknown: let the allocation decide
  return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
}

}  // namespace

int argumentNumber(const char* s) {
  int savedErrno = errno;  // strtol may set ERANGE; the atoi rule reports nothing
  int value = static_cast<int>(std::strtol(s, nullptr, 10));
  errno = savedErrno;
  return value;
}

bool nakayamaArgumentsComplete(int argc, const char* const argv[], NakayamaPositions pos) {
  if (argc < 4) return false;               // n and r are always read
  if (argc <= pos.k) return true;           // no run parameters given
  if (argc <= pos.m) return false;          // k without m
  if (argumentNumber(argv[pos.k]) > 0 && argc <= pos.s) return false;  // k > 0 reads s
  return true;
}

InputError matrixTooLarge(int n) {
  return InputError("A matrix of " + std::to_string(n) + " x " + std::to_string(n) +
                    " entries does not fit in memory.");
}

void checkVertexCount(int n) {
  if (n < 0)
    throw InputError("The number of vertices must not be negative, but it is " +
                     std::to_string(n) + ".");
}

void checkMatrixFits(int n) {
  checkVertexCount(n);
  const std::uint64_t entries = static_cast<std::uint64_t>(n) * static_cast<std::uint64_t>(n);
  const std::uint64_t perEntry = sizeof(BigInteger) + kEntryHeapBytes;
  const std::uint64_t rows = static_cast<std::uint64_t>(n) * sizeof(BigInteger*);
  // The input matrix and the Bigraph's copy exist together for a moment.
  const std::uint64_t needed = 2 * (entries * perEntry + rows);
  if (needed > physicalMemoryBytes()) throw matrixTooLarge(n);
}

BigInteger** allocateInputMatrix(int n) {
  checkMatrixFits(n);
  try {
    return allocateSqZeroMat(n);
  } catch (const std::bad_alloc&) {
    throw matrixTooLarge(n);
  }
}

bool DialogueReader::nextItem() {
  item_.clear();
  int c;
  do {
    c = std::getc(in_);
  } while (c != EOF && isBlank(c));
  while (c != EOF && !isBlank(c)) {
    item_.push_back(static_cast<char>(c));
    c = std::getc(in_);
  }
  // The blank that ended the item is consumed, as it belongs to no item.
  return !item_.empty();
}

int DialogueReader::readInt(const std::string& item) {
  if (!nextItem()) refuseEnd(item);
  if (!isIntegerText(item_)) refuseItem(item, item_);
  errno = 0;
  long long value = std::strtoll(item_.c_str(), nullptr, 10);
  if (errno == ERANGE || value < INT_MIN || value > INT_MAX)
    throw InputError("Expected an integer from " + std::to_string(INT_MIN) + " to " +
                     std::to_string(INT_MAX) + " for " + item + ", but read " + quoted(item_) +
                     ".");
  return static_cast<int>(value);
}

BigInteger DialogueReader::readEntry(int row, int col) {
  if (!nextItem()) refuseEnd(entryName(row, col));
  if (!isIntegerText(item_)) refuseItem(entryName(row, col), item_);
  // Up to nine digits fit in an int: the common case skips the text conversion.
  if (item_.size() <= 9) return BigInteger(static_cast<int>(std::strtol(item_.c_str(), nullptr, 10)));
  return stringToBigInteger(item_);
}

void DialogueReader::readMatrix(int n, BigInteger** m) {
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) m[i][j] = readEntry(i, j);
}
