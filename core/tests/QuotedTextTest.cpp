// Tests of the quoting of raw input in messages: length, escapes, UTF-8 kept whole.
#include "QuotedText.h"

#include <gtest/gtest.h>

#include <string>

using namespace core;

namespace {

struct QuoteCase {
  std::string bytes;
  std::string quoted;
};

TEST(QuotedForMessage, ShowsSafeText) {
  const std::string forty(40, 'a');
  const QuoteCase cases[] = {
      {"x", "\"x\""},
      {"", "\"\""},
      {forty, "\"" + forty + "\""},
      {forty + "b", "\"" + forty + "...\""},
      {"\x1b[2J", "\"\\x1B[2J\""},                       // no escape sequence reaches a terminal
      {std::string("1\0002", 3), "\"1\\x002\""},         // a NUL does not end the message
      {"a\tb\rc\x7f", "\"a\\x09b\\x0Dc\\x7F\""},
      {"caf\xc3\xa9", "\"caf\xc3\xa9\""},                // valid UTF-8 stays as it is
      {"\xe2\x82\xac\xf0\x9f\x99\x82", "\"\xe2\x82\xac\xf0\x9f\x99\x82\""},
      {"\xc2\x9b" "2J", "\"\\xC2\\x9B2J\""},             // C1 control (CSI)
      {"a\xff" "b", "\"a\\xFFb\""},                      // invalid byte
      {"\xc3", "\"\\xC3\""},                             // truncated character
      {"\xc0\xaf", "\"\\xC0\\xAF\""},                    // overlong form
      {"\xed\xa0\x80", "\"\\xED\\xA0\\x80\""},           // surrogate
      {"\xe2\x82" "x", "\"\\xE2\\x82x\""},
  };
  for (const QuoteCase& c : cases) EXPECT_EQ(quotedForMessage(c.bytes), c.quoted);
}

TEST(QuotedForMessage, CountsCharactersAndNeverCutsOne) {
  // 39 letters and then a two-byte character: the 40th character is shown whole.
  const std::string text = std::string(39, 'a') + "\xc3\xa9" + "zz";
  EXPECT_EQ(quotedForMessage(text), "\"" + std::string(39, 'a') + "\xc3\xa9...\"");
  // Forty three-byte characters are forty characters, not a cut at byte 40.
  std::string euros;
  for (int i = 0; i < 40; ++i) euros += "\xe2\x82\xac";
  EXPECT_EQ(quotedForMessage(euros), "\"" + euros + "\"");
  EXPECT_EQ(quotedForMessage(euros + "\xe2\x82\xac"), "\"" + euros + "...\"");
  // Forty escaped bytes are forty characters as well.
  EXPECT_EQ(quotedForMessage(std::string(41, '\x01')).size(), 1 + 40 * 4 + 3 + 1u);
}

TEST(QuotedText, EscapedForTerminalKeepsLinesAndWholeCharacters) {
  EXPECT_EQ(escapedForTerminal("a\x1b]0;t\x07 \xc3\xa9\xff\n\tz"),
            "a\\x1B]0;t\\x07 \xc3\xa9\\xFF\n\tz");
  EXPECT_EQ(escapedForTerminal(std::string("a\0b", 3)), "a\\x00b");
}

}  // namespace
