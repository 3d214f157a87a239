// Finding Dynkin diagram names in captions.
#include "DiagramNames.h"

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The length of the name starting at caption[at], or 0 when none starts there.
std::size_t nameLengthAt(const std::string& caption, std::size_t at) {
  const char c = caption[at];
  if (c != 'A' && c != 'D' && c != 'E') return 0;
  std::size_t end = at + 1;
  if (end < caption.size() && caption[end] == '~') ++end;
  if (end >= caption.size() || caption[end] != '_') return 0;
  ++end;
  const std::size_t digits = end;
  while (end < caption.size() && isDigit(caption[end])) ++end;
  return end > digits ? end - at : 0;
}

CaptionPiece plainPiece(std::string text) {
  CaptionPiece piece;
  piece.text = std::move(text);
  return piece;
}

// The name of `length` characters at caption[at].
CaptionPiece namePiece(const std::string& caption, std::size_t at, std::size_t length) {
  CaptionPiece piece;
  piece.isName = true;
  piece.text = caption.substr(at, length);
  piece.letter = caption[at];
  piece.tilde = caption[at + 1] == '~';
  const std::size_t indexAt = piece.tilde ? 3 : 2;
  piece.index = piece.text.substr(indexAt);
  return piece;
}

}  // namespace

std::vector<CaptionPiece> captionPieces(const std::string& caption) {
  std::vector<CaptionPiece> pieces;
  std::size_t plainFrom = 0;
  for (std::size_t at = 0; at < caption.size();) {
    const std::size_t length = nameLengthAt(caption, at);
    if (length == 0) {
      ++at;
      continue;
    }
    if (at > plainFrom) pieces.push_back(plainPiece(caption.substr(plainFrom, at - plainFrom)));
    pieces.push_back(namePiece(caption, at, length));
    at += length;
    plainFrom = at;
  }
  if (plainFrom < caption.size()) pieces.push_back(plainPiece(caption.substr(plainFrom)));
  return pieces;
}
