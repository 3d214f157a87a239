// The SVG, PDF and PNG writer: the scene drawn with cairo, anti-aliased, vector where the
// format is.
#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>

#include <cmath>
#include <memory>

#include "DiagramNames.h"
#include "Scene.h"

namespace bigraph::draw {
namespace {

void setColour(cairo_t* cr, unsigned rgb) {
  cairo_set_source_rgb(cr, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0,
                       (rgb & 0xFF) / 255.0);
}

// Text centred on (x, y), optionally on a white box so that it stays readable over lines.
void centredText(cairo_t* cr, const std::string& text, Point at, double size, unsigned colour,
                 bool boxed) {
  cairo_set_font_size(cr, size);
  cairo_text_extents_t extents;
  cairo_text_extents(cr, text.c_str(), &extents);
  const double x = at.x - extents.width / 2 - extents.x_bearing;
  const double y = at.y - extents.height / 2 - extents.y_bearing;
  if (boxed) {
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_rectangle(cr, at.x - extents.width / 2 - 2, at.y - extents.height / 2 - 2,
                    extents.width + 4, extents.height + 4);
    cairo_fill(cr);
  }
  setColour(cr, colour);
  cairo_move_to(cr, x, y);
  cairo_show_text(cr, text.c_str());
}

// Text centred horizontally on x with its baseline at y, so that titles line up.
void textOnBaseline(cairo_t* cr, const std::string& text, double x, double y, double size) {
  cairo_set_font_size(cr, size);
  cairo_text_extents_t extents;
  cairo_text_extents(cr, text.c_str(), &extents);
  setColour(cr, kTextColour);
  cairo_move_to(cr, x - extents.width / 2 - extents.x_bearing, y);
  cairo_show_text(cr, text.c_str());
}

// "E~_6" as "Ẽ₆": the tilde as a combining mark, the index in subscript digits.
std::string typesetDiagramNames(const std::string& text) {
  static const char* const subscripts[] = {"\u2080", "\u2081", "\u2082", "\u2083", "\u2084",
                                           "\u2085", "\u2086", "\u2087", "\u2088", "\u2089"};
  std::string out;
  for (const CaptionPiece& piece : captionPieces(text)) {
    if (!piece.isName) {
      out += piece.text;
      continue;
    }
    out += piece.letter;
    if (piece.tilde) out += "\u0303";
    for (char digit : piece.index) out += subscripts[digit - '0'];
  }
  return out;
}

void drawEdges(cairo_t* cr, const Scene& scene, const Panel& panel) {
  const double dash[] = {5 * scene.lineWidth / 1.5, 3.5 * scene.lineWidth / 1.5};
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
  for (const SceneEdge& e : panel.edges) {
    const Point a = scene.toDrawing(panel.vertices[e.from].at);
    const Point b = scene.toDrawing(panel.vertices[e.to].at);
    setColour(cr, e.solid ? kSolidColour : kDottedColour);
    cairo_set_dash(cr, dash, e.solid ? 0 : 2, 0);
    cairo_set_line_width(cr, scene.lineWidth * (e.thick ? kMultipleEdgeWidth : 1));
    cairo_move_to(cr, a.x, a.y);
    cairo_line_to(cr, b.x, b.y);
    cairo_stroke(cr);
  }
  cairo_set_dash(cr, nullptr, 0, 0);
  for (const SceneEdge& e : panel.edges) {
    if (e.multiplicity.empty()) continue;
    const Point a = scene.toDrawing(panel.vertices[e.from].at);
    const Point b = scene.toDrawing(panel.vertices[e.to].at);
    centredText(cr, e.multiplicity, {(a.x + b.x) / 2, (a.y + b.y) / 2}, scene.fontSize * 0.9,
                e.solid ? kSolidColour : kDottedColour, true);
  }
}

void drawVertices(cairo_t* cr, const Scene& scene, const Panel& panel) {
  const double r = scene.vertexRadius;
  const double labelDistance = r + 3 + scene.fontSize * 0.6;
  for (const SceneVertex& v : panel.vertices) {
    const Point p = scene.toDrawing(v.at);
    cairo_new_sub_path(cr);
    cairo_arc(cr, p.x, p.y, v.hollow ? r * 1.15 : r, 0, 2 * M_PI);
    if (v.hollow) {
      cairo_set_source_rgb(cr, 1, 1, 1);
      cairo_fill_preserve(cr);
      setColour(cr, kVertexColour);
      cairo_set_line_width(cr, std::max(0.5, r / 3));
      cairo_stroke(cr);
    } else {
      setColour(cr, kVertexColour);
      cairo_fill(cr);
    }
    // Pixel y grows downwards, layout y upwards.
    const Point out{v.labelDirection.x * labelDistance, -v.labelDirection.y * labelDistance};
    if (!v.number.empty())
      centredText(cr, v.number, {p.x + out.x, p.y + out.y}, scene.fontSize, kTextColour, false);
    if (!v.diagonal.empty())
      centredText(cr, v.diagonal,
                  {p.x + v.diagonalDirection.x * labelDistance * 1.2,
                   p.y - v.diagonalDirection.y * labelDistance * 1.2},
                  scene.fontSize * 0.85, kDiagonalColour, false);
  }
}

// The natural drawing, scaled as a whole into the picture: fonts and lines with it.
void drawScene(cairo_t* cr, const Scene& scene) {
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_translate(cr, scene.shiftX, scene.shiftY);
  cairo_scale(cr, scene.zoom, scene.zoom);
  cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  for (const Panel& panel : scene.panels) {
    drawEdges(cr, scene, panel);
    drawVertices(cr, scene, panel);
    if (!panel.title.empty())
      textOnBaseline(cr, panel.title, scene.toDrawing({panel.centreX, 0}).x, 10 + scene.fontSize,
                     scene.fontSize * 1.1);
  }
  if (!scene.caption.empty())
    textOnBaseline(cr, typesetDiagramNames(scene.caption), scene.naturalWidth / 2,
                   scene.naturalHeight - 10 - scene.fontSize * 0.4, scene.fontSize * 1.1);
}

// Where the bytes of a picture go: a file, or a string in memory (`memory` not null).
struct Sink {
  const std::string& path;
  std::string* memory = nullptr;
};

cairo_status_t appendToString(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

cairo_surface_t* vectorSurface(Format format, const Sink& sink, double w, double h) {
  cairo_surface_t* surface = nullptr;
  if (format == Format::Pdf)
    return sink.memory ? cairo_pdf_surface_create_for_stream(appendToString, sink.memory, w, h)
                       : cairo_pdf_surface_create(sink.path.c_str(), w, h);
  surface = sink.memory ? cairo_svg_surface_create_for_stream(appendToString, sink.memory, w, h)
                        : cairo_svg_surface_create(sink.path.c_str(), w, h);
  cairo_svg_surface_set_document_unit(surface, CAIRO_SVG_UNIT_PX);
  return surface;
}

// The writer's caller names the file in the message.
void check(cairo_status_t status) {
  if (status != CAIRO_STATUS_SUCCESS) throw DrawError(cairo_status_to_string(status));
}

void writeCairoTo(const Scene& scene, Format format, const Sink& sink) {
  using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
  using Context = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;
  const bool raster = format == Format::Png;
  Surface surface(raster ? cairo_image_surface_create(CAIRO_FORMAT_RGB24,
                                                      static_cast<int>(std::ceil(scene.width)),
                                                      static_cast<int>(std::ceil(scene.height)))
                         : vectorSurface(format, sink, scene.width, scene.height),
                  cairo_surface_destroy);
  check(cairo_surface_status(surface.get()));
  {
    Context cr(cairo_create(surface.get()), cairo_destroy);
    drawScene(cr.get(), scene);
    check(cairo_status(cr.get()));
  }
  if (raster)
    check(sink.memory ? cairo_surface_write_to_png_stream(surface.get(), appendToString, sink.memory)
                      : cairo_surface_write_to_png(surface.get(), sink.path.c_str()));
  cairo_surface_finish(surface.get());
  check(cairo_surface_status(surface.get()));
}

}  // namespace

void writeCairo(const Scene& scene, Format format, const std::string& path) {
  writeCairoTo(scene, format, Sink{path});
}

std::string cairoBytes(const Scene& scene, Format format) {
  std::string bytes;
  writeCairoTo(scene, format, Sink{"", &bytes});
  return bytes;
}

}  // namespace bigraph::draw
