// Draws the skin atlas and everything made from it:
//   assets/skin.png                   the 1024 x 1024 atlas the program embeds
//   docs/skin-contact-sheet.png       every sprite enlarged with its number
//   docs/skin-preview.png             the main page composed from the atlas, hotspots marked
//   assets/window-icon.png            the small icon the window carries
//   assets/icons/<n>x<n>/org.kestrel.Customiser.png   desktop icons, 256 x 256 the largest
//
//   skin_generator <font folder> <output root>
// The font folder holds DejaVuSans.ttf and DejaVuSans-Bold.ttf; the files are written under
// the output root with the paths above, so pointing it at the repository regenerates them.
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "config/configuration.h"
#include "config/control_tables.h"
#include "screens/sprite_table.h"
#include "tools/skin_generator/atlas.h"
#include "tools/skin_generator/drawing.h"

namespace kestrel::skin_generator {
namespace {

namespace fs = std::filesystem;
using namespace palette;

bool writePng(cairo_surface_t* surface, const fs::path& path) {
    fs::create_directories(path.parent_path());
    if (cairo_surface_write_to_png(surface, path.c_str()) != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "skin_generator: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Composing from the atlas the way the screen does

class Composer {
public:
    Composer(cairo_t* cr, cairo_surface_t* atlas) : cr_(cr), atlas_(atlas) {}

    // The sprite's top-left corner at (x, y), or its anchor there when `anchored`.
    void sprite(int index, double x, double y, double alpha = 1.0, bool anchored = true) {
        const skin::AtlasRect rect = skin::spriteCutRect(index);
        if (anchored) {
            const skin::AnchorPoint anchor = skin::spriteAnchor(index);
            x -= anchor.x;
            y -= anchor.y;
        }
        stretched(index, x, y, rect.width, rect.height, alpha);
    }

    void stretched(int index, double x, double y, double width, double height, double alpha = 1.0) {
        const skin::AtlasRect rect = skin::spriteCutRect(index);
        cairo_surface_t* piece = cairo_surface_create_for_rectangle(atlas_, rect.x, rect.y, rect.width, rect.height);
        cairo_save(cr_);
        cairo_rectangle(cr_, x, y, width, height);
        cairo_clip(cr_);
        cairo_translate(cr_, x, y);
        cairo_scale(cr_, width / rect.width, height / rect.height);
        cairo_set_source_surface(cr_, piece, 0, 0);
        cairo_pattern_set_extend(cairo_get_source(cr_), CAIRO_EXTEND_PAD);
        cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_BILINEAR);
        cairo_paint_with_alpha(cr_, alpha);
        cairo_restore(cr_);
        cairo_surface_destroy(piece);
    }

    void line(double x0, double y0, double x1, double y1, unsigned argb) {
        cairo_set_source_rgba(cr_, ((argb >> 16) & 0xFF) / 255.0, ((argb >> 8) & 0xFF) / 255.0, (argb & 0xFF) / 255.0,
                              (argb >> 24) / 255.0);
        cairo_set_line_width(cr_, 1);
        cairo_move_to(cr_, x0 + 0.5, y0 + 0.5);
        cairo_line_to(cr_, x1 + 0.5, y1 + 0.5);
        cairo_stroke(cr_);
    }

    void horizontalSeparator(double x, double y, double length) {
        line(x, y, x + length, y, 0xFF000000);
        line(x, y + 1, x + length, y + 1, 0xFF4C4C4C);
    }

    void verticalSeparator(double x) {
        line(x, 414, x, 593, 0xFF4C4C4C);
        line(x + 1, 414, x + 1, 593, 0xFF000000);
    }

private:
    cairo_t* cr_;
    cairo_surface_t* atlas_;
};

void drawPalette(Composer& compose, int console) {
    for (int p = 0; p < kPaletteCount; ++p) {
        const ScreenRect& button = kPaletteButton[static_cast<std::size_t>(p)];
        compose.sprite(kPaletteSprite[console][p], button.x, button.y);
    }
}

void drawLabels(Composer& compose, const ConfigurationModel& model) {
    // Arrow positions per label side; the icons go where the label rectangles say.
    constexpr int kArrowSprite[4] = {skin::kArrowLeft, skin::kArrowRight, skin::kArrowUp, skin::kArrowDown};
    constexpr int kArrowDx[4] = {0, -20, -13, -13};
    constexpr int kArrowDy[4] = {-12, -13, 0, -20};
    for (int d = 0; d < kDestinationCount; ++d) {
        const int palette = model.WorkingMapping[static_cast<std::size_t>(d)];
        if (palette < 0) continue;
        const DestHotspot& spot = kDestHotspot[static_cast<std::size_t>(d)];
        compose.sprite(kArrowSprite[spot.side], spot.labelX + kArrowDx[spot.side], spot.labelY + kArrowDy[spot.side]);
        const LabelRectangle& label = model.LabelRect[static_cast<std::size_t>(d)];
        compose.sprite(kPaletteSprite[model.ConsoleMode][palette], label.left, label.top);
    }
}

void drawHotspotMarkers(cairo_t* cr) {
    const double dash[] = {2, 2};
    for (const DestHotspot& spot : kDestHotspot) {
        cairo_rectangle(cr, spot.x + 0.5, spot.y + 0.5, spot.width - 1, spot.height - 1);
        cairo_set_dash(cr, dash, 2, 0);
        cairo_set_source_rgba(cr, 0.35, 0.85, 1.0, 0.85);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        cairo_set_dash(cr, nullptr, 0, 0);
        cairo_new_sub_path(cr);
        cairo_arc(cr, spot.x + spot.width / 2.0, spot.y + spot.height / 2.0, 2, 0, 2 * kPi);
        cairo_set_source_rgba(cr, 0.35, 0.85, 1.0, 1);
        cairo_fill(cr);
    }
}

// The main page at rest with a wheel connected, in the screen's drawing order.
cairo_surface_t* composePreview(cairo_surface_t* atlas) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 800, 600);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    Composer compose(cr, atlas);
    using namespace skin;

    compose.stretched(kShadeTop, 0, 0, 800, 356);
    const int meshWidth = spriteRect(kMeshTile).width, meshHeight = spriteRect(kMeshTile).height;
    for (int x = 0; x < 800; x += meshWidth) {
        compose.sprite(kMeshTile, x, 53);
        compose.sprite(kMeshTile, x, 53 + meshHeight);
    }
    compose.sprite(kRemapTabLabel, 80, 8);
    compose.sprite(kSensitivityTabLabel, 220, 8);
    compose.sprite(kWheelFront, kWheelFrontPosition.x, kWheelFrontPosition.y);
    compose.sprite(kWheelSide, kWheelSidePosition.x, kWheelSidePosition.y);
    compose.stretched(kShadeBottom, 0, 356, 800, 244);
    compose.sprite(kLogo, 548, 502);
    compose.horizontalSeparator(17, 399, 768);
    compose.horizontalSeparator(282, 502, 236);
    compose.horizontalSeparator(548, 502, 236);
    compose.verticalSeparator(253);
    compose.verticalSeparator(533);
    compose.sprite(kPaletteHeading, 22, 373);

    ConfigurationModel model;
    model.WorkingMapping = kDefaultXboxMapping;
    for (int d = 0; d < kDestinationCount; ++d) model.assignPalette(d, model.WorkingMapping[static_cast<std::size_t>(d)]);
    drawPalette(compose, model.ConsoleMode);
    drawLabels(compose, model);

    compose.sprite(kAssignPanel, 278, 416);
    compose.sprite(kAssignHeading, 282, 373);
    compose.sprite(kSelectModeHeading, 282, 516);
    compose.sprite(kConsolePanel, 278, 537);
    compose.sprite(kRumbleHeading, 548, 373);
    compose.sprite(kPedalsHeading, 549, 413);
    compose.sprite(kPedalPressureHeading, 548, 475);

    // Widgets as the panels show them at start with a wheel connected.
    compose.sprite(kCloseNormal, 761, 13);
    compose.sprite(kMinimiseNormal, 735, 13);
    compose.sprite(kHelpNormal, 709, 13);
    compose.sprite(kAboutNormal, 13, 8);
    compose.sprite(kRemapTabChecked, 140, 8);
    compose.sprite(kSensitivityTabNormal, 310, 8);
    compose.sprite(kAssignSettingNormal, 283, 419);
    compose.sprite(kResetLayoutNormal, 397, 419);
    compose.sprite(kPresetsNormal, 595, 8);
    compose.sprite(kRumbleOffNormal, 611, 371);
    compose.sprite(kRumbleMediumNormal, 666, 371);
    compose.sprite(kRumbleHighChecked, 721, 371);
    const AtlasRect& track = spriteRect(kPressureTrack);
    compose.sprite(kPressureTrack, 548, 413);
    compose.sprite(kSliderKnob, 548 + track.width - spriteRect(kSliderKnob).width / 2, 413);
    compose.sprite(kXbox360Checked, 282, 539);
    compose.sprite(kPs3Normal, 397, 539);

    drawHotspotMarkers(cr);
    cairo_destroy(cr);
    return surface;
}

// ---------------------------------------------------------------------------------------------
// Contact sheet

cairo_surface_t* composeContactSheet(cairo_surface_t* atlas) {
    constexpr int kColumns = 12, kCell = 116, kLabel = 18, kHeader = 44, kMargin = 12;
    const int rows = (skin::kSpriteCount + kColumns - 1) / kColumns;
    const int width = 2 * kMargin + kColumns * kCell, height = kHeader + kMargin + rows * (kCell + kLabel);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(surface);
    setColour(cr, rgb(0x6E7176));
    cairo_paint(cr);
    drawText(cr, "Kestrel Customiser skin: 127 sprites, 1024 x 1024 atlas", kMargin, kHeader / 2, 16, Weight::Bold,
             rgb(0xFFFFFF), Align::Left);
    for (int index = 0; index < skin::kSpriteCount; ++index) {
        const double cellX = kMargin + (index % kColumns) * kCell;
        const double cellY = kHeader + (index / kColumns) * (kCell + kLabel);
        // A light checker behind each sprite shows where it is transparent.
        for (int cy = 0; cy < kCell - 8; cy += 8) {
            for (int cx = 0; cx < kCell - 8; cx += 8) {
                cairo_rectangle(cr, cellX + 4 + cx, cellY + 4 + cy, 8, 8);
                setColour(cr, ((cx + cy) / 8) % 2 ? rgb(0x7D8085) : rgb(0x74777C));
                cairo_fill(cr);
            }
        }
        const skin::AtlasRect& rect = skin::spriteRect(index);
        const double fit = std::min((kCell - 12.0) / rect.width, (kCell - 12.0) / rect.height);
        // Small sprites grow by whole factors and stay pixel-sharp; big ones shrink smoothly.
        const double scale = fit >= 1 ? std::min(6.0, std::floor(fit)) : fit;
        const double drawnW = rect.width * scale, drawnH = rect.height * scale;
        const double x = std::round(cellX + (kCell - drawnW) / 2), y = std::round(cellY + (kCell - drawnH) / 2);
        cairo_surface_t* piece = cairo_surface_create_for_rectangle(atlas, rect.x, rect.y, rect.width, rect.height);
        cairo_save(cr);
        cairo_translate(cr, x, y);
        cairo_scale(cr, scale, scale);
        cairo_set_source_surface(cr, piece, 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr), scale >= 1 ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
        cairo_rectangle(cr, 0, 0, rect.width, rect.height);
        cairo_fill(cr);
        cairo_restore(cr);
        cairo_surface_destroy(piece);
        char label[48];
        std::snprintf(label, sizeof label, "%d  (%dx%d)", index, rect.width, rect.height);
        drawText(cr, label, cellX + kCell / 2.0, cellY + kCell + kLabel / 2.0 - 2, 10, Weight::Bold, rgb(0xFFFFFF));
    }
    cairo_destroy(cr);
    return surface;
}

bool writeIcon(int size, const fs::path& path) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
    cairo_t* cr = cairo_create(surface);
    drawAppIcon(cr, size);
    cairo_destroy(cr);
    const bool written = writePng(surface, path);
    cairo_surface_destroy(surface);
    return written;
}

int run(const fs::path& fonts, const fs::path& root) {
    if (!loadFonts((fonts / "DejaVuSans.ttf").string(), (fonts / "DejaVuSans-Bold.ttf").string())) {
        std::fprintf(stderr, "skin_generator: cannot load DejaVu Sans from %s\n", fonts.c_str());
        return 1;
    }
    bool written = true;
    cairo_surface_t* atlas = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, skin::kAtlasSize, skin::kAtlasSize);
    drawAtlas(atlas);
    written &= writePng(atlas, root / "assets" / "skin.png");

    cairo_surface_t* sheet = composeContactSheet(atlas);
    written &= writePng(sheet, root / "docs" / "skin-contact-sheet.png");
    cairo_surface_destroy(sheet);

    cairo_surface_t* preview = composePreview(atlas);
    written &= writePng(preview, root / "docs" / "skin-preview.png");
    cairo_surface_destroy(preview);
    cairo_surface_destroy(atlas);

    written &= writeIcon(32, root / "assets" / "window-icon.png");
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const std::string folder = std::to_string(size) + "x" + std::to_string(size);
        written &= writeIcon(size, root / "assets" / "icons" / folder / "org.kestrel.Customiser.png");
    }
    releaseFonts();
    return written ? 0 : 1;
}

}  // namespace
}  // namespace kestrel::skin_generator

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: skin_generator <font folder> <output root>\n");
        return 2;
    }
    return kestrel::skin_generator::run(argv[1], argv[2]);
}
