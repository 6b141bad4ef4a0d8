#include "tools/skin_generator/drawing.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>

namespace kestrel::skin_generator {
namespace {

FT_Library freetype = nullptr;
FT_Face regularFace = nullptr;
FT_Face boldFace = nullptr;
cairo_font_face_t* regularCairo = nullptr;
cairo_font_face_t* boldCairo = nullptr;

void selectFont(cairo_t* cr, double size, Weight weight) {
    cairo_set_font_face(cr, weight == Weight::Bold ? boldCairo : regularCairo);
    cairo_set_font_size(cr, size);
    // Grey anti-aliasing with light hinting: crisp stems at small sizes without the colour
    // fringes subpixel rendering would bake into a texture.
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
}

}  // namespace

void setColour(cairo_t* cr, const Colour& colour) {
    cairo_set_source_rgba(cr, colour.r, colour.g, colour.b, colour.a);
}

void roundedRectangle(cairo_t* cr, double x, double y, double width, double height, double radius) {
    radius = std::min(radius, std::min(width, height) / 2);
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + width - radius, y + radius, radius, -kPi / 2, 0);
    cairo_arc(cr, x + width - radius, y + height - radius, radius, 0, kPi / 2);
    cairo_arc(cr, x + radius, y + height - radius, radius, kPi / 2, kPi);
    cairo_arc(cr, x + radius, y + radius, radius, kPi, 3 * kPi / 2);
    cairo_close_path(cr);
}

void verticalGradient(cairo_t* cr, double y0, double y1, const Colour& top, const Colour& bottom) {
    cairo_pattern_t* pattern = cairo_pattern_create_linear(0, y0, 0, y1);
    cairo_pattern_add_color_stop_rgba(pattern, 0, top.r, top.g, top.b, top.a);
    cairo_pattern_add_color_stop_rgba(pattern, 1, bottom.r, bottom.g, bottom.b, bottom.a);
    cairo_set_source(cr, pattern);
    cairo_pattern_destroy(pattern);
}

void widgetFace(cairo_t* cr, double x, double y, double width, double height, double radius, WidgetState state) {
    using namespace palette;
    // Strokes sit on half pixels so a 1 px edge stays one pixel wide.
    const double left = x + 0.5, top = y + 0.5, w = width - 1, h = height - 1;
    roundedRectangle(cr, left, top, w, h, radius);
    switch (state) {
    case WidgetState::Normal: verticalGradient(cr, top, top + h, kRaisedHigh, kRaised); break;
    case WidgetState::Hover: verticalGradient(cr, top, top + h, rgb(0x46505B), rgb(0x353C44)); break;
    case WidgetState::Active: verticalGradient(cr, top, top + h, kAccentLight, kAccent); break;
    }
    cairo_fill_preserve(cr);
    setColour(cr, state == WidgetState::Normal ? kEdge : state == WidgetState::Hover ? kAccent : kAccentDark);
    cairo_set_line_width(cr, kStroke);
    cairo_stroke(cr);
    // Top sheen: one light line inside the upper edge gives the face its lift.
    roundedRectangle(cr, left + 1, top + 1, w - 2, h - 2, std::max(0.0, radius - 1));
    cairo_save(cr);
    cairo_rectangle(cr, x, y, width, std::min(6.0, height / 2));
    cairo_clip(cr);
    cairo_set_source_rgba(cr, 1, 1, 1, state == WidgetState::Active ? 0.35 : 0.08);
    cairo_stroke(cr);
    cairo_restore(cr);
}

Colour contentColour(WidgetState state) {
    switch (state) {
    case WidgetState::Normal: return palette::kTextDim;
    case WidgetState::Hover: return palette::kText;
    case WidgetState::Active: return palette::kAccentInk;
    }
    return palette::kText;
}

double textWidth(cairo_t* cr, const std::string& text, double size, Weight weight) {
    selectFont(cr, size, weight);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text.c_str(), &extents);
    return extents.x_advance;
}

void drawText(cairo_t* cr, const std::string& text, double x, double centreY, double size, Weight weight,
              const Colour& colour, Align align) {
    selectFont(cr, size, weight);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text.c_str(), &extents);
    cairo_font_extents_t font;
    cairo_font_extents(cr, &font);
    double left = x;
    if (align == Align::Centre) left = x - extents.x_advance / 2;
    if (align == Align::Right) left = x - extents.x_advance;
    // Centre on the cap height, not the ink box, so words with and without descenders share
    // one baseline.
    const double capHeight = font.ascent * 0.72;
    const double baseline = std::round(centreY + capHeight / 2);
    setColour(cr, colour);
    cairo_move_to(cr, std::round(left), baseline);
    cairo_show_text(cr, text.c_str());
    cairo_new_path(cr);
}

bool loadFonts(const std::string& regularPath, const std::string& boldPath) {
    if (FT_Init_FreeType(&freetype) != 0) return false;
    if (FT_New_Face(freetype, regularPath.c_str(), 0, &regularFace) != 0) return false;
    if (FT_New_Face(freetype, boldPath.c_str(), 0, &boldFace) != 0) return false;
    regularCairo = cairo_ft_font_face_create_for_ft_face(regularFace, 0);
    boldCairo = cairo_ft_font_face_create_for_ft_face(boldFace, 0);
    return true;
}

void releaseFonts() {
    if (regularCairo) cairo_font_face_destroy(regularCairo);
    if (boldCairo) cairo_font_face_destroy(boldCairo);
    regularCairo = boldCairo = nullptr;
    // The FreeType faces stay until exit: cairo's font cache may still hold them after the
    // last destroy, and freeing them under it is undefined.
}

}  // namespace kestrel::skin_generator
