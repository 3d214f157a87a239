// The picture in the abstract, shared by the cairo and TikZ writers: vertices, edges, labels
// and caption placed in layout units, and the pixel frame around them.
#pragma once

#include <string>
#include <vector>

#include "Draw.h"
#include "Shape.h"

namespace bigraph::draw {

struct SceneVertex {
  Point at;                 // layout units, the panel's shift included
  bool hollow = false;      // the diagonal entry is not 1
  std::string number;       // "1".."n", empty without number labels
  std::string diagonal;     // the diagonal entry of a hollow vertex, empty when not shown
  Point labelDirection;     // unit vector: where the number goes
  Point diagonalDirection;  // unit vector: where the diagonal entry goes
};

struct SceneEdge {
  int from = 0;
  int to = 0;
  bool solid = true;         // negative entry; a positive one is a dotted edge
  std::string multiplicity;  // |entry| when above 1 and labels are shown, otherwise empty
  bool thick = false;        // |entry| above 1 in a picture without labels: drawn thicker
};

struct Panel {
  std::string title;  // "input" or "result" when two panels stand side by side
  std::string name;   // the TikZ node prefix: "v" or "r"
  std::vector<SceneVertex> vertices;
  std::vector<SceneEdge> edges;
  double top = 0;     // the highest y of the panel's vertices, for its title
  double centreX = 0;
};

struct Scene {
  std::vector<Panel> panels;
  std::string caption;        // the shape of the result, under two panels
  double scale = 60;          // pixels per unit
  double lineWidth = 1.5;     // pixels
  double vertexRadius = 4.5;  // pixels
  double fontSize = 12;       // pixels
  double width = 0;           // the picture in pixels
  double height = 0;
  // The drawing is made at its natural size, naturalWidth x naturalHeight pixels with the
  // sizes above, and then scaled as a whole by `zoom` (fonts and lines too) and shifted by
  // (shiftX, shiftY) into the picture: zoom 1 and no shift unless an exact size is asked for.
  double naturalWidth = 0;
  double naturalHeight = 0;
  double zoom = 1;
  double shiftX = 0;
  double shiftY = 0;
  double originX = 0;         // the natural pixel position of the unit point (0, 0)
  double originY = 0;
  bool compact = false;       // a large bigraph: thin lines and no labels
  std::vector<std::string> notes;

  // Where p lies in the natural drawing, and in the picture.
  Point toDrawing(Point p) const { return {originX + p.x * scale, originY - p.y * scale}; }
  Point toPixels(Point p) const {
    const Point d = toDrawing(p);
    return {shiftX + zoom * d.x, shiftY + zoom * d.y};
  }
};

// Line widths of a thick (multiple) edge, in single edge widths.
inline constexpr double kMultipleEdgeWidth = 2.5;

// An entry as a label: as it is up to 12 digits, longer ones as its first five and last three
// digits with their count, "-12345...678 (402 digits)", so it stays near its vertex.
std::string labelOf(const BigInteger& entry);

// Lays out the panels the request asks for. Throws DrawError when a result is asked for but
// missing.
Scene buildScene(const DrawRequest& request);

// The writers; each throws DrawError when the file cannot be written.
void writeCairo(const Scene& scene, Format format, const std::string& path);
// The SVG, PDF or PNG file's bytes in memory.
std::string cairoBytes(const Scene& scene, Format format);
void writeTikz(const Scene& scene, bool standalone, std::ostream& out);

// Colours as 0xRRGGBB: dark blue and orange, far apart in greyscale too.
inline constexpr unsigned kSolidColour = 0x1A3A80;
inline constexpr unsigned kDottedColour = 0xEF7D10;
inline constexpr unsigned kVertexColour = 0x202020;
inline constexpr unsigned kTextColour = 0x202020;
inline constexpr unsigned kDiagonalColour = 0x606060;

}  // namespace bigraph::draw
