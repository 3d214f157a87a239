// The same run loop on GMP integers, updated in place, as the speed reference of the benchmark.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct RunResult {
  std::vector<std::pair<int, int>> performed;  // 0-based pairs in the order performed
  std::vector<std::string> finalEntries;       // decimal text of the final n x n matrix
};

// Runs the loop on the Nakayama bigraph A_n(r): rule a (1, 2, 3, else first dotted edge), at most
// m inflations (m <= 0: no bound). The final entries are filled only when asked for.
RunResult runGmpLoop(int n, int r, int m, int a, bool wantEntries);
