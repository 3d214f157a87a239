// The entry points: option words, the format from the extension, and the picture written
// through its output file.
#include "Draw.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "OutputFile.h"
#include "Scene.h"

namespace bigraph::draw {
namespace {

std::string lowerCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

bool parseSide(std::string_view text, int& value) {
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  return error == std::errc() && stop == end && value >= kSmallestSide && value <= kLargestSide;
}

std::string quoted(const std::string& path) { return "\"" + path + "\""; }

void writeTikzFile(const Scene& scene, bool standalone, const std::string& path,
                   const std::string& target) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  writeTikz(scene, standalone, out);
  out.close();
  if (!out) throw DrawWriteError("cannot write " + quoted(target));
}

}  // namespace

std::optional<State> parseState(std::string_view text) {
  if (text == "input") return State::Input;
  if (text == "result") return State::Result;
  if (text == "both") return State::Both;
  return std::nullopt;
}

std::optional<LayoutChoice> parseLayout(std::string_view text) {
  if (text == "circle") return LayoutChoice::Circle;
  if (text == "shape") return LayoutChoice::Shape;
  return std::nullopt;
}

std::optional<Labels> parseLabels(std::string_view text) {
  if (text == "numbers") return Labels::Numbers;
  if (text == "none") return Labels::None;
  return std::nullopt;
}

bool parseSize(std::string_view text, int& width, int& height) {
  const std::size_t x = text.find('x');
  int w = 0, h = 0;
  if (x == std::string_view::npos) {
    if (!parseSide(text, w)) return false;
    h = w;
  } else if (!parseSide(text.substr(0, x), w) || !parseSide(text.substr(x + 1), h)) {
    return false;
  }
  width = w;
  height = h;
  return true;
}

Format formatOf(const std::string& path) {
  const std::string extension = lowerCase(std::filesystem::path(path).extension().string());
  if (extension == ".svg") return Format::Svg;
  if (extension == ".pdf") return Format::Pdf;
  if (extension == ".png") return Format::Png;
  if (extension == ".tex") return Format::Tikz;
  const std::string known = "use .svg, .pdf, .png or .tex";
  if (extension.empty()) throw DrawError("the output file " + quoted(path) + " has no extension: " + known);
  throw DrawError("unknown picture format " + quoted(extension) + " of " + quoted(path) + ": " + known);
}

DrawReport drawToFile(const DrawRequest& request) {
  if (request.output.empty()) throw DrawError("no output file given");
  const Format format = formatOf(request.output);
  OutputFile file(request.output);  // a target that may not be written is refused first
  const Scene scene = buildScene(request);
  if (format == Format::Tikz)
    writeTikzFile(scene, request.options.standalone, file.temporaryPath(), request.output);
  else
    try {
      writeCairo(scene, format, file.temporaryPath());
    } catch (const DrawError& e) {
      throw DrawWriteError("cannot write " + quoted(request.output) + ": " + e.what());
    }
  file.commit();
  return DrawReport{scene.width, scene.height, scene.notes};
}

DrawnPicture drawToBytes(const DrawRequest& request, Format format) {
  const Scene scene = buildScene(request);
  DrawnPicture picture;
  if (format == Format::Tikz) {
    std::ostringstream out;
    writeTikz(scene, request.options.standalone, out);
    picture.bytes = std::move(out).str();
  } else {
    picture.bytes = cairoBytes(scene, format);
  }
  picture.report = DrawReport{scene.width, scene.height, scene.notes};
  return picture;
}

int runDraw(const DrawRequest& request, std::ostream& err) {
  try {
    const DrawReport report = drawToFile(request);
    for (const std::string& note : report.notes) err << "Note: " << note << ".\n";
    return 0;
  } catch (const DrawError& e) {
    err << "Error: " << e.what() << ".\n";
  } catch (const std::bad_alloc&) {
    err << "Error: out of memory while drawing.\n";
  }
  return 1;
}

}  // namespace bigraph::draw
