// Pictures of bigraphs for papers: the request (Gram matrices, options, output file) and the
// entry points that write an SVG, PDF or PNG through cairo, or TikZ text.
#pragma once

#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "Invariants.h"

namespace bigraph::draw {

enum class State { Input, Result, Both };
enum class LayoutChoice { Default, Circle, Shape };
enum class Labels { Numbers, None };
enum class Format { Svg, Pdf, Png, Tikz };

struct DrawOptions {
  State state = State::Input;
  // Default: the circle for the input, the shape for a result that has a standard drawing.
  LayoutChoice layout = LayoutChoice::Default;
  Labels labels = Labels::Numbers;
  // Pixels (points in PDF and SVG) per layout unit, the length of an edge in a shape drawing.
  // 0 takes 60, less when the picture would be wider or taller than 1600.
  double scale = 0;
  // The exact size of the picture: the drawing, fonts and lines included, scaled as a whole to
  // fit and centred; 0 x 0: the natural size, from the scale.
  int width = 0;
  int height = 0;
  bool standalone = false;  // TikZ only: a compilable standalone document
};

struct DrawRequest {
  core::GramMatrix input;                  // the upper-triangular Gram matrix as given
  std::optional<core::GramMatrix> result;  // after the inflation run; needed for State::Result and Both
  std::string resultNote;           // added to the caption, such as "9 inflations"
  std::string output;               // the file; its extension names the format
  DrawOptions options;
};

// A request that cannot be carried out; the message is a sentence for the user.
class DrawError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The output file could not be created or written (a missing folder, a full disk): the target
// was fine, the writing failed.
class DrawWriteError : public DrawError {
 public:
  using DrawError::DrawError;
};

// What drawToFile did: the picture's size and remarks for standard error.
struct DrawReport {
  double width = 0;
  double height = 0;
  std::vector<std::string> notes;
};

// "input", "result", "both"; "circle", "shape"; "numbers", "none"; none for anything else.
std::optional<State> parseState(std::string_view text);
std::optional<LayoutChoice> parseLayout(std::string_view text);
std::optional<Labels> parseLabels(std::string_view text);
// The sides an exact size may have, in pixels.
inline constexpr int kSmallestSide = 50;
inline constexpr int kLargestSide = 30000;  // cairo's image surfaces stop at 32767 pixels

// "WIDTHxHEIGHT" or "N" (N x N), integers from kSmallestSide to kLargestSide; false for
// anything else.
bool parseSize(std::string_view text, int& width, int& height);

// The format named by the file's extension (.svg, .pdf, .png, .tex; any letter case).
// Throws DrawError for a missing or unknown extension.
Format formatOf(const std::string& path);

// Writes the picture to a temporary file beside request.output and puts it in place (see
// OutputFile.h), so no partial file is ever left. Throws DrawError for a bad request or a
// target that may not be written, DrawWriteError when the writing fails.
DrawReport drawToFile(const DrawRequest& request);

// The picture in `format` as bytes in memory (request.output is not looked at): the text of
// an SVG or TikZ picture, the bytes of a PDF or PNG file. Throws DrawError for a bad request.
struct DrawnPicture {
  std::string bytes;
  DrawReport report;
};
DrawnPicture drawToBytes(const DrawRequest& request, Format format);

// drawToFile for a program: notes and "Error: ..." lines go to `err`; 0 on success, 1 on error.
int runDraw(const DrawRequest& request, std::ostream& err);

}  // namespace bigraph::draw
