// Dynkin diagram names in captions ("A_5", "E~_6"): where they stand, for typesetting.
#pragma once

#include <string>
#include <vector>

// A piece of a caption: plain text, or a diagram name split into its parts.
struct CaptionPiece {
  bool isName = false;
  std::string text;   // the plain text, or the whole name as written
  char letter = 0;    // A, D or E
  bool tilde = false; // the Euclidean diagram ("E~_6")
  std::string index;  // the digits after '_'
};

// The caption cut into plain text and names, in order: a name is one of A, D, E, an optional
// '~', '_' and one or more digits (all of them), found leftmost first; adjacent plain text is
// one piece.
std::vector<CaptionPiece> captionPieces(const std::string& caption);
