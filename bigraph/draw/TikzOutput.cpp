// The TikZ writer: a tikzpicture with named styles a paper can restyle, coordinates rounded to
// three decimals, optionally wrapped in a standalone document.
#include <cmath>
#include <cstdio>

#include "DiagramNames.h"
#include "Scene.h"

namespace bigraph::draw {
namespace {

// Centimetres per layout unit at scale 60, the default: pictures a paper can take as they are.
constexpr double kCentimetresAt60 = 1.0;
constexpr double kPointsPerCentimetre = 28.4528;

std::string fixed3(double v) {
  if (std::fabs(v) < 0.0005) v = 0;  // no "-0.000"
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.3f", v);
  return buffer;
}

std::string colourOf(unsigned rgb) {
  return "{rgb,255:red," + std::to_string((rgb >> 16) & 0xFF) + ";green," +
         std::to_string((rgb >> 8) & 0xFF) + ";blue," + std::to_string(rgb & 0xFF) + "}";
}

std::string escapeTex(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '\\': out += "\\textbackslash{}"; break;
      case '{': case '}': case '_': case '%': case '$': case '#': case '&':
        out += '\\';
        out += c;
        break;
      case '~': out += "\\textasciitilde{}"; break;
      case '^': out += "\\textasciicircum{}"; break;
      default: out += c;
    }
  }
  return out;
}

// "result: E~_6" as "result: $\widetilde{E}_{6}$", everything else escaped.
std::string texCaption(const std::string& caption) {
  std::string out;
  for (const CaptionPiece& piece : captionPieces(caption)) {
    if (!piece.isName) {
      out += escapeTex(piece.text);
      continue;
    }
    const std::string letter(1, piece.letter);
    out += "$" + (piece.tilde ? "\\widetilde{" + letter + "}" : letter) + "_{" + piece.index + "}$";
  }
  return out;
}

int angleOf(Point direction) {
  return static_cast<int>(std::lround(std::atan2(direction.y, direction.x) * 180 / M_PI));
}

// Each style is set inside the picture only when the document has not defined it, so a
// paper's \tikzset{solid edge/.style=...} (before the picture, or around it) wins.
void writeStyles(const Scene& scene, std::ostream& out) {
  const double unitCm = kCentimetresAt60 * scene.scale * scene.zoom / 60;
  // One pixel of the natural raster picture in points, so the marks keep their proportions.
  const double pixelPt = unitCm * kPointsPerCentimetre / scene.scale;
  const std::string line = fixed3(scene.lineWidth * pixelPt) + "pt";
  const double dashOn = 5 * scene.lineWidth / 1.5 * pixelPt, dashOff = 3.5 * scene.lineWidth / 1.5 * pixelPt;
  out << "\\begin{tikzpicture}[x=" << fixed3(unitCm) << "cm, y=" << fixed3(unitCm) << "cm]\n"
      << "\\providecommand\\bigraphdefaultstyle[2]{\\pgfkeysifdefined{/tikz/#1/.@cmd}{}"
         "{\\tikzset{#1/.style={#2}}}}\n";
  const auto style = [&out](const char* name, const std::string& keys) {
    out << "\\bigraphdefaultstyle{" << name << "}{" << keys << "}\n";
  };
  style("solid edge", "draw=" + colourOf(kSolidColour) + ", line width=" + line);
  style("dotted edge", "draw=" + colourOf(kDottedColour) + ", line width=" + line +
                           ", dash pattern=on " + fixed3(dashOn) + "pt off " + fixed3(dashOff) + "pt");
  style("multiple edge", "line width=" + fixed3(kMultipleEdgeWidth * scene.lineWidth * pixelPt) + "pt");
  style("vertex", "circle, fill=" + colourOf(kVertexColour) + ", inner sep=0pt, minimum size=" +
                      fixed3(2 * scene.vertexRadius * pixelPt) + "pt");
  style("hollow vertex", "vertex, fill=white, draw=" + colourOf(kVertexColour) + ", line width=" +
                             fixed3(std::max(0.5, scene.vertexRadius / 3) * pixelPt) + "pt");
  style("vertex label", "font=\\footnotesize, inner sep=1.5pt");
  style("diagonal label", "font=\\scriptsize, text=" + colourOf(kDiagonalColour) + ", inner sep=1.5pt");
  style("multiplicity", "font=\\scriptsize, fill=white, inner sep=1pt");
  style("panel title", "font=\\small");
  style("caption", "font=\\small");
}

void writePanel(const Panel& panel, std::ostream& out) {
  const auto name = [&](int v) { return "(" + panel.name + std::to_string(v + 1) + ")"; };
  for (std::size_t v = 0; v < panel.vertices.size(); ++v)
    out << "\\coordinate " << name(static_cast<int>(v)) << " at (" << fixed3(panel.vertices[v].at.x)
        << "," << fixed3(panel.vertices[v].at.y) << ");\n";
  for (const SceneEdge& e : panel.edges) {
    out << "\\draw[" << (e.solid ? "solid edge" : "dotted edge") << (e.thick ? ", multiple edge" : "")
        << "] " << name(e.from) << " -- ";
    if (!e.multiplicity.empty()) out << "node[multiplicity] {" << e.multiplicity << "} ";
    out << name(e.to) << ";\n";
  }
  for (std::size_t v = 0; v < panel.vertices.size(); ++v) {
    const SceneVertex& vertex = panel.vertices[v];
    const int angle = angleOf(vertex.labelDirection);
    out << "\\node[" << (vertex.hollow ? "hollow vertex" : "vertex");
    if (!vertex.number.empty()) out << ", label={[vertex label]" << angle << ":" << vertex.number << "}";
    if (!vertex.diagonal.empty())
      out << ", label={[diagonal label]" << angleOf(vertex.diagonalDirection) << ":" << vertex.diagonal << "}";
    out << "] at " << name(static_cast<int>(v)) << " {};\n";
  }
}

}  // namespace

void writeTikz(const Scene& scene, bool standalone, std::ostream& out) {
  if (standalone)
    out << "\\documentclass[tikz,border=4pt]{standalone}\n\\begin{document}\n";
  writeStyles(scene, out);
  double top = -1e300, bottom = 1e300, left = 1e300, right = -1e300;
  for (const Panel& panel : scene.panels) {
    writePanel(panel, out);
    for (const SceneVertex& v : panel.vertices) {
      top = std::max(top, v.at.y);
      bottom = std::min(bottom, v.at.y);
      left = std::min(left, v.at.x);
      right = std::max(right, v.at.x);
    }
  }
  for (const Panel& panel : scene.panels)
    if (!panel.title.empty())
      out << "\\node[panel title] at (" << fixed3(panel.centreX) << "," << fixed3(top + 0.8)
          << ") {" << escapeTex(panel.title) << "};\n";
  if (!scene.caption.empty())
    out << "\\node[caption] at (" << fixed3((left + right) / 2) << "," << fixed3(bottom - 0.9)
        << ") {" << texCaption(scene.caption) << "};\n";
  out << "\\end{tikzpicture}\n";
  if (standalone) out << "\\end{document}\n";
}

}  // namespace bigraph::draw
