// The memory check of the input matrix against the memory and limits the process has now.
#include "MemoryFit.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <sstream>
#include <string>

#include "BigInteger.h"

namespace core {

namespace {

std::string fileText(const char* path) {
  std::ifstream file(path);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

std::uint64_t pageBytes() {
  const long size = sysconf(_SC_PAGE_SIZE);
  return size > 0 ? static_cast<std::uint64_t>(size) : 4096;
}

// The soft limit of a resource in bytes, kUnboundedBytes when there is none.
std::uint64_t softLimit(int resource) {
  rlimit limit{};
  if (getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return kUnboundedBytes;
  return static_cast<std::uint64_t>(limit.rlim_cur);
}

// What the process holds now, as the two limits count it: its whole address space, and its
// data (private writable memory and stack). Zero for both when /proc cannot tell.
struct ProcessSize {
  std::uint64_t addressSpace = 0;
  std::uint64_t data = 0;
};

ProcessSize processSizeNow() {
  // /proc/self/statm: size resident shared text lib data dt, in pages.
  std::istringstream statm(fileText("/proc/self/statm"));
  std::uint64_t size = 0, resident = 0, shared = 0, text = 0, lib = 0, data = 0;
  if (!(statm >> size >> resident >> shared >> text >> lib >> data)) return {};
  return {size * pageBytes(), data * pageBytes()};
}

}  // namespace

std::uint64_t matrixBytes(int n) {
  const std::uint64_t side = static_cast<std::uint64_t>(std::max(n, 0));
  const std::uint64_t perEntry = sizeof(BigInteger);  // a small entry holds its digits itself
  const std::uint64_t perRow = side * perEntry + sizeof(BigInteger*);
  if (side != 0 && perRow > kUnboundedBytes / side) return kUnboundedBytes;  // beyond 64 bits
  return side * perRow;
}

std::uint64_t availableFromMeminfo(std::string_view meminfo) {
  constexpr std::string_view kKey = "MemAvailable:";
  std::size_t at = meminfo.find(kKey);
  while (at != std::string_view::npos && at != 0 && meminfo[at - 1] != '\n')
    at = meminfo.find(kKey, at + 1);  // the key must begin a line
  if (at == std::string_view::npos) return kUnboundedBytes;
  std::string_view rest = meminfo.substr(at + kKey.size());
  const std::size_t digits = rest.find_first_not_of(" \t");
  if (digits == std::string_view::npos) return kUnboundedBytes;
  rest.remove_prefix(digits);
  std::uint64_t kibibytes = 0;
  const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), kibibytes);
  if (error != std::errc() || kibibytes > kUnboundedBytes / 1024) return kUnboundedBytes;
  // The kernel writes the amount in kB, meaning KiB.
  return kibibytes * 1024;
}

std::uint64_t roomUnderLimit(std::uint64_t limit, std::uint64_t used) {
  if (limit == kUnboundedBytes) return kUnboundedBytes;
  return limit > used ? limit - used : 0;
}

std::uint64_t memoryRoomNow() {
  const ProcessSize size = processSizeNow();
  return std::min({availableFromMeminfo(fileText("/proc/meminfo")),
                   roomUnderLimit(softLimit(RLIMIT_AS), size.addressSpace),
                   roomUnderLimit(softLimit(RLIMIT_DATA), size.data)});
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

void checkMatrixFits(int n, std::uint64_t roomBytes) {
  checkVertexCount(n);
  if (matrixBytes(n) > roomBytes) throw matrixTooLarge(n);
}

void checkMatrixFits(int n) { checkMatrixFits(n, memoryRoomNow()); }

}  // namespace core
