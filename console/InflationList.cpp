// Printing of the list of performed inflations.
#include "InflationList.h"

#include "RunTexts.h"

using namespace core;

namespace console {

void printInflationList(const InflationList& list, Out& out) {
  for (std::size_t p = 0; p < list.size(); ++p) out.write(listedPair(p + 1, list.at(p)).view());
}

}  // namespace console
