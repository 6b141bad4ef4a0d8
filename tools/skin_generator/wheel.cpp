// The wheel pictures. Every control is placed from the hotspot table, so the drawn control
// and the place the screen hit-tests are one and the same.
#include <cmath>

#include "config/control_tables.h"
#include "tools/skin_generator/atlas.h"
#include "tools/skin_generator/drawing.h"

namespace kestrel::skin_generator {
namespace {

using namespace palette;

struct Point {
    double x, y;
};

Point centreOf(int dest) {
    const DestHotspot& spot = kDestHotspot[static_cast<std::size_t>(dest)];
    return {spot.x + spot.width / 2.0, spot.y + spot.height / 2.0};
}

void ellipse(cairo_t* cr, double cx, double cy, double rx, double ry) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
    cairo_restore(cr);
}

// A rim seen straight on: a thick ring with a grip shading and the centre mark on top.
void rim(cairo_t* cr, double cx, double cy, double rx, double ry, double thickness) {
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    ellipse(cr, cx, cy, rx, ry);
    ellipse(cr, cx, cy, rx - thickness, ry - thickness);
    verticalGradient(cr, cy - ry, cy + ry, rgb(0x4A525C), rgb(0x23272C));
    cairo_fill_preserve(cr);
    setColour(cr, kInk);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    // Light catches the upper edge of the rim.
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx - 1.5, ry - 1.5);
    cairo_arc(cr, 0, 0, 1, kPi * 1.15, kPi * 1.85);
    cairo_restore(cr);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.18);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    // Centre mark at twelve o'clock.
    cairo_rectangle(cr, cx - 4, cy - ry + 0.5, 8, thickness - 1);
    setColour(cr, kAccent);
    cairo_fill(cr);
}

void button(cairo_t* cr, Point c, double radius, const std::string& label) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, c.x, c.y + 1, radius, 0, 2 * kPi);
    setColour(cr, rgb(0x000000, 0.5));
    cairo_fill(cr);
    cairo_new_sub_path(cr);
    cairo_arc(cr, c.x, c.y, radius, 0, 2 * kPi);
    verticalGradient(cr, c.y - radius, c.y + radius, rgb(0x8A939E), rgb(0x565E68));
    cairo_fill_preserve(cr);
    setColour(cr, kInk);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    drawText(cr, label, c.x, c.y, radius * 1.05, Weight::Bold, kInk);
}

// Shoulder buttons and paddles: a rounded slab filling the hotspot less a small margin.
void slab(cairo_t* cr, int dest, double margin, double radius, const Colour& top, const Colour& bottom,
          const std::string& label) {
    const DestHotspot& spot = kDestHotspot[static_cast<std::size_t>(dest)];
    const double x = spot.x + margin + 0.5, y = spot.y + margin + 0.5;
    const double w = spot.width - 2 * margin - 1, h = spot.height - 2 * margin - 1;
    roundedRectangle(cr, x, y + 1.5, w, h, radius);
    setColour(cr, rgb(0x000000, 0.45));
    cairo_fill(cr);
    roundedRectangle(cr, x, y, w, h, radius);
    verticalGradient(cr, y, y + h, top, bottom);
    cairo_fill_preserve(cr);
    setColour(cr, kInk);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    roundedRectangle(cr, x + 2, y + 1.5, w - 4, 2, 1);
    setColour(cr, kAccent);
    cairo_fill(cr);
    if (!label.empty()) drawText(cr, label, x + w / 2, y + h / 2 + 1, 9, Weight::Bold, kText);
}

void pedal(cairo_t* cr, int dest) {
    const DestHotspot& spot = kDestHotspot[static_cast<std::size_t>(dest)];
    const double x = spot.x + 3.5, y = spot.y + 3.5, w = spot.width - 7, h = spot.height - 7;
    roundedRectangle(cr, x, y, w, h, 7);
    verticalGradient(cr, y, y + h, rgb(0x737C88), rgb(0x40474F));
    cairo_fill_preserve(cr);
    setColour(cr, kInk);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    setColour(cr, rgb(0x000000, 0.35));
    for (double gy = y + 8; gy < y + h - 8; gy += 8) {
        roundedRectangle(cr, x + 6, gy, w - 12, 3.5, 1.75);
        cairo_fill(cr);
    }
}

}  // namespace

void drawWheelFront(cairo_t* cr) {
    const Point up = centreOf(DEST_UP), down = centreOf(DEST_DOWN);
    const Point left = centreOf(DEST_LEFT), right = centreOf(DEST_RIGHT);
    const Point dpad{(left.x + right.x) / 2, (up.y + down.y) / 2};
    const Point faceA = centreOf(DEST_A), faceD = centreOf(DEST_D);
    const Point faceB = centreOf(DEST_B), faceC = centreOf(DEST_C);
    const double wheelX = (dpad.x + (faceA.x + faceD.x) / 2) / 2;

    // Pedal base behind the pedals.
    const DestHotspot& brake = kDestHotspot[DEST_LEFT_PEDAL];
    const DestHotspot& gas = kDestHotspot[DEST_RIGHT_PEDAL];
    roundedRectangle(cr, brake.x - 9.5, brake.y + 6.5, gas.x + gas.width - brake.x + 18, brake.height + 3, 12);
    verticalGradient(cr, brake.y, brake.y + brake.height + 10, kRaised, kBase);
    cairo_fill_preserve(cr);
    setColour(cr, kEdge);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    pedal(cr, DEST_LEFT_PEDAL);
    pedal(cr, DEST_RIGHT_PEDAL);

    // Column from the hub down to the pedal base.
    cairo_rectangle(cr, wheelX - 12, 200, 24, 26);
    verticalGradient(cr, 200, 226, kRaised, kBase);
    cairo_fill(cr);

    rim(cr, wheelX, 160, 104, 66, 12);

    // Upper spokes carrying the shoulder buttons.
    setColour(cr, rgb(0x2A2F35));
    cairo_move_to(cr, wheelX - 80, 124);
    cairo_line_to(cr, wheelX - 58, 106);
    cairo_line_to(cr, wheelX + 58, 106);
    cairo_line_to(cr, wheelX + 80, 124);
    cairo_line_to(cr, wheelX + 60, 140);
    cairo_line_to(cr, wheelX - 60, 140);
    cairo_close_path(cr);
    cairo_fill(cr);

    // The hub: a wide grip plate that carries the D-pad and the face buttons.
    roundedRectangle(cr, 90.5, 132.5, 209, 77, 22);
    verticalGradient(cr, 132, 210, rgb(0x363C44), rgb(0x1F2327));
    cairo_fill_preserve(cr);
    setColour(cr, kEdgeHigh);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);

    slab(cr, DEST_L1, 3, 6, rgb(0x6A737F), rgb(0x444B54), "L1");
    slab(cr, DEST_R1, 2, 6, rgb(0x6A737F), rgb(0x444B54), "R1");

    // D-pad: arms reach the centres of the four direction hotspots and a little beyond.
    const double reach = (right.x - left.x) / 2 + 5, thick = 7;
    cairo_new_sub_path(cr);
    cairo_arc(cr, dpad.x, dpad.y, reach + 4, 0, 2 * kPi);
    setColour(cr, kInk);
    cairo_fill(cr);
    roundedRectangle(cr, dpad.x - thick, dpad.y - reach, 2 * thick, 2 * reach, 3);
    roundedRectangle(cr, dpad.x - reach, dpad.y - thick, 2 * reach, 2 * thick, 3);
    verticalGradient(cr, dpad.y - reach, dpad.y + reach, rgb(0x7A838E), rgb(0x4A515A));
    cairo_fill(cr);
    cairo_new_sub_path(cr);
    cairo_arc(cr, dpad.x, dpad.y, 3, 0, 2 * kPi);
    setColour(cr, rgb(0x000000, 0.4));
    cairo_fill(cr);

    // Face buttons in a diamond, on a recessed well.
    const Point face{(faceA.x + faceD.x) / 2, (faceB.y + faceC.y) / 2};
    cairo_new_sub_path(cr);
    cairo_arc(cr, face.x, face.y, 31, 0, 2 * kPi);
    setColour(cr, kInk);
    cairo_fill(cr);
    button(cr, faceA, 9, "A");
    button(cr, faceD, 9, "D");
    button(cr, faceB, 8, "B");
    button(cr, faceC, 8, "C");

    // The fixed controls between them, and the mark in the middle.
    for (int i = -1; i <= 1; ++i) {
        roundedRectangle(cr, wheelX + i * 17 - 6, 190, 12, 6, 3);
        setColour(cr, i == 0 ? kAccent : kSteel);
        cairo_fill(cr);
    }
    cairo_new_sub_path(cr);
    cairo_arc(cr, wheelX, 164, 14, 0, 2 * kPi);
    setColour(cr, kInk);
    cairo_fill_preserve(cr);
    setColour(cr, kAccentDark);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    drawText(cr, "K", wheelX, 164, 13, Weight::Bold, kAccent);
}

void drawWheelSide(cairo_t* cr) {
    const Point rightPaddle = centreOf(DEST_RIGHT_PADDLE), leftPaddle = centreOf(DEST_LEFT_PADDLE);
    const double cx = (rightPaddle.x + leftPaddle.x) / 2, cy = 158;

    // Column and base.
    cairo_move_to(cr, cx - 24, 200);
    cairo_line_to(cr, cx + 24, 200);
    cairo_line_to(cr, cx + 40, 300);
    cairo_line_to(cr, cx - 40, 300);
    cairo_close_path(cr);
    verticalGradient(cr, 200, 300, kRaised, kBase);
    cairo_fill(cr);
    roundedRectangle(cr, cx - 78.5, 292.5, 157, 26, 10);
    verticalGradient(cr, 292, 318, kRaisedHigh, kBase);
    cairo_fill_preserve(cr);
    setColour(cr, kEdge);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);

    rim(cr, cx, cy, 98, 86, 13);

    // Rear housing between the paddles.
    roundedRectangle(cr, cx - 48.5, cy - 44.5, 97, 94, 26);
    verticalGradient(cr, cy - 45, cy + 50, rgb(0x30353C), rgb(0x1B1E22));
    cairo_fill_preserve(cr);
    setColour(cr, kEdge);
    cairo_stroke(cr);

    slab(cr, DEST_R2, 2, 9, rgb(0x6A737F), rgb(0x3F464F), "R2");
    slab(cr, DEST_L2, 2, 9, rgb(0x6A737F), rgb(0x3F464F), "L2");
    // Paddles are the brightest parts: brushed metal blades.
    slab(cr, DEST_RIGHT_PADDLE, 1, 10, rgb(0xC4CAD2), rgb(0x7C848E), "");
    slab(cr, DEST_LEFT_PADDLE, 1, 10, rgb(0xC4CAD2), rgb(0x7C848E), "");
    // Finger grooves across each blade.
    for (const Point& paddle : {rightPaddle, leftPaddle}) {
        for (int groove = -1; groove <= 1; ++groove) {
            roundedRectangle(cr, paddle.x - 10, paddle.y + groove * 7 - 1, 20, 2.5, 1.25);
            setColour(cr, rgb(0x000000, 0.28));
            cairo_fill(cr);
        }
    }

    // The gear stick in its gate: forward is the upper hotspot, back the lower one.
    const DestHotspot& forward = kDestHotspot[DEST_STICK_FORWARD];
    const DestHotspot& back = kDestHotspot[DEST_STICK_BACK];
    const double gateX = forward.x + 1.5, gateY = forward.y + 1.5;
    const double gateW = forward.x + forward.width - 1 - gateX, gateH = back.y + back.height - 2 - gateY;
    roundedRectangle(cr, gateX, gateY, gateW, gateH, 10);
    verticalGradient(cr, gateY, gateY + gateH, rgb(0x30353C), rgb(0x1B1E22));
    cairo_fill_preserve(cr);
    setColour(cr, kEdgeHigh);
    cairo_stroke(cr);
    const double slotX = gateX + gateW / 2;
    roundedRectangle(cr, slotX - 3, gateY + 10, 6, gateH - 20, 3);
    setColour(cr, kInk);
    cairo_fill(cr);
    const Point forwardCentre = centreOf(DEST_STICK_FORWARD), backCentre = centreOf(DEST_STICK_BACK);
    setColour(cr, kAccent);
    {
        cairo_move_to(cr, slotX, forwardCentre.y - 8);
        cairo_line_to(cr, slotX + 6, forwardCentre.y - 2);
        cairo_line_to(cr, slotX - 6, forwardCentre.y - 2);
        cairo_close_path(cr);
        cairo_move_to(cr, slotX, backCentre.y + 8);
        cairo_line_to(cr, slotX + 6, backCentre.y + 2);
        cairo_line_to(cr, slotX - 6, backCentre.y + 2);
        cairo_close_path(cr);
        cairo_fill(cr);
    }
    const double knobY = (forwardCentre.y + backCentre.y) / 2 + 1;
    cairo_new_sub_path(cr);
    cairo_arc(cr, slotX, knobY, 9, 0, 2 * kPi);
    cairo_pattern_t* knob = cairo_pattern_create_radial(slotX - 3, knobY - 3, 1, slotX, knobY, 9);
    cairo_pattern_add_color_stop_rgb(knob, 0, 0.85, 0.87, 0.9);
    cairo_pattern_add_color_stop_rgb(knob, 1, 0.35, 0.38, 0.42);
    cairo_set_source(cr, knob);
    cairo_fill(cr);
    cairo_pattern_destroy(knob);
    drawText(cr, "+", gateX + 9, forwardCentre.y - 4, 10, Weight::Bold, kTextDim);
    drawText(cr, "\xe2\x88\x92", gateX + 9, backCentre.y + 4, 10, Weight::Bold, kTextDim);
}

void drawSensitivityRim(cairo_t* cr, double width, double height) {
    // Origin at the bottom centre: the rim's centre sits on the sprite's bottom edge.
    const double outer = width / 2 - 2, thickness = 26;
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, 0, outer, kPi, 2 * kPi);
    cairo_arc_negative(cr, 0, 0, outer - thickness, 2 * kPi, kPi);
    cairo_close_path(cr);
    cairo_pattern_t* shade = cairo_pattern_create_radial(0, 0, outer - thickness, 0, 0, outer);
    cairo_pattern_add_color_stop_rgb(shade, 0, 0.14, 0.15, 0.17);
    cairo_pattern_add_color_stop_rgb(shade, 0.45, 0.32, 0.35, 0.39);
    cairo_pattern_add_color_stop_rgb(shade, 1, 0.16, 0.17, 0.19);
    cairo_set_source(cr, shade);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(shade);
    setColour(cr, kInk);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    // Grip ribs every 6 degrees.
    cairo_set_line_width(cr, 1);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.28);
    for (int step = 1; step < 30; ++step) {
        const double angle = kPi + step * kPi / 30;
        cairo_move_to(cr, std::cos(angle) * (outer - thickness + 5), std::sin(angle) * (outer - thickness + 5));
        cairo_line_to(cr, std::cos(angle) * (outer - 5), std::sin(angle) * (outer - 5));
    }
    cairo_stroke(cr);
    cairo_rectangle(cr, -6, -outer + 0.5, 12, thickness - 1);
    setColour(cr, kAccent);
    cairo_fill(cr);

    // Spokes and the top of the hub.
    setColour(cr, rgb(0x2A2F35));
    for (int side = -1; side <= 1; side += 2) {
        cairo_move_to(cr, side * (outer - thickness + 2), -4);
        cairo_line_to(cr, side * (outer - thickness + 2), -34);
        cairo_line_to(cr, side * 60, -56);
        cairo_line_to(cr, side * 40, -2);
        cairo_close_path(cr);
        cairo_fill(cr);
    }
    roundedRectangle(cr, -70.5, -72.5, 141, 90, 24);
    verticalGradient(cr, -72, 0, rgb(0x363C44), rgb(0x1F2327));
    cairo_fill_preserve(cr);
    setColour(cr, kEdgeHigh);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, -30, 18, 0, 2 * kPi);
    setColour(cr, kInk);
    cairo_fill_preserve(cr);
    setColour(cr, kAccentDark);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    drawText(cr, "K", 0, -30, 17, Weight::Bold, kAccent);
    (void)height;
}

void drawAppIcon(cairo_t* cr, double size) {
    cairo_save(cr);
    cairo_scale(cr, size / 256.0, size / 256.0);
    roundedRectangle(cr, 8, 8, 240, 240, 52);
    verticalGradient(cr, 8, 248, rgb(0x3A4048), rgb(0x15171A));
    cairo_fill_preserve(cr);
    setColour(cr, rgb(0x000000, 0.6));
    cairo_set_line_width(cr, 4);
    cairo_stroke(cr);
    // Wheel rim in the accent with a bright centre mark.
    cairo_set_line_width(cr, 26);
    setColour(cr, kAccent);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 128, 132, 78, 0, 2 * kPi);
    cairo_stroke(cr);
    cairo_set_line_width(cr, 22);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    setColour(cr, rgb(0xE8EAED));
    cairo_move_to(cr, 58, 132);
    cairo_line_to(cr, 198, 132);
    cairo_move_to(cr, 128, 132);
    cairo_line_to(cr, 128, 200);
    cairo_stroke(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 128, 132, 30, 0, 2 * kPi);
    setColour(cr, rgb(0x1A1D21));
    cairo_fill_preserve(cr);
    setColour(cr, rgb(0xE8EAED));
    cairo_set_line_width(cr, 8);
    cairo_stroke(cr);
    cairo_rectangle(cr, 118, 41, 20, 26);
    setColour(cr, rgb(0xFFE2B8));
    cairo_fill(cr);
    cairo_restore(cr);
}

}  // namespace kestrel::skin_generator
