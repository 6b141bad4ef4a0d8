#pragma once
// The few drawing primitives every sprite of the skin is made of, so corner radii, strokes,
// colours and type stay the same across the whole atlas.
#include <cairo.h>

#include <string>

namespace kestrel::skin_generator {

constexpr double kPi = 3.14159265358979323846;

struct Colour {
    double r, g, b, a = 1.0;
};

constexpr Colour rgb(unsigned hex, double alpha = 1.0) {
    return {((hex >> 16) & 0xFF) / 255.0, ((hex >> 8) & 0xFF) / 255.0, (hex & 0xFF) / 255.0, alpha};
}

// Graphite, darkest to lightest, and the one warm accent.
namespace palette {
constexpr Colour kInk = rgb(0x111316);
constexpr Colour kBase = rgb(0x1A1D21);
constexpr Colour kPanel = rgb(0x22262B);
constexpr Colour kRaised = rgb(0x2C3137);
constexpr Colour kRaisedHigh = rgb(0x383E46);
constexpr Colour kEdge = rgb(0x454C56);
constexpr Colour kEdgeHigh = rgb(0x5E6672);
constexpr Colour kSteel = rgb(0x8C95A1);
constexpr Colour kText = rgb(0xECEEF1);
constexpr Colour kTextDim = rgb(0xA3ABB6);
constexpr Colour kAccent = rgb(0xFF8A1E);
constexpr Colour kAccentLight = rgb(0xFFAE57);
constexpr Colour kAccentDark = rgb(0xC8620A);
constexpr Colour kAccentInk = rgb(0x2A1604);
}  // namespace palette

// The three looks of every button and check. Pressed and checked share the accent fill.
enum class WidgetState { Normal, Active, Hover };

constexpr double kButtonRadius = 6.0;
constexpr double kStroke = 1.0;

void setColour(cairo_t* cr, const Colour& colour);
void roundedRectangle(cairo_t* cr, double x, double y, double width, double height, double radius);
void verticalGradient(cairo_t* cr, double y0, double y1, const Colour& top, const Colour& bottom);

// A raised face filling (x, y, w, h) in the look of `state`; the caller draws the content.
void widgetFace(cairo_t* cr, double x, double y, double width, double height, double radius, WidgetState state);
// Content colour that reads on a face of `state`.
Colour contentColour(WidgetState state);

enum class Align { Left, Centre, Right };
enum class Weight { Regular, Bold };

// Text centred vertically on `centreY`, placed horizontally by `align` around `x`.
void drawText(cairo_t* cr, const std::string& text, double x, double centreY, double size, Weight weight,
              const Colour& colour, Align align = Align::Centre);
double textWidth(cairo_t* cr, const std::string& text, double size, Weight weight);

// Loads the two faces once; false when a font file is missing.
bool loadFonts(const std::string& regularPath, const std::string& boldPath);
void releaseFonts();

}  // namespace kestrel::skin_generator
