// Quoting of raw input bytes for messages.
#include "QuotedText.h"

namespace core {

namespace {

// The length of the valid UTF-8 character at the start of `s`, or 0 when its first byte does
// not begin one (overlong forms, surrogates and values above U+10FFFF are not valid).
std::size_t utf8Length(std::string_view s) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const auto isContinuation = [&](std::size_t i) { return i < s.size() && (byte(i) & 0xC0) == 0x80; };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong form
    if (lead == 0xED) high = 0x9F;  // no surrogate
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;   // no overlong form
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (s.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i)
    if (!isContinuation(i)) return 0;
  return length;
}

// C0 controls, DEL, and the C1 controls U+0080..U+009F (C2 80..C2 9F in UTF-8), which some
// terminals take as the start of a sequence.
bool isControl(std::string_view character) {
  const auto lead = static_cast<unsigned char>(character[0]);
  if (character.size() == 1) return lead < 0x20 || lead == 0x7F;
  return character.size() == 2 && lead == 0xC2 && static_cast<unsigned char>(character[1]) < 0xA0;
}

void appendEscaped(std::string& out, std::string_view bytes) {
  constexpr char kHex[] = "0123456789ABCDEF";
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    out += "\\x";
    out += kHex[b >> 4];
    out += kHex[b & 0xF];
  }
}

}  // namespace

std::string quotedForMessage(std::string_view bytes) {
  std::string out = "\"";
  std::size_t shown = 0;
  while (!bytes.empty() && shown < kQuotedCharacters) {
    const std::size_t length = utf8Length(bytes);
    const std::string_view character = bytes.substr(0, length == 0 ? 1 : length);
    if (length == 0 || isControl(character))
      appendEscaped(out, character);
    else
      out += character;
    bytes.remove_prefix(character.size());
    ++shown;
  }
  if (!bytes.empty()) out += "...";
  return out + "\"";
}

std::string escapedForTerminal(std::string_view text) {
  std::string out;
  while (!text.empty()) {
    const std::size_t length = utf8Length(text);
    const std::string_view character = text.substr(0, length == 0 ? 1 : length);
    const bool kept = character == "\n" || character == "\t";
    if (length == 0 || (isControl(character) && !kept))
      appendEscaped(out, character);
    else
      out += character;
    text.remove_prefix(character.size());
  }
  return out;
}

}  // namespace core
