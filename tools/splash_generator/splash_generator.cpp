// Draws the engine's 256 by 256 splash: a kestrel gliding through a steering-wheel ring on a
// night-blue card with rounded corners, and the product name beneath. The corners outside
// the card are transparent, so the splash fades in cleanly over the black clear.
//
//   splash_generator <bold font.ttf> <output.png>
#include <cairo-ft.h>
#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "tools/font_generator/png_file.h"

namespace kestrel::tools {
namespace {

constexpr int kSize = 256;
constexpr double kPi = 3.14159265358979323846;
constexpr double kCardInset = 6;
constexpr double kCardRadius = 30;
constexpr double kRingX = 128, kRingY = 104, kRingRadius = 66;

struct Colour {
    double r, g, b;
};
constexpr Colour kNightTop{0.05, 0.09, 0.17};
constexpr Colour kNightBottom{0.09, 0.25, 0.33};
constexpr Colour kRust{0.89, 0.45, 0.16};
constexpr Colour kRustDark{0.62, 0.24, 0.09};
constexpr Colour kSteel{0.80, 0.85, 0.90};

void roundedRectangle(cairo_t* cr, double x, double y, double w, double h, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -kPi / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, kPi / 2);
    cairo_arc(cr, x + r, y + h - r, r, kPi / 2, kPi);
    cairo_arc(cr, x + r, y + r, r, kPi, 3 * kPi / 2);
    cairo_close_path(cr);
}

void drawCard(cairo_t* cr) {
    const double side = kSize - 2 * kCardInset;
    roundedRectangle(cr, kCardInset, kCardInset, side, side, kCardRadius);
    cairo_pattern_t* night = cairo_pattern_create_linear(0, kCardInset, 0, kCardInset + side);
    cairo_pattern_add_color_stop_rgb(night, 0, kNightTop.r, kNightTop.g, kNightTop.b);
    cairo_pattern_add_color_stop_rgb(night, 1, kNightBottom.r, kNightBottom.g, kNightBottom.b);
    cairo_set_source(cr, night);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(night);

    // A low sun behind the bird gives the card its warmth.
    cairo_pattern_t* glow = cairo_pattern_create_radial(kRingX, kRingY + 10, 4, kRingX, kRingY + 10, 110);
    cairo_pattern_add_color_stop_rgba(glow, 0, 1.0, 0.62, 0.30, 0.55);
    cairo_pattern_add_color_stop_rgba(glow, 0.5, 0.9, 0.40, 0.20, 0.15);
    cairo_pattern_add_color_stop_rgba(glow, 1, 0.9, 0.40, 0.20, 0.0);
    cairo_set_source(cr, glow);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(glow);

    cairo_set_source_rgba(cr, 1, 1, 1, 0.18);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
}

void drawRing(cairo_t* cr) {
    // The rim of a wheel, open at the bottom where the column would be, with three spokes.
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_source_rgba(cr, kSteel.r, kSteel.g, kSteel.b, 0.85);
    cairo_set_line_width(cr, 7);
    cairo_arc(cr, kRingX, kRingY, kRingRadius, kPi * 0.62, kPi * 2.38);
    cairo_stroke(cr);
    cairo_set_source_rgba(cr, kSteel.r, kSteel.g, kSteel.b, 0.35);
    cairo_set_line_width(cr, 4);
    for (double angle : {kPi, 0.0, kPi / 2}) {
        const double inner = 20, outer = kRingRadius - 4;
        cairo_move_to(cr, kRingX + inner * std::cos(angle), kRingY + 8 + inner * std::sin(angle));
        cairo_line_to(cr, kRingX + outer * std::cos(angle), kRingY + outer * std::sin(angle));
        cairo_stroke(cr);
    }
}

// One wing, drawn for the left side; the right is its mirror image.
void wingPath(cairo_t* cr) {
    cairo_move_to(cr, 120, 90);
    cairo_curve_to(cr, 98, 74, 62, 68, 24, 92);    // leading edge out to the pointed tip
    cairo_curve_to(cr, 44, 92, 56, 96, 64, 101);   // primaries
    cairo_curve_to(cr, 80, 104, 100, 112, 120, 113);
    cairo_close_path(cr);
}

void drawBird(cairo_t* cr) {
    cairo_pattern_t* rust = cairo_pattern_create_linear(0, 70, 0, 150);
    cairo_pattern_add_color_stop_rgb(rust, 0, kRust.r, kRust.g, kRust.b);
    cairo_pattern_add_color_stop_rgb(rust, 1, kRustDark.r, kRustDark.g, kRustDark.b);

    for (int side = 0; side < 2; ++side) {
        cairo_save(cr);
        if (side == 1) {
            cairo_translate(cr, kSize, 0);
            cairo_scale(cr, -1, 1);
        }
        wingPath(cr);
        cairo_set_source(cr, rust);
        cairo_fill_preserve(cr);
        // Dark wing tips, as the bird has.
        cairo_clip(cr);
        cairo_set_source_rgba(cr, 0.16, 0.08, 0.05, 0.85);
        cairo_arc(cr, 22, 96, 30, 0, 2 * kPi);
        cairo_fill(cr);
        cairo_reset_clip(cr);
        // Light along the leading edge.
        cairo_move_to(cr, 118, 91);
        cairo_curve_to(cr, 98, 77, 64, 72, 32, 90);
        cairo_set_source_rgba(cr, 1, 0.85, 0.65, 0.55);
        cairo_set_line_width(cr, 1.6);
        cairo_stroke(cr);
        cairo_restore(cr);
    }

    // Fanned tail with its dark end band.
    cairo_move_to(cr, 121, 120);
    cairo_line_to(cr, 135, 120);
    cairo_line_to(cr, 143, 154);
    cairo_curve_to(cr, 134, 158, 122, 158, 113, 154);
    cairo_close_path(cr);
    cairo_set_source(cr, rust);
    cairo_fill_preserve(cr);
    cairo_save(cr);
    cairo_clip(cr);
    cairo_rectangle(cr, 100, 146, 56, 5);
    cairo_set_source_rgba(cr, 0.16, 0.08, 0.05, 0.9);
    cairo_fill(cr);
    cairo_restore(cr);

    // Body and head.
    cairo_save(cr);
    cairo_translate(cr, 128, 103);
    cairo_scale(cr, 10.5, 23);
    cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
    cairo_restore(cr);
    cairo_set_source(cr, rust);
    cairo_fill(cr);
    cairo_arc(cr, 128, 78, 9, 0, 2 * kPi);
    cairo_set_source_rgb(cr, 0.55, 0.60, 0.70);  // the blue-grey head of the male
    cairo_fill(cr);
    cairo_move_to(cr, 125, 85);
    cairo_line_to(cr, 131, 85);
    cairo_line_to(cr, 128, 90);
    cairo_close_path(cr);
    cairo_set_source_rgb(cr, 0.95, 0.80, 0.30);
    cairo_fill(cr);
    cairo_pattern_destroy(rust);
}

void centredText(cairo_t* cr, const char* text, double y, double size, double spacing) {
    cairo_set_font_size(cr, size);
    double width = 0;
    for (const char* c = text; *c; ++c) {
        const char glyph[2] = {*c, 0};
        cairo_text_extents_t extents;
        cairo_text_extents(cr, glyph, &extents);
        width += extents.x_advance + (c[1] ? spacing : 0);
    }
    double x = (kSize - width) / 2;
    for (const char* c = text; *c; ++c) {
        const char glyph[2] = {*c, 0};
        cairo_text_extents_t extents;
        cairo_text_extents(cr, glyph, &extents);
        cairo_move_to(cr, x, y);
        cairo_show_text(cr, glyph);
        x += extents.x_advance + spacing;
    }
}

void drawTitle(cairo_t* cr, cairo_font_face_t* face) {
    cairo_set_font_face(cr, face);
    cairo_font_options_t* options = cairo_font_options_create();
    // Fixed rendering options, so the output does not depend on the desktop's settings.
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);

    cairo_set_source_rgba(cr, 0, 0, 0, 0.45);
    cairo_save(cr);
    cairo_translate(cr, 1, 2);
    centredText(cr, "KESTREL", 208, 30, 3);
    cairo_restore(cr);
    cairo_set_source_rgb(cr, 0.97, 0.97, 0.99);
    centredText(cr, "KESTREL", 208, 30, 3);
    cairo_set_source_rgb(cr, kRust.r, kRust.g + 0.1, kRust.b + 0.1);
    centredText(cr, "CUSTOMISER", 230, 11, 4);
}

// Cairo keeps premultiplied native-endian ARGB; the PNG wants straight RGBA.
RgbaImage toRgba(cairo_surface_t* surface) {
    cairo_surface_flush(surface);
    RgbaImage image(kSize, kSize);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < kSize; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
        for (int x = 0; x < kSize; ++x) {
            const std::uint32_t argb = row[x];
            const unsigned a = argb >> 24;
            std::uint8_t* out = image.at(x, y);
            out[3] = static_cast<std::uint8_t>(a);
            if (a == 0) continue;
            for (int channel = 0; channel < 3; ++channel) {
                const unsigned premultiplied = (argb >> (16 - 8 * channel)) & 0xFF;
                out[channel] = static_cast<std::uint8_t>(std::min(255u, (premultiplied * 255 + a / 2) / a));
            }
        }
    }
    return image;
}

}  // namespace
}  // namespace kestrel::tools

int main(int argc, char** argv) {
    using namespace kestrel::tools;
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <bold font.ttf> <output.png>\n", argv[0]);
        return 2;
    }
    FT_Library library = nullptr;
    FT_Face ftFace = nullptr;
    if (FT_Init_FreeType(&library) != 0 || FT_New_Face(library, argv[1], 0, &ftFace) != 0) {
        std::fprintf(stderr, "cannot open the font %s\n", argv[1]);
        return 1;
    }
    cairo_font_face_t* face = cairo_ft_font_face_create_for_ft_face(ftFace, 0);
    // Cairo may keep the face cached beyond our last use, so it frees the FreeType face itself.
    static const cairo_user_data_key_t kFaceKey{};
    cairo_font_face_set_user_data(face, &kFaceKey, ftFace,
                                  [](void* owned) { FT_Done_Face(static_cast<FT_Face>(owned)); });
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kSize, kSize);
    cairo_t* cr = cairo_create(surface);
    drawCard(cr);
    drawRing(cr);
    drawBird(cr);
    drawTitle(cr, face);
    const bool written = writePng(argv[2], toRgba(surface));
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    cairo_font_face_destroy(face);
    return written ? 0 : 1;
}
