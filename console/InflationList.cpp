// Printing of the list of performed inflations.
#include "InflationList.h"

namespace {
constexpr std::size_t kPairsPerLine = 7;
}

void printInflationList(const InflationList& list, Out& out) {
  for (std::size_t p = 0; p < list.size(); ++p) {
    if (p != 0) out.write(p % kPairsPerLine == 0 ? ",\n" : ", ");
    Coeffs pair = list.at(p);
    out.put('[');
    out.writeNumber(pair.i + 1);
    out.write(", ");
    out.writeNumber(pair.j + 1);
    out.put(']');
  }
}
