// Finding diagram names in captions: names at every place, and text that only looks like one.
#include <gtest/gtest.h>

#include <string>

#include "DiagramNames.h"

namespace {

// The pieces written back as "[name:letter,tilde,index]" and plain text as it is.
std::string describe(const std::string& caption) {
  std::string out;
  for (const CaptionPiece& piece : captionPieces(caption)) {
    if (!piece.isName) {
      out += "<" + piece.text + ">";
      continue;
    }
    out += std::string("[") + piece.letter + (piece.tilde ? "~" : "") + "," + piece.index + "|" + piece.text + "]";
  }
  return out;
}

TEST(DiagramNames, CaptionsCutIntoTextAndNames) {
  const struct {
    const char* caption;
    const char* pieces;
  } cases[] = {
      {"", ""},
      {"E~_6", "[E~,6|E~_6]"},
      {"result: A_5", "<result: >[A,5|A_5]"},
      {"D_12x", "[D,12|D_12]<x>"},
      {"A_3 and E~_8.", "[A,3|A_3]< and >[E~,8|E~_8]<.>"},
      {"AE_6", "<A>[E,6|E_6]"},             // the letter right before the name
      {"E~~_6", "<E~~_6>"},                 // one tilde at most
      {"A_", "<A_>"},                       // no digits
      {"B_4 F_4", "<B_4 F_4>"},             // other letters
      {"a_5", "<a_5>"},                     // lower case
      {"D~_4D_5", "[D~,4|D~_4][D,5|D_5]"},  // names side by side
      {"E_", "<E_>"},
      {"~_6", "<~_6>"},
  };
  for (const auto& c : cases) EXPECT_EQ(describe(c.caption), c.pieces) << c.caption;
}

}  // namespace
