#pragma once
// Draws the skin atlas: every sprite of the sprite table into exactly its rectangle, the rest
// of the image transparent.
#include <cairo.h>

namespace kestrel::skin_generator {

// `surface` is a cleared 1024 x 1024 ARGB image.
void drawAtlas(cairo_surface_t* surface);

// Wheel pictures, drawn in screen coordinates of the main page (the caller translates).
void drawWheelFront(cairo_t* cr);
void drawWheelSide(cairo_t* cr);
// The top half of the rim, its bottom centre at (0, 0).
void drawSensitivityRim(cairo_t* cr, double width, double height);

// The application mark on a square of `size` pixels: also the window and desktop icons.
void drawAppIcon(cairo_t* cr, double size);

}  // namespace kestrel::skin_generator
