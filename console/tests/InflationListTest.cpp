// Tests of the list of performed inflations: storage and printing.
#include "InflationList.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "OutputCapture.h"

using namespace core;
using namespace console;

namespace {

std::string printed(const InflationList& list) {
  CapturedOut captured;
  printInflationList(list, captured.out());
  return captured.text();
}

TEST(InflationList, KeepsPairsInOrder) {
  for (int n : {2, 400, 65536, 65537, 1000000}) {
    InflationList list(n);
    std::mt19937 random(7);
    std::vector<Coeffs> pushed;
    for (int p = 0; p < 1000; ++p) {
      int i = static_cast<int>(random() % static_cast<unsigned>(n - 1));
      int j = i + 1 + static_cast<int>(random() % static_cast<unsigned>(n - 1 - i));
      pushed.push_back({i, j});
      list.push({i, j});
    }
    ASSERT_EQ(list.size(), pushed.size());
    for (std::size_t p = 0; p < pushed.size(); ++p) {
      EXPECT_EQ(list.at(p).i, pushed[p].i) << "n " << n;
      EXPECT_EQ(list.at(p).j, pushed[p].j) << "n " << n;
    }
  }
}

TEST(InflationList, RoomMadeAheadKeepsThePairs) {
  InflationList list(400);
  for (int p = 0; p < 5000; ++p) {
    list.makeRoomForOne();
    list.push({p % 399, 399});
  }
  ASSERT_EQ(list.size(), 5000u);
  EXPECT_EQ(list.at(4999).i, 4999 % 399);
}

struct ListCase {
  int pairs;
  std::string text;
};

TEST(InflationList, PrintsSevenPairsToALine) {
  const ListCase cases[] = {
      {0, ""},
      {1, "[1, 2]"},
      {2, "[1, 2], [2, 3]"},
      {7, "[1, 2], [2, 3], [3, 4], [4, 5], [5, 6], [6, 7], [7, 8]"},
      {8, "[1, 2], [2, 3], [3, 4], [4, 5], [5, 6], [6, 7], [7, 8],\n[8, 9]"},
      {15,
       "[1, 2], [2, 3], [3, 4], [4, 5], [5, 6], [6, 7], [7, 8],\n"
       "[8, 9], [9, 10], [10, 11], [11, 12], [12, 13], [13, 14], [14, 15],\n"
       "[15, 16]"},
  };
  for (const ListCase& c : cases) {
    InflationList list(20);
    for (int p = 0; p < c.pairs; ++p) list.push({p, p + 1});
    EXPECT_EQ(printed(list), c.text) << c.pairs << " pairs";
  }
}

}  // namespace
