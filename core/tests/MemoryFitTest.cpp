// Tests of the memory check: the matrix estimate, the reading of MemAvailable and of the room
// under a limit, and the refusals of negative and too large vertex counts.
#include "MemoryFit.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <functional>
#include <string>

#include "BigInteger.h"
#include "InputErrorText.h"
#include "SanitizerBuild.h"

using namespace core;

namespace {

struct MeminfoCase {
  const char* text;
  std::uint64_t bytes;
};

TEST(AvailableFromMeminfo, ReadsTheMemAvailableLine) {
  const MeminfoCase cases[] = {
      {"MemTotal:       24000000 kB\nMemFree:        20000000 kB\nMemAvailable:    6000000 kB\n",
       6000000ull * 1024},
      {"MemAvailable: 1 kB\n", 1024},
      {"MemTotal:       24000000 kB\nMemFree:        20000000 kB\n", kUnboundedBytes},  // old kernel
      {"XMemAvailable: 5 kB\n", kUnboundedBytes},  // not the line's key
      {"MemAvailable:   \n", kUnboundedBytes},
      {"", kUnboundedBytes},
  };
  for (const MeminfoCase& c : cases) EXPECT_EQ(availableFromMeminfo(c.text), c.bytes) << c.text;
}

TEST(RoomUnderLimit, WhatIsLeftOrNothing) {
  EXPECT_EQ(roomUnderLimit(kUnboundedBytes, 12345), kUnboundedBytes);
  EXPECT_EQ(roomUnderLimit(1000, 300), 700u);
  EXPECT_EQ(roomUnderLimit(1000, 1000), 0u);
  EXPECT_EQ(roomUnderLimit(1000, 5000), 0u);
}

TEST(MatrixBytes, GrowsWithTheSquareAndNeverWraps) {
  EXPECT_EQ(matrixBytes(0), 0u);
  EXPECT_GT(matrixBytes(1), 0u);
  EXPECT_GT(matrixBytes(10000), 10000ull * 10000 * sizeof(BigInteger));
  EXPECT_LT(matrixBytes(10000), 10000ull * 10000 * 4 * sizeof(BigInteger));
  EXPECT_EQ(matrixBytes(INT_MAX), kUnboundedBytes);
}

TEST(CheckMatrixFits, CountsTheMatrixOnceAgainstTheRoomGiven) {
  EXPECT_NO_THROW(checkMatrixFits(5000, matrixBytes(5000)));
  EXPECT_EQ(messageOf([] { checkMatrixFits(5000, matrixBytes(5000) - 1); }),
            "A matrix of 5000 x 5000 entries does not fit in memory.");
  EXPECT_NO_THROW(checkMatrixFits(0, 0));
}

TEST(CheckMatrixFits, NegativeAndHugeCountsAreRefused) {
  EXPECT_NO_THROW(checkVertexCount(0));
  EXPECT_NO_THROW(checkVertexCount(7));
  EXPECT_EQ(messageOf([] { checkVertexCount(-3); }),
            "The number of vertices must not be negative, but it is -3.");
  EXPECT_EQ(messageOf([] { checkMatrixFits(INT_MIN); }),
            "The number of vertices must not be negative, but it is -2147483648.");
  EXPECT_EQ(messageOf([] { checkMatrixFits(INT_MAX); }),
            "A matrix of 2147483647 x 2147483647 entries does not fit in memory.");
  EXPECT_EQ(messageOf([] { checkMatrixFits(1000000); }),
            "A matrix of 1000000 x 1000000 entries does not fit in memory.");
  EXPECT_NO_THROW(checkMatrixFits(400));
}

TEST(MemoryRoomNow, ASmallMatrixFits) { EXPECT_GT(memoryRoomNow(), matrixBytes(100)); }

// memoryRoomNow() in a child process whose soft limit of `resource` is `bytes`: the exit status
// says whether the room it found was within the limit.
bool roomWithinLimitInChild(int resource, rlim_t bytes) {
  const pid_t child = fork();
  if (child == 0) {
    rlimit limit{};
    getrlimit(resource, &limit);
    limit.rlim_cur = bytes;
    if (setrlimit(resource, &limit) != 0) _exit(2);
    _exit(memoryRoomNow() <= bytes ? 0 : 1);
  }
  int status = -1;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(MemoryRoomNow, HonoursTheAddressSpaceAndDataLimits) {
  if (kSanitized) GTEST_SKIP() << "the sanitizer's reservations do not fit these limits";
  // Far below what the machine has available, so only the limit can bring the room down.
  constexpr rlim_t kLimit = 200 << 20;
  EXPECT_TRUE(roomWithinLimitInChild(RLIMIT_DATA, kLimit));
  EXPECT_TRUE(roomWithinLimitInChild(RLIMIT_AS, kLimit));
}

}  // namespace
