#include "tools/skin_generator/atlas.h"

#include <cmath>
#include <string>

#include "screens/sprite_table.h"
#include "tools/skin_generator/drawing.h"

namespace kestrel::skin_generator {
namespace {

using namespace palette;
using skin::AtlasRect;

// ---------------------------------------------------------------------------------------------
// Shapes shared by several sprites

void disc(cairo_t* cr, double cx, double cy, double radius) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, cy, radius, 0, 2 * kPi);
}

void triangle(cairo_t* cr, double x0, double y0, double x1, double y1, double x2, double y2) {
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
    cairo_line_to(cr, x2, y2);
    cairo_close_path(cr);
}

// A small arrow head pointing along angle `angle` (0 = right, clockwise, y down).
void chevron(cairo_t* cr, double cx, double cy, double size, double angle) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, angle);
    triangle(cr, size, 0, -size * 0.6, -size * 0.9, -size * 0.6, size * 0.9);
    cairo_restore(cr);
}

// The dark tile every palette icon sits on, so the palette reads as one family.
void iconTile(cairo_t* cr, double width, double height) {
    roundedRectangle(cr, 0.5, 0.5, width - 1, height - 1, 6);
    verticalGradient(cr, 0, height, rgb(0x343A42), rgb(0x262A30));
    cairo_fill_preserve(cr);
    setColour(cr, kEdgeHigh);
    cairo_set_line_width(cr, kStroke);
    cairo_stroke(cr);
}

void faceDisc(cairo_t* cr, double cx, double cy, const Colour& colour, const std::string& letter, const Colour& ink) {
    disc(cr, cx, cy, 9.5);
    cairo_pattern_t* shine = cairo_pattern_create_radial(cx - 3, cy - 4, 1, cx, cy, 10);
    cairo_pattern_add_color_stop_rgb(shine, 0, std::min(1.0, colour.r + 0.25), std::min(1.0, colour.g + 0.25),
                                     std::min(1.0, colour.b + 0.25));
    cairo_pattern_add_color_stop_rgb(shine, 1, colour.r * 0.8, colour.g * 0.8, colour.b * 0.8);
    cairo_set_source(cr, shine);
    cairo_fill(cr);
    cairo_pattern_destroy(shine);
    drawText(cr, letter, cx, cy, 11, Weight::Bold, ink);
}

enum class PadShape { Cross, Circle, Square, Triangle };

void padShape(cairo_t* cr, double cx, double cy, PadShape shape, const Colour& colour) {
    disc(cr, cx, cy, 9.5);
    setColour(cr, kInk);
    cairo_fill(cr);
    setColour(cr, colour);
    cairo_set_line_width(cr, 2.0);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    switch (shape) {
    case PadShape::Cross:
        cairo_move_to(cr, cx - 4.5, cy - 4.5);
        cairo_line_to(cr, cx + 4.5, cy + 4.5);
        cairo_move_to(cr, cx + 4.5, cy - 4.5);
        cairo_line_to(cr, cx - 4.5, cy + 4.5);
        break;
    case PadShape::Circle: disc(cr, cx, cy, 5); break;
    case PadShape::Square: cairo_rectangle(cr, cx - 4.5, cy - 4.5, 9, 9); break;
    case PadShape::Triangle: triangle(cr, cx, cy - 5.5, cx + 5.5, cy + 4, cx - 5.5, cy + 4); break;
    }
    cairo_stroke(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}

// Shoulder buttons are flat bumpers, triggers tall rounded paddles: the silhouette says which.
void shoulderIcon(cairo_t* cr, const std::string& label, bool trigger) {
    iconTile(cr, 27, 30);
    if (trigger) {
        cairo_move_to(cr, 6.5, 25);
        cairo_line_to(cr, 6.5, 12);
        cairo_curve_to(cr, 6.5, 4, 20.5, 4, 20.5, 12);
        cairo_line_to(cr, 20.5, 25);
        cairo_close_path(cr);
    } else {
        cairo_move_to(cr, 4, 21);
        cairo_line_to(cr, 4, 14);
        cairo_curve_to(cr, 4, 7, 23, 7, 23, 14);
        cairo_line_to(cr, 23, 21);
        cairo_close_path(cr);
    }
    verticalGradient(cr, 4, 25, rgb(0x6A737F), rgb(0x4A525C));
    cairo_fill(cr);
    // Accent edge where the finger rests.
    cairo_set_line_width(cr, 1.5);
    setColour(cr, kAccent);
    if (trigger) {
        cairo_move_to(cr, 7.5, 11);
        cairo_curve_to(cr, 8, 5.5, 19, 5.5, 19.5, 11);
    } else {
        cairo_move_to(cr, 5.5, 12.5);
        cairo_curve_to(cr, 7, 8.5, 20, 8.5, 21.5, 12.5);
    }
    cairo_stroke(cr);
    drawText(cr, label, 13.5, trigger ? 17.5 : 16.5, 8.5, Weight::Bold, kText);
}

void stickClickIcon(cairo_t* cr, const std::string& label) {
    iconTile(cr, 27, 30);
    disc(cr, 13.5, 15, 10);
    setColour(cr, kInk);
    cairo_fill(cr);
    disc(cr, 13.5, 15, 8);
    verticalGradient(cr, 7, 23, rgb(0x5C646F), rgb(0x3C434C));
    cairo_fill(cr);
    disc(cr, 13.5, 15, 10);
    setColour(cr, kAccent);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    drawText(cr, label, 13.5, 15, 8, Weight::Bold, kText);
}

// Right stick pushed one way: the cap moved off centre with an accent arrow on that side, over
// the ring of its travel.
void stickDirectionIcon(cairo_t* cr, double angle) {
    iconTile(cr, 27, 30);
    disc(cr, 13.5, 15, 9.5);
    setColour(cr, kInk);
    cairo_fill(cr);
    const double capX = 13.5 + std::cos(angle) * 2.5, capY = 15 + std::sin(angle) * 2.5;
    disc(cr, capX, capY, 6.5);
    verticalGradient(cr, capY - 7, capY + 7, rgb(0x6A737F), rgb(0x434A53));
    cairo_fill(cr);
    drawText(cr, "R", capX, capY, 7.5, Weight::Bold, kText);
    setColour(cr, kAccent);
    cairo_set_line_width(cr, 2.0);
    cairo_arc(cr, 13.5, 15, 9.5, angle - 0.7, angle + 0.7);
    cairo_stroke(cr);
    chevron(cr, 13.5 + std::cos(angle) * 11, 15 + std::sin(angle) * 11, 3.4, angle);
    cairo_fill(cr);
}

// D-pad with the pressed arm lit. `arm`: 0 up, 1 right, 2 down, 3 left.
void dpadIcon(cairo_t* cr, int arm) {
    iconTile(cr, 27, 30);
    const double cx = 13.5, cy = 15, half = 9.5, thick = 3.5;
    cairo_rectangle(cr, cx - thick, cy - half, 2 * thick, 2 * half);
    cairo_rectangle(cr, cx - half, cy - thick, 2 * half, 2 * thick);
    setColour(cr, rgb(0x59616C));
    cairo_fill(cr);
    setColour(cr, kAccent);
    switch (arm) {
    case 0: cairo_rectangle(cr, cx - thick, cy - half, 2 * thick, half - 1.5); break;
    case 1: cairo_rectangle(cr, cx + 1.5, cy - thick, half - 1.5, 2 * thick); break;
    case 2: cairo_rectangle(cr, cx - thick, cy + 1.5, 2 * thick, half - 1.5); break;
    default: cairo_rectangle(cr, cx - half, cy - thick, half - 1.5, 2 * thick); break;
    }
    cairo_fill(cr);
    disc(cr, cx, cy, 1.6);
    setColour(cr, kInk);
    cairo_fill(cr);
}

void smallWheel(cairo_t* cr, double cx, double cy, double radius, const Colour& colour, double width) {
    setColour(cr, colour);
    cairo_set_line_width(cr, width);
    disc(cr, cx, cy, radius);
    cairo_stroke(cr);
    disc(cr, cx, cy, radius * 0.28);
    cairo_fill(cr);
    cairo_move_to(cr, cx - radius, cy);
    cairo_line_to(cr, cx + radius, cy);
    cairo_move_to(cr, cx, cy);
    cairo_line_to(cr, cx, cy + radius);
    cairo_stroke(cr);
}

// Steering locked to one end: a wheel over a long accent arrow.
void hardTurnIcon(cairo_t* cr, bool right) {
    iconTile(cr, 27, 30);
    smallWheel(cr, 13.5, 11.5, 6.5, kText, 2.0);
    setColour(cr, kAccent);
    cairo_set_line_width(cr, 2.0);
    cairo_move_to(cr, right ? 5 : 11, 24);
    cairo_line_to(cr, right ? 16 : 22, 24);
    cairo_stroke(cr);
    chevron(cr, right ? 19 : 8, 24, 3.8, right ? 0 : kPi);
    cairo_fill(cr);
}

void steeringBoostIcon(cairo_t* cr, double width, double height) {
    iconTile(cr, width, height);
    smallWheel(cr, 16, height / 2, 7, kAccent, 2.0);
    drawText(cr, "STEERING BOOST", 29, height / 2, 8.5, Weight::Bold, kText, Align::Left);
    const double chevronsX = 29 + textWidth(cr, "STEERING BOOST", 8.5, Weight::Bold) + 6;
    for (int i = 0; i < 2; ++i) {
        cairo_set_source_rgba(cr, kAccent.r, kAccent.g, kAccent.b, 0.55 + 0.45 * i);
        chevron(cr, std::min(chevronsX + i * 6, width - 8), height / 2, 3.4, 0);
        cairo_fill(cr);
    }
}

// Label arrows point back at the control: a slim accent pointer with a dark rim so it reads
// on the light and the dark parts of the pictures alike.
void labelArrow(cairo_t* cr, double width, double height, double angle) {
    cairo_save(cr);
    cairo_translate(cr, width / 2, height / 2);
    cairo_rotate(cr, angle);
    const bool sideways = std::fabs(std::sin(angle)) > 0.5;
    const double length = (sideways ? height : width) / 2 - 1.5;
    const double span = std::min(6.5, (sideways ? width : height) / 2 - 2);
    const double neck = length - 9, stem = 1.6;
    cairo_move_to(cr, length, 0);
    cairo_line_to(cr, neck, -span);
    cairo_line_to(cr, neck, -stem);
    cairo_line_to(cr, -length, -stem);
    cairo_line_to(cr, -length, stem);
    cairo_line_to(cr, neck, stem);
    cairo_line_to(cr, neck, span);
    cairo_close_path(cr);
    cairo_restore(cr);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    setColour(cr, kAccentInk);
    cairo_set_line_width(cr, 2.2);
    cairo_stroke_preserve(cr);
    setColour(cr, kAccent);
    cairo_fill(cr);
}

void colouredDot(cairo_t* cr, double width, double height, const Colour& colour) {
    const double radius = std::min(width, height) / 2 - 0.5;
    disc(cr, width / 2, height / 2, radius);
    cairo_pattern_t* shine = cairo_pattern_create_radial(width / 2 - 1, height / 2 - 1.5, 0.5, width / 2, height / 2, radius);
    cairo_pattern_add_color_stop_rgb(shine, 0, std::min(1.0, colour.r + 0.35), std::min(1.0, colour.g + 0.35),
                                     std::min(1.0, colour.b + 0.35));
    cairo_pattern_add_color_stop_rgb(shine, 1, colour.r, colour.g, colour.b);
    cairo_set_source(cr, shine);
    cairo_fill(cr);
    cairo_pattern_destroy(shine);
}

void ring(cairo_t* cr, double width, double height, const Colour& colour) {
    const double radius = std::min(width, height) / 2 - 2;
    disc(cr, width / 2, height / 2, radius);
    setColour(cr, rgb(0x111316, 0.75));
    cairo_fill_preserve(cr);
    setColour(cr, colour);
    cairo_set_line_width(cr, 2.6);
    cairo_stroke(cr);
}

void shadeStrip(cairo_t* cr, double width, double height, const Colour& top, const Colour& bottom) {
    cairo_rectangle(cr, 0, 0, width, height);
    verticalGradient(cr, 0, height, top, bottom);
    cairo_fill(cr);
}

void darkPanel(cairo_t* cr, double width, double height) {
    roundedRectangle(cr, 0.5, 0.5, width - 1, height - 1, 8);
    verticalGradient(cr, 0, height, rgb(0x14161A, 0.92), rgb(0x191C20, 0.92));
    cairo_fill_preserve(cr);
    setColour(cr, rgb(0x343A42));
    cairo_set_line_width(cr, kStroke);
    cairo_stroke(cr);
}

void heading(cairo_t* cr, const std::string& text, double height, double size) {
    drawText(cr, text, 0, height / 2, size, Weight::Bold, kText, Align::Left);
}

// ---------------------------------------------------------------------------------------------
// Buttons and checks

WidgetState stateOf(int sprite) {
    for (const skin::WidgetSprites& triple : skin::kWidgetSprites) {
        if (sprite == triple.normal) return WidgetState::Normal;
        if (sprite == triple.active) return WidgetState::Active;
        if (sprite == triple.hover) return WidgetState::Hover;
    }
    return WidgetState::Normal;
}

void textButton(cairo_t* cr, double width, double height, WidgetState state, const std::string& label) {
    widgetFace(cr, 1, 1, width - 2, height - 2, kButtonRadius, state);
    drawText(cr, label, width / 2, height / 2, 12, Weight::Bold, state == WidgetState::Normal ? kText : contentColour(state));
}

// The two big action buttons: an icon over the label.
void actionButton(cairo_t* cr, double width, double height, WidgetState state, const std::string& label, bool reset) {
    widgetFace(cr, 1, 1, width - 2, height - 2, 8, state);
    const Colour ink = state == WidgetState::Active ? kAccentInk : state == WidgetState::Hover ? kAccentLight : kAccent;
    setColour(cr, ink);
    cairo_set_line_width(cr, 2.4);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    const double cx = width / 2, cy = 25;
    if (reset) {
        cairo_arc(cr, cx, cy, 10, -kPi * 0.35, kPi * 1.35);
        cairo_stroke(cr);
        chevron(cr, cx + 10 * std::cos(-kPi * 0.35) + 1, cy + 10 * std::sin(-kPi * 0.35) - 1, 5, -kPi * 0.85);
        cairo_fill(cr);
    } else {
        // Down into the wheel: an arrow landing in a tray.
        cairo_move_to(cr, cx, cy - 12);
        cairo_line_to(cr, cx, cy + 3);
        cairo_stroke(cr);
        chevron(cr, cx, cy + 3, 5.5, kPi / 2);
        cairo_fill(cr);
        cairo_move_to(cr, cx - 12, cy + 2);
        cairo_line_to(cr, cx - 12, cy + 10);
        cairo_line_to(cr, cx + 12, cy + 10);
        cairo_line_to(cr, cx + 12, cy + 2);
        cairo_stroke(cr);
    }
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    drawText(cr, label, width / 2, 52, 11.5, Weight::Bold, state == WidgetState::Normal ? kText : contentColour(state));
}

void windowButton(cairo_t* cr, double width, double height, WidgetState state, int glyph) {
    const double cx = width / 2, cy = height / 2, radius = std::min(width, height) / 2 - 1;
    disc(cr, cx, cy, radius);
    const bool close = glyph == 0;
    if (state == WidgetState::Normal) verticalGradient(cr, 0, height, kRaisedHigh, kRaised);
    else if (state == WidgetState::Hover) verticalGradient(cr, 0, height, close ? rgb(0xF05A4A) : rgb(0x4A535E), close ? rgb(0xC43B2E) : rgb(0x39404A));
    else verticalGradient(cr, 0, height, kAccentLight, kAccentDark);
    cairo_fill_preserve(cr);
    setColour(cr, state == WidgetState::Normal ? kEdge : state == WidgetState::Hover ? (close ? rgb(0xFF8A7D) : kAccent) : kAccentDark);
    cairo_set_line_width(cr, kStroke);
    cairo_stroke(cr);
    const Colour ink = state == WidgetState::Active ? kAccentInk : kText;
    setColour(cr, ink);
    cairo_set_line_width(cr, 1.8);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    switch (glyph) {
    case 0:
        cairo_move_to(cr, cx - 4.5, cy - 4.5);
        cairo_line_to(cr, cx + 4.5, cy + 4.5);
        cairo_move_to(cr, cx + 4.5, cy - 4.5);
        cairo_line_to(cr, cx - 4.5, cy + 4.5);
        cairo_stroke(cr);
        break;
    case 1:
        cairo_move_to(cr, cx - 5, cy + 0.5);
        cairo_line_to(cr, cx + 5, cy + 0.5);
        cairo_stroke(cr);
        break;
    case 2: drawText(cr, "?", cx, cy, 13, Weight::Bold, ink); break;
    default: drawText(cr, "i", cx, cy, 19, Weight::Bold, ink); break;
    }
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}

// Tab icons are flat glyphs: lit and underlined when their page is shown.
void tabIcon(cairo_t* cr, double width, double height, WidgetState state, bool remap) {
    if (state != WidgetState::Normal) {
        roundedRectangle(cr, 0.5, 0.5, width - 1, height - 1, kButtonRadius);
        setColour(cr, state == WidgetState::Hover ? rgb(0xFFFFFF, 0.08) : rgb(0xFF8A1E, 0.16));
        cairo_fill(cr);
    }
    const Colour ink = state == WidgetState::Active ? kAccent : state == WidgetState::Hover ? kText : kSteel;
    if (remap) {
        smallWheel(cr, 22, 16, 10, ink, 2.4);
        setColour(cr, ink);
        roundedRectangle(cr, 39, 9, 8, 16, 2);
        cairo_fill(cr);
        roundedRectangle(cr, 50, 12, 8, 13, 2);
        cairo_fill(cr);
    } else {
        smallWheel(cr, width / 2, 16, 10, ink, 2.4);
    }
    if (state == WidgetState::Active) {
        roundedRectangle(cr, 4, height - 4, width - 8, 3, 1.5);
        setColour(cr, kAccent);
        cairo_fill(cr);
    }
}

void pedalsIcon(cairo_t* cr, double width, double height, WidgetState state) {
    widgetFace(cr, 0, 0, width, height, kButtonRadius, state);
    const Colour ink = state == WidgetState::Active ? kAccentInk : state == WidgetState::Hover ? kText : kSteel;
    setColour(cr, ink);
    roundedRectangle(cr, 7, 9, 8, 17, 2);
    cairo_fill(cr);
    roundedRectangle(cr, 18, 12, 8, 14, 2);
    cairo_fill(cr);
}

// Rumble levels are one segmented control; the checked segment takes its level's colour.
void rumbleCheck(cairo_t* cr, double width, double height, WidgetState state, const std::string& label, const Colour& level) {
    roundedRectangle(cr, 0.5, 0.5, width - 1, height - 1, 5);
    if (state == WidgetState::Active) {
        cairo_pattern_t* fill = cairo_pattern_create_linear(0, 0, 0, height);
        cairo_pattern_add_color_stop_rgb(fill, 0, std::min(1.0, level.r + 0.12), std::min(1.0, level.g + 0.12), std::min(1.0, level.b + 0.12));
        cairo_pattern_add_color_stop_rgb(fill, 1, level.r * 0.85, level.g * 0.85, level.b * 0.85);
        cairo_set_source(cr, fill);
        cairo_pattern_destroy(fill);
    } else if (state == WidgetState::Hover) {
        verticalGradient(cr, 0, height, rgb(0x46505B), rgb(0x353C44));
    } else {
        verticalGradient(cr, 0, height, kRaised, kPanel);
    }
    cairo_fill_preserve(cr);
    setColour(cr, state == WidgetState::Active ? rgb(0x000000, 0.35) : state == WidgetState::Hover ? level : kEdge);
    cairo_set_line_width(cr, kStroke);
    cairo_stroke(cr);
    drawText(cr, label, width / 2, height / 2, 10, Weight::Bold,
             state == WidgetState::Active ? kAccentInk : state == WidgetState::Hover ? kText : kTextDim);
}

void consoleButton(cairo_t* cr, double width, double height, WidgetState state, const std::string& label) {
    widgetFace(cr, 1, 1, width - 2, height - 2, 8, state);
    const Colour ink = state == WidgetState::Active ? kAccentInk : state == WidgetState::Hover ? kText : kTextDim;
    // A status lamp: on for the chosen console.
    disc(cr, 15, height / 2, 4);
    setColour(cr, state == WidgetState::Active ? kAccentInk : state == WidgetState::Hover ? kAccent : kEdgeHigh);
    cairo_fill(cr);
    drawText(cr, label, width / 2 + 7, height / 2, 13, Weight::Bold, ink);
}

// ---------------------------------------------------------------------------------------------
// Boxes, panels and larger pictures

// Frame sources are uniform along each edge and flat in the middle, so any 3 x 3 cut of them
// stretches without a seam; the corner radius stays inside the corner piece.
void frameSource(cairo_t* cr, double size, double radius, bool filled, bool large) {
    const double inset = large ? 3.5 : 0.5;
    if (large) {
        // Soft shadow in the margin, built from nested outlines.
        for (int i = 0; i < 3; ++i) {
            roundedRectangle(cr, 0.5 + i, 0.5 + i, size - 1 - 2 * i, size - 1 - 2 * i, radius + 3 - i);
            cairo_set_source_rgba(cr, 0, 0, 0, 0.10 + 0.08 * i);
            cairo_set_line_width(cr, 1.0);
            cairo_stroke(cr);
        }
    }
    roundedRectangle(cr, inset, inset, size - 2 * inset, size - 2 * inset, radius);
    if (filled) {
        setColour(cr, large ? kPanel : kRaised);
        cairo_fill_preserve(cr);
    } else {
        setColour(cr, rgb(0x1A1D21, 0.55));
        cairo_fill_preserve(cr);
    }
    setColour(cr, large ? kEdgeHigh : filled ? kEdge : kSteel);
    cairo_set_line_width(cr, kStroke);
    cairo_stroke(cr);
}

// Fine diamond lattice; periods divide the tile so neighbouring tiles continue every line.
void meshTile(cairo_t* cr, double width, double height) {
    const int columns = 6, rows = 6;
    const double cellW = width / columns, cellH = height / rows;
    cairo_set_line_width(cr, 1.0);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.07);
    for (int i = -rows; i <= columns + rows; ++i) {
        cairo_move_to(cr, i * cellW, 0);
        cairo_line_to(cr, i * cellW + height * cellW / cellH, height);
        cairo_move_to(cr, i * cellW, 0);
        cairo_line_to(cr, i * cellW - height * cellW / cellH, height);
    }
    cairo_stroke(cr);
    for (int i = 0; i < columns; ++i) {
        for (int j = 0; j < rows; ++j) {
            disc(cr, i * cellW, j * cellH, 0.9);
            disc(cr, (i + 0.5) * cellW, (j + 0.5) * cellH, 0.9);
        }
    }
    cairo_set_source_rgba(cr, 1, 0.55, 0.12, 0.08);
    cairo_fill(cr);
}

void logo(cairo_t* cr, double width, double height) {
    // The mark: two swept wings.
    cairo_save(cr);
    cairo_translate(cr, 8, 16);
    setColour(cr, kAccent);
    cairo_move_to(cr, 0, 38);
    cairo_curve_to(cr, 18, 20, 40, 8, 70, 4);
    cairo_curve_to(cr, 50, 14, 38, 24, 30, 38);
    cairo_close_path(cr);
    cairo_fill(cr);
    setColour(cr, kAccentLight);
    cairo_move_to(cr, 16, 44);
    cairo_curve_to(cr, 30, 30, 48, 22, 66, 20);
    cairo_curve_to(cr, 52, 28, 44, 36, 40, 46);
    cairo_close_path(cr);
    cairo_fill(cr);
    cairo_restore(cr);
    drawText(cr, "KESTREL", 86, 38, 25, Weight::Bold, kText, Align::Left);
    drawText(cr, "CUSTOMISER", 88, 64, 11.5, Weight::Bold, kAccent, Align::Left);
    (void)width;
    (void)height;
}

void pressureTrack(cairo_t* cr, double width, double height) {
    // The thumb is centred on the track start at value 0 and on its end at the maximum.
    const double y = 20;
    roundedRectangle(cr, 0.5, y - 3, width - 1, 6, 3);
    setColour(cr, kInk);
    cairo_fill_preserve(cr);
    setColour(cr, kEdge);
    cairo_set_line_width(cr, kStroke);
    cairo_stroke(cr);
    roundedRectangle(cr, 1.5, y - 2, width - 3, 4, 2);
    cairo_pattern_t* heat = cairo_pattern_create_linear(0, 0, width, 0);
    cairo_pattern_add_color_stop_rgba(heat, 0, kAccent.r, kAccent.g, kAccent.b, 0.15);
    cairo_pattern_add_color_stop_rgba(heat, 1, kAccent.r, kAccent.g, kAccent.b, 0.9);
    cairo_set_source(cr, heat);
    cairo_fill(cr);
    cairo_pattern_destroy(heat);
    setColour(cr, kEdgeHigh);
    for (int i = 0; i <= 8; ++i) {
        const double x = std::round(1 + i * (width - 3) / 8) + 0.5;
        cairo_move_to(cr, x, y + 7);
        cairo_line_to(cr, x, y + (i % 4 == 0 ? 13 : 10));
    }
    cairo_stroke(cr);
    drawText(cr, "Low", 1, height - 8, 10, Weight::Regular, kTextDim, Align::Left);
    drawText(cr, "Hi", width - 1, height - 8, 10, Weight::Regular, kTextDim, Align::Right);
}

void sliderKnob(cairo_t* cr, double width, double height) {
    roundedRectangle(cr, 0.5, 0.5, width - 1, height - 1, 4);
    verticalGradient(cr, 0, height, rgb(0xF2F3F5), rgb(0xB9BFC7));
    cairo_fill_preserve(cr);
    setColour(cr, kInk);
    cairo_set_line_width(cr, kStroke);
    cairo_stroke(cr);
    roundedRectangle(cr, width / 2 - 1.5, 8, 3, height - 16, 1.5);
    setColour(cr, kAccent);
    cairo_fill(cr);
}

void glow(cairo_t* cr, double width, double height) {
    cairo_pattern_t* light = cairo_pattern_create_radial(width / 2, height / 2, 0, width / 2, height / 2, width / 2);
    cairo_pattern_add_color_stop_rgba(light, 0, 1, 0.78, 0.5, 0.95);
    cairo_pattern_add_color_stop_rgba(light, 0.35, kAccent.r, kAccent.g, kAccent.b, 0.6);
    cairo_pattern_add_color_stop_rgba(light, 1, kAccent.r, kAccent.g, kAccent.b, 0);
    cairo_set_source(cr, light);
    cairo_paint(cr);
    cairo_pattern_destroy(light);
}

void warningTriangle(cairo_t* cr, double cx, double cy, double size) {
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    triangle(cr, cx, cy - size * 0.55, cx + size * 0.62, cy + size * 0.5, cx - size * 0.62, cy + size * 0.5);
    setColour(cr, kAccent);
    cairo_set_line_width(cr, 5);
    cairo_stroke_preserve(cr);
    cairo_fill(cr);
    drawText(cr, "!", cx, cy + size * 0.12, size * 0.62, Weight::Bold, kAccentInk);
}

void firmwarePanel(cairo_t* cr, double width, double height) {
    warningTriangle(cr, 58, 72, 64);
    drawText(cr, "Updating the wheel firmware", 112, 40, 17, Weight::Bold, kText, Align::Left);
    drawText(cr, "This takes about a minute.", 112, 72, 12.5, Weight::Regular, kTextDim, Align::Left);
    drawText(cr, "Keep the wheel plugged in and", 112, 96, 12.5, Weight::Regular, kTextDim, Align::Left);
    drawText(cr, "do not close the Customiser.", 112, 116, 12.5, Weight::Regular, kTextDim, Align::Left);
    // An indeterminate progress bar: the box is shown while the flash is rewritten.
    roundedRectangle(cr, 112.5, 146.5, width - 140, 8, 4);
    setColour(cr, kInk);
    cairo_fill_preserve(cr);
    setColour(cr, kEdge);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    roundedRectangle(cr, 113.5, 147.5, (width - 142) * 0.62, 6, 3);
    cairo_pattern_t* bar = cairo_pattern_create_linear(112, 0, 112 + (width - 142) * 0.62, 0);
    cairo_pattern_add_color_stop_rgb(bar, 0, kAccentDark.r, kAccentDark.g, kAccentDark.b);
    cairo_pattern_add_color_stop_rgb(bar, 1, kAccentLight.r, kAccentLight.g, kAccentLight.b);
    cairo_set_source(cr, bar);
    cairo_fill(cr);
    cairo_pattern_destroy(bar);
    (void)height;
}

void connectIllustration(cairo_t* cr, double width, double height) {
    // Wheel on the left, computer on the right, the cable between them lit in the accent.
    cairo_save(cr);
    cairo_translate(cr, 95, 100);
    cairo_scale(cr, 0.72, 0.72);
    cairo_translate(cr, -194.5, -170);
    drawWheelFront(cr);
    cairo_restore(cr);

    const double monitorX = 262, monitorY = 34, monitorW = 146, monitorH = 100;
    roundedRectangle(cr, monitorX + 0.5, monitorY + 0.5, monitorW, monitorH, 8);
    verticalGradient(cr, monitorY, monitorY + monitorH, kRaisedHigh, kRaised);
    cairo_fill_preserve(cr);
    setColour(cr, kEdgeHigh);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    roundedRectangle(cr, monitorX + 8.5, monitorY + 8.5, monitorW - 16, monitorH - 22, 4);
    verticalGradient(cr, monitorY, monitorY + monitorH, rgb(0x3A2410), rgb(0x1A1D21));
    cairo_fill(cr);
    smallWheel(cr, monitorX + monitorW / 2, monitorY + 45, 16, kAccent, 3);
    cairo_move_to(cr, monitorX + monitorW / 2 - 14, monitorY + monitorH + 0.5);
    cairo_line_to(cr, monitorX + monitorW / 2 + 14, monitorY + monitorH + 0.5);
    cairo_line_to(cr, monitorX + monitorW / 2 + 24, monitorY + monitorH + 22);
    cairo_line_to(cr, monitorX + monitorW / 2 - 24, monitorY + monitorH + 22);
    cairo_close_path(cr);
    setColour(cr, kRaised);
    cairo_fill(cr);

    // Cable from the wheel's right grip into the computer's USB port.
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_width(cr, 4);
    setColour(cr, kAccent);
    cairo_move_to(cr, 168, 112);
    cairo_curve_to(cr, 190, 160, 212, 112, 230, 112);
    cairo_stroke(cr);
    roundedRectangle(cr, 230, 104, 22, 16, 3);
    setColour(cr, kSteel);
    cairo_fill(cr);
    cairo_rectangle(cr, 252, 107, 10, 10);
    setColour(cr, rgb(0xD0D5DB));
    cairo_fill(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    (void)width;
    (void)height;
}

void pedalsPicture(cairo_t* cr, double width, double height) {
    roundedRectangle(cr, 20.5, 40.5, width - 41, height - 60, 28);
    verticalGradient(cr, 40, height - 20, kRaised, kBase);
    cairo_fill_preserve(cr);
    setColour(cr, kEdge);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    const double pedalY = 66, pedalH = 190;
    for (int i = 0; i < 2; ++i) {
        const double x = i == 0 ? 54 : 166, w = 80;
        roundedRectangle(cr, x + 0.5, pedalY + 0.5, w, pedalH, 14);
        verticalGradient(cr, pedalY, pedalY + pedalH, rgb(0x6A737F), rgb(0x3A4149));
        cairo_fill_preserve(cr);
        setColour(cr, kInk);
        cairo_stroke(cr);
        setColour(cr, rgb(0x000000, 0.35));
        for (int r = 0; r < 9; ++r) {
            roundedRectangle(cr, x + 14, pedalY + 24 + r * 17, w - 28, 6, 3);
            cairo_fill(cr);
        }
        drawText(cr, i == 0 ? "BRAKE" : "GAS", x + w / 2, pedalY + pedalH + 14, 12, Weight::Bold, i == 0 ? kTextDim : kAccent);
    }
}

void darkBar(cairo_t* cr, double width, double height) {
    roundedRectangle(cr, 0.5, 0.5, width - 1, height - 1, height / 2);
    setColour(cr, rgb(0x111316, 0.85));
    cairo_fill_preserve(cr);
    setColour(cr, rgb(0x343A42));
    cairo_set_line_width(cr, kStroke);
    cairo_stroke(cr);
}

void thinLine(cairo_t* cr, double width, double height) {
    cairo_pattern_t* fade = cairo_pattern_create_linear(0, 0, 0, height);
    cairo_pattern_add_color_stop_rgba(fade, 0, kAccent.r, kAccent.g, kAccent.b, 0);
    cairo_pattern_add_color_stop_rgba(fade, 0.5, kAccent.r, kAccent.g, kAccent.b, 0.9);
    cairo_pattern_add_color_stop_rgba(fade, 1, kAccent.r, kAccent.g, kAccent.b, 0);
    cairo_set_source(cr, fade);
    cairo_rectangle(cr, width / 2 - 1, 0, 2, height);
    cairo_fill(cr);
    cairo_pattern_destroy(fade);
}

// ---------------------------------------------------------------------------------------------

void drawSprite(cairo_t* cr, int sprite, double w, double h) {
    using namespace skin;
    const WidgetState state = stateOf(sprite);
    switch (sprite) {
    case kAboutNormal: case kAboutPressed: case kAboutHover: windowButton(cr, w, h, state, 3); break;
    case kCloseNormal: case kClosePressed: case kCloseHover: windowButton(cr, w, h, state, 0); break;
    case kMinimiseNormal: case kMinimisePressed: case kMinimiseHover: windowButton(cr, w, h, state, 1); break;
    case kHelpNormal: case kHelpPressed: case kHelpHover: windowButton(cr, w, h, state, 2); break;
    case kAssignPanel: darkPanel(cr, w, h); break;
    case kConsolePanel: darkPanel(cr, w, h); break;
    case kDarkBar: darkBar(cr, w, h); break;
    case kAssignSettingNormal: case kAssignSettingPressed: case kAssignSettingHover:
        actionButton(cr, w, h, state, "Assign Setting", false);
        break;
    case kResetLayoutNormal: case kResetLayoutPressed: case kResetLayoutHover:
        actionButton(cr, w, h, state, "Reset Layout", true);
        break;
    case kPresetsNormal: case kPresetsPressed: case kPresetsHover: textButton(cr, w, h, state, "Presets"); break;
    case kCancelNormal: case kCancelPressed: case kCancelHover: textButton(cr, w, h, state, "Cancel"); break;
    case kOkNormal: case kOkPressed: case kOkHover: textButton(cr, w, h, state, "OK"); break;
    case kAssignHeading: heading(cr, "Assign", h, 12); break;
    case kPaletteHeading:
        drawText(cr, "Buttons", 0, h / 2, 12, Weight::Bold, kText, Align::Left);
        drawText(cr, "drag and drop", textWidth(cr, "Buttons", 12, Weight::Bold) + 7, h / 2, 11, Weight::Regular,
                 kTextDim, Align::Left);
        break;
    case kRumbleHeading: heading(cr, "Rumble", h, 12); break;
    case kPedalsHeading: heading(cr, "Pedals", h, 11.5); break;
    case kSelectModeHeading: heading(cr, "Select Mode", h, 11); break;
    case kPedalPressureHeading:
        drawText(cr, "Set pedal pressure", 0, h / 2, 10.5, Weight::Regular, kTextDim, Align::Left);
        break;
    case kRemapTabLabel: drawText(cr, "Remap", 0, h / 2, 13, Weight::Bold, kText, Align::Left); break;
    case kSensitivityTabLabel: drawText(cr, "Sensitivity", 0, h / 2, 13, Weight::Bold, kText, Align::Left); break;
    case kPleaseWait: drawText(cr, "Please Wait", w / 2, h / 2, 19, Weight::Bold, kText); break;
    case kConnectMessage:
        drawText(cr, "Please connect your wheel via USB", w / 2, h / 2, 18, Weight::Bold, kText);
        break;
    case kDotBlue: colouredDot(cr, w, h, rgb(0x3D8BFF)); break;
    case kDotGreen: colouredDot(cr, w, h, rgb(0x3DCB6C)); break;
    case kDotOrange: colouredDot(cr, w, h, kAccent); break;
    case kDotMagenta: colouredDot(cr, w, h, rgb(0xE24BD2)); break;
    case kDotRed: colouredDot(cr, w, h, rgb(0xF0453A)); break;
    case kDotYellow: colouredDot(cr, w, h, rgb(0xF7C531)); break;
    case kDotWhite: colouredDot(cr, w, h, rgb(0xD9DDE2)); break;
    case kRingRed: ring(cr, w, h, rgb(0xF0453A)); break;
    case kRingYellow: ring(cr, w, h, rgb(0xF7C531)); break;
    case kShadeBottom: shadeStrip(cr, w, h, rgb(0x202328), rgb(0x15171A)); break;
    case kShadeTop: shadeStrip(cr, w, h, rgb(0x2B3037), rgb(0x17191D)); break;
    case kShadeShort: shadeStrip(cr, w, h, rgb(0x2B3037), rgb(0x1D2024)); break;
    case kLogo: logo(cr, w, h); break;
    case kBlank:
        // Solid white: stretched and tinted wherever a flat fill is needed.
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_paint(cr);
        break;
    case kFrameLarge: frameSource(cr, w, 12, true, true); break;
    case kFrameSmallOutlined: frameSource(cr, w, 5, false, false); break;
    case kFrameSmallFilled: frameSource(cr, w, 5, true, false); break;
    case kThinLine: thinLine(cr, w, h); break;
    case kMeshTile: meshTile(cr, w, h); break;
    case kSensitivityRim:
        cairo_translate(cr, w / 2, h);
        drawSensitivityRim(cr, w, h);
        break;
    case kConnectIllustration: connectIllustration(cr, w, h); break;
    case kGlow: glow(cr, w, h); break;
    case kRumbleOffNormal: case kRumbleOffChecked: case kRumbleOffHover:
        rumbleCheck(cr, w, h, state, "Off", rgb(0xF7C531));
        break;
    case kRumbleMediumNormal: case kRumbleMediumChecked: case kRumbleMediumHover:
        rumbleCheck(cr, w, h, state, "Medium", kAccent);
        break;
    case kRumbleHighNormal: case kRumbleHighChecked: case kRumbleHighHover:
        rumbleCheck(cr, w, h, state, "High", rgb(0xF0453A));
        break;
    case kPedalsPicture: pedalsPicture(cr, w, h); break;
    case kPs3Normal: case kPs3Checked: case kPs3Hover: consoleButton(cr, w, h, state, "PS3"); break;
    case kXbox360Normal: case kXbox360Checked: case kXbox360Hover: consoleButton(cr, w, h, state, "Xbox 360"); break;
    case kPressureTrack: pressureTrack(cr, w, h); break;
    case kRemapTabNormal: case kRemapTabChecked: case kRemapTabHover: tabIcon(cr, w, h, state, true); break;
    case kSensitivityTabNormal: case kSensitivityTabChecked: case kSensitivityTabHover: tabIcon(cr, w, h, state, false); break;
    case kPedalsIconNormal: case kPedalsIconPressed: case kPedalsIconHover: pedalsIcon(cr, w, h, state); break;
    case kSliderKnob: sliderKnob(cr, w, h); break;
    case kIconA: iconTile(cr, w, h); faceDisc(cr, 13.5, 15, rgb(0x43B649), "A", rgb(0xFFFFFF)); break;
    case kIconB: iconTile(cr, w, h); faceDisc(cr, 13.5, 15, rgb(0xE2403A), "B", rgb(0xFFFFFF)); break;
    case kIconX: iconTile(cr, w, h); faceDisc(cr, 13.5, 15, rgb(0x2F80E6), "X", rgb(0xFFFFFF)); break;
    case kIconY: iconTile(cr, w, h); faceDisc(cr, 13.5, 15, rgb(0xF2C230), "Y", rgb(0x2A2000)); break;
    case kIconCross: iconTile(cr, w, h); padShape(cr, 13.5, 15, PadShape::Cross, rgb(0x86AEFF)); break;
    case kIconCircle: iconTile(cr, w, h); padShape(cr, 13.5, 15, PadShape::Circle, rgb(0xFF6B6B)); break;
    case kIconSquare: iconTile(cr, w, h); padShape(cr, 13.5, 15, PadShape::Square, rgb(0xF28DD8)); break;
    case kIconTriangle: iconTile(cr, w, h); padShape(cr, 13.5, 15, PadShape::Triangle, rgb(0x4FD6A8)); break;
    case kIconRightStickUp: stickDirectionIcon(cr, -kPi / 2); break;
    case kIconRightStickDown: stickDirectionIcon(cr, kPi / 2); break;
    case kIconRightStickLeft: stickDirectionIcon(cr, kPi); break;
    case kIconRightStickRight: stickDirectionIcon(cr, 0); break;
    case kIconDpadUp: dpadIcon(cr, 0); break;
    case kIconDpadRight: dpadIcon(cr, 1); break;
    case kIconDpadDown: dpadIcon(cr, 2); break;
    case kIconDpadLeft: dpadIcon(cr, 3); break;
    case kIconWheelHardLeft: hardTurnIcon(cr, false); break;
    case kIconWheelHardRight: hardTurnIcon(cr, true); break;
    case kIconLeftStickClick: stickClickIcon(cr, "LS"); break;
    case kIconRightStickClick: stickClickIcon(cr, "RS"); break;
    case kIconL3: stickClickIcon(cr, "L3"); break;
    case kIconR3: stickClickIcon(cr, "R3"); break;
    case kIconLB: shoulderIcon(cr, "LB", false); break;
    case kIconRB: shoulderIcon(cr, "RB", false); break;
    case kIconL1: shoulderIcon(cr, "L1", false); break;
    case kIconR1: shoulderIcon(cr, "R1", false); break;
    case kIconLT: shoulderIcon(cr, "LT", true); break;
    case kIconRT: shoulderIcon(cr, "RT", true); break;
    case kIconL2: shoulderIcon(cr, "L2", true); break;
    case kIconR2: shoulderIcon(cr, "R2", true); break;
    case kIconSteeringBoost: steeringBoostIcon(cr, w, h); break;
    case kArrowDown: labelArrow(cr, w, h, kPi / 2); break;
    case kArrowLeft: labelArrow(cr, w, h, kPi); break;
    case kArrowRight: labelArrow(cr, w, h, 0); break;
    case kArrowUp: labelArrow(cr, w, h, -kPi / 2); break;
    case kFirmwareWarning: firmwarePanel(cr, w, h); break;
    case kWheelFront:
        cairo_translate(cr, -kWheelFrontPosition.x, -kWheelFrontPosition.y);
        drawWheelFront(cr);
        break;
    case kWheelSide:
        cairo_translate(cr, -kWheelSidePosition.x, -kWheelSidePosition.y);
        drawWheelSide(cr);
        break;
    default: break;
    }
}

}  // namespace

void drawAtlas(cairo_surface_t* surface) {
    cairo_t* cr = cairo_create(surface);
    for (int sprite = 0; sprite < skin::kSpriteCount; ++sprite) {
        const AtlasRect& rect = skin::spriteRect(sprite);
        cairo_save(cr);
        cairo_rectangle(cr, rect.x, rect.y, rect.width, rect.height);
        cairo_clip(cr);
        cairo_translate(cr, rect.x, rect.y);
        drawSprite(cr, sprite, rect.width, rect.height);
        cairo_restore(cr);
    }
    cairo_destroy(cr);
}

}  // namespace kestrel::skin_generator
