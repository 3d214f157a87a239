// The inflation bound UIDFpos.
#include "RunState.h"

#include <climits>

namespace velorin {

int boundForVertexCount(int n) {
  if (n <= 0) return 0;
  if (n <= 3) return n * (n - 1) / 2;
  // 6, 7 and 8 vertices have fixed bounds above the n(n-2) rule of the others.
  switch (n) {
    case 6: return 30;
    case 7: return 56;
    case 8: return 112;
    default: {
      // Counts this large cannot be allocated anyway; the bound saturates instead of wrapping.
      const long long bound = static_cast<long long>(n) * (n - 2);
      return bound > INT_MAX ? INT_MAX : static_cast<int>(bound);
    }
  }
}

}  // namespace velorin
