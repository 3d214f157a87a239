// The program-wide run state.
#include "RunState.h"

namespace velorin {

RunState& programState() {
  static RunState state;
  return state;
}

}  // namespace velorin
