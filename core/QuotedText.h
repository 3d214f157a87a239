// Input bytes shown safely inside a message: quoted, shortened, with nothing that a terminal
// would act on.
#pragma once

#include <string>
#include <string_view>

namespace core {

// Characters of the input shown at most in a message; longer input is shown by its beginning.
inline constexpr std::size_t kQuotedCharacters = 40;

// `bytes` in double quotes, for a message: at most kQuotedCharacters characters, followed by
// "..." inside the quotes when there is more. Valid
// UTF-8 characters stand as they are and a cut never falls inside one; control characters
// (C0, DEL, C1) and bytes that are not valid UTF-8 are written as \xNN per byte, each such
// byte counting as one character. The result holds no NUL and no escape sequence.
std::string quotedForMessage(std::string_view bytes);

// `text` whole, for a message line that may hold a file name or other outside bytes: control
// characters other than line break and tab, and bytes that are not valid UTF-8, are written as
// \xNN, so nothing reaches the terminal that it would act on.
std::string escapedForTerminal(std::string_view text);

}  // namespace core
