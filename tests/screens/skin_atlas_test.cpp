// The committed skin atlas against the sprite table: every sprite is drawn where the table
// says, the widget states can be told apart, frames stretch without seams, and the wheel
// pictures put each control under its hotspot. With the generator built, a fresh run must
// reproduce every committed file.
#include <gtest/gtest.h>
#include <png.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "assets/embedded.h"
#include "config/configuration.h"
#include "config/control_tables.h"
#include "screens/sprite_table.h"

namespace kestrel {
namespace {

using skin::AtlasRect;

struct Rgba {
    std::uint8_t r, g, b, a;
};

struct Image {
    int width = 0;
    int height = 0;
    bool hadAlpha = false;
    std::vector<Rgba> pixels;

    const Rgba& at(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

Image decode(std::span<const std::uint8_t> bytes) {
    Image image;
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size())) return image;
    image.hadAlpha = (png.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    png.format = PNG_FORMAT_RGBA;
    image.pixels.resize(static_cast<std::size_t>(png.width) * png.height);
    if (!png_image_finish_read(&png, nullptr, image.pixels.data(), 0, nullptr)) {
        png_image_free(&png);
        image.pixels.clear();
        return image;
    }
    image.width = static_cast<int>(png.width);
    image.height = static_cast<int>(png.height);
    return image;
}

std::vector<std::uint8_t> readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

const Image& atlas() {
    static const Image image = decode(assets::find("skin.png"));
    return image;
}

int visiblePixels(const Image& image, const AtlasRect& rect) {
    int count = 0;
    for (int y = rect.y; y < rect.bottom(); ++y) {
        for (int x = rect.x; x < rect.right(); ++x) count += image.at(x, y).a > 16 ? 1 : 0;
    }
    return count;
}

// Share of pixels of two equally sized rectangles that differ visibly.
double differingShare(const Image& image, const AtlasRect& one, const AtlasRect& other) {
    int differing = 0;
    for (int y = 0; y < one.height; ++y) {
        for (int x = 0; x < one.width; ++x) {
            const Rgba& p = image.at(one.x + x, one.y + y);
            const Rgba& q = image.at(other.x + x, other.y + y);
            const int distance = std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b) + std::abs(p.a - q.a);
            differing += distance > 48 ? 1 : 0;
        }
    }
    return static_cast<double>(differing) / (one.width * one.height);
}

int channelDistance(const Rgba& p, const Rgba& q) {
    return std::max({std::abs(p.r - q.r), std::abs(p.g - q.g), std::abs(p.b - q.b), std::abs(p.a - q.a)});
}

// ---------------------------------------------------------------------------------------------

TEST(SkinAtlas, IsAnRgbaImageOfTheAtlasSize) {
    const Image& image = atlas();
    ASSERT_FALSE(image.pixels.empty()) << "skin.png is not embedded or does not decode";
    EXPECT_EQ(image.width, skin::kAtlasSize);
    EXPECT_EQ(image.height, skin::kAtlasSize);
    EXPECT_TRUE(image.hadAlpha);
}

TEST(SkinAtlas, EverySpriteLiesInsideTheAtlasAndShowsSomething) {
    const Image& image = atlas();
    ASSERT_FALSE(image.pixels.empty());
    for (int sprite = 0; sprite < skin::kSpriteCount; ++sprite) {
        const AtlasRect& rect = skin::spriteRect(sprite);
        ASSERT_TRUE(rect.x >= 0 && rect.y >= 0 && rect.right() <= skin::kAtlasSize && rect.bottom() <= skin::kAtlasSize)
            << "sprite " << sprite;
        EXPECT_GT(visiblePixels(image, rect), 0) << "sprite " << sprite << " is empty";
        // The program cuts the shade strips narrower; what it cuts must be covered edge to edge,
        // or the stretched strip would fade out at its sides.
        const AtlasRect cut = skin::spriteCutRect(sprite);
        if (skin::isShadeStrip(sprite)) {
            EXPECT_EQ(visiblePixels(image, cut), cut.width * cut.height) << "sprite " << sprite;
        }
    }
}

TEST(SkinAtlas, NothingIsDrawnOutsideTheSpriteRectangles) {
    const Image& image = atlas();
    ASSERT_FALSE(image.pixels.empty());
    std::vector<bool> owned(static_cast<std::size_t>(skin::kAtlasSize * skin::kAtlasSize), false);
    for (const AtlasRect& rect : skin::kSpriteRects) {
        for (int y = rect.y; y < rect.bottom(); ++y) {
            for (int x = rect.x; x < rect.right(); ++x) owned[static_cast<std::size_t>(y * skin::kAtlasSize + x)] = true;
        }
    }
    int stray = 0;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            if (!owned[static_cast<std::size_t>(y * skin::kAtlasSize + x)] && image.at(x, y).a != 0) ++stray;
        }
    }
    EXPECT_EQ(stray, 0);
}

TEST(SkinAtlas, TheThreeStatesOfEveryButtonAndCheckLookDifferent) {
    const Image& image = atlas();
    ASSERT_FALSE(image.pixels.empty());
    for (const skin::WidgetSprites& widget : skin::kWidgetSprites) {
        const AtlasRect& normal = skin::spriteRect(widget.normal);
        const AtlasRect& active = skin::spriteRect(widget.active);
        const AtlasRect& hover = skin::spriteRect(widget.hover);
        ASSERT_EQ(normal.width, active.width);
        ASSERT_EQ(normal.width, hover.width);
        ASSERT_EQ(normal.height, active.height);
        ASSERT_EQ(normal.height, hover.height);
        // "At a glance": a clear share of the picture changes, not a pixel or two.
        EXPECT_GT(differingShare(image, normal, active), 0.10) << "sprites " << widget.normal << " / " << widget.active;
        EXPECT_GT(differingShare(image, normal, hover), 0.03) << "sprites " << widget.normal << " / " << widget.hover;
        EXPECT_GT(differingShare(image, active, hover), 0.10) << "sprites " << widget.active << " / " << widget.hover;
    }
}

TEST(SkinFramePieces, CutTheirSourceIntoAnExactThreeByThreeGrid) {
    for (int set = 0; set < skin::kFramePieceSetCount; ++set) {
        const AtlasRect& source = skin::spriteRect(skin::kFramePieceSets[static_cast<std::size_t>(set)].sourceSprite);
        const AtlasRect last = skin::framePieceRect(set, skin::kFramePiecesPerSet - 1);
        EXPECT_EQ(skin::framePieceRect(set, 0).x, source.x);
        EXPECT_EQ(skin::framePieceRect(set, 0).y, source.y);
        EXPECT_EQ(last.right(), source.right()) << "set " << set;
        EXPECT_EQ(last.bottom(), source.bottom()) << "set " << set;
    }
}

TEST(SkinFramePieces, JoinWithoutASeamWhenStretched) {
    const Image& image = atlas();
    ASSERT_FALSE(image.pixels.empty());
    constexpr int kTolerance = 3;
    for (int set = 0; set < skin::kFramePieceSetCount; ++set) {
        for (int row = 0; row < 3; ++row) {
            for (int column = 0; column < 3; ++column) {
                const AtlasRect piece = skin::framePieceRect(set, row * 3 + column);
                // Across each boundary the touching edge columns and rows must match.
                if (column < 2) {
                    const AtlasRect next = skin::framePieceRect(set, row * 3 + column + 1);
                    for (int y = 0; y < piece.height; ++y) {
                        EXPECT_LE(channelDistance(image.at(piece.right() - 1, piece.y + y), image.at(next.x, next.y + y)), kTolerance)
                            << "set " << set << " piece " << row * 3 + column << " right edge, row " << y;
                    }
                }
                if (row < 2) {
                    const AtlasRect next = skin::framePieceRect(set, (row + 1) * 3 + column);
                    for (int x = 0; x < piece.width; ++x) {
                        EXPECT_LE(channelDistance(image.at(piece.x + x, piece.bottom() - 1), image.at(next.x + x, next.y)), kTolerance)
                            << "set " << set << " piece " << row * 3 + column << " bottom edge, column " << x;
                    }
                }
                // Stretched pieces repeat their first line, so they must not change along the stretch.
                const bool stretchedAcross = column == 1, stretchedDown = row == 1;
                for (int y = 0; y < piece.height; ++y) {
                    for (int x = 0; x < piece.width; ++x) {
                        const Rgba& here = image.at(piece.x + x, piece.y + y);
                        if (stretchedAcross) {
                            EXPECT_LE(channelDistance(here, image.at(piece.x, piece.y + y)), kTolerance);
                        }
                        if (stretchedDown) {
                            EXPECT_LE(channelDistance(here, image.at(piece.x + x, piece.y)), kTolerance);
                        }
                    }
                }
            }
        }
    }
}

TEST(SkinWheelPictures, EveryHotspotLandsOnItsControl) {
    const Image& image = atlas();
    ASSERT_FALSE(image.pixels.empty());
    struct Picture {
        int sprite;
        skin::ScreenPoint position;
    };
    const Picture pictures[] = {{skin::kWheelFront, skin::kWheelFrontPosition}, {skin::kWheelSide, skin::kWheelSidePosition}};
    for (int dest = 0; dest < kDestinationCount; ++dest) {
        const DestHotspot& spot = kDestHotspot[static_cast<std::size_t>(dest)];
        const int centreX = spot.x + spot.width / 2, centreY = spot.y + spot.height / 2;
        const Picture* under = nullptr;
        for (const Picture& picture : pictures) {
            const AtlasRect& rect = skin::spriteRect(picture.sprite);
            const AtlasRect onScreen{picture.position.x, picture.position.y, rect.width, rect.height};
            if (onScreen.contains(centreX, centreY)) under = &picture;
        }
        ASSERT_NE(under, nullptr) << "destination " << dest << " is on neither wheel picture";
        const AtlasRect& rect = skin::spriteRect(under->sprite);
        const auto pixel = [&](int x, int y) -> const Rgba& {
            return image.at(rect.x + x - under->position.x, rect.y + y - under->position.y);
        };
        EXPECT_GT(pixel(centreX, centreY).a, 200) << "destination " << dest << " centre";
        // Most of the hotspot is drawn control too, so a press anywhere in it lands on something.
        int covered = 0, inside = 0;
        for (int y = spot.y; y < spot.y + spot.height; ++y) {
            for (int x = spot.x; x < spot.x + spot.width; ++x) {
                if (!AtlasRect{under->position.x, under->position.y, rect.width, rect.height}.contains(x, y)) continue;
                ++inside;
                covered += pixel(x, y).a > 200 ? 1 : 0;
            }
        }
        EXPECT_GT(covered * 10, inside * 8) << "destination " << dest;
    }
}

// The label rectangles are computed from sizes the configuration keeps without the screens;
// if the atlas and those sizes drift apart, drawn icons and their hit-tests no longer agree.
TEST(SkinPaletteSprites, MatchTheSizesTheLabelRectanglesAssume) {
    for (int console = 0; console < kConsoleCount; ++console) {
        for (int palette = 0; palette < kPaletteCount; ++palette) {
            const int sprite = kPaletteSprite[static_cast<std::size_t>(console)][static_cast<std::size_t>(palette)];
            const AtlasRect& rect = skin::spriteRect(sprite);
            const auto assumed = iconSpriteSize(sprite);
            EXPECT_EQ(rect.width, assumed.width) << "console " << console << " palette " << palette;
            EXPECT_EQ(rect.height, assumed.height) << "console " << console << " palette " << palette;
            // The palette button is hit-tested over its rectangle and drawn as this sprite.
            const ScreenRect& button = kPaletteButton[static_cast<std::size_t>(palette)];
            EXPECT_EQ(button.width, rect.width) << "palette " << palette;
            EXPECT_EQ(button.height, rect.height) << "palette " << palette;
        }
    }
    const int arrows[] = {skin::kArrowLeft, skin::kArrowRight, skin::kArrowUp, skin::kArrowDown};
    for (int side = 0; side < 4; ++side) {
        EXPECT_EQ(skin::spriteRect(arrows[side]).width, kLabelArrowSize[static_cast<std::size_t>(side)].width) << side;
        EXPECT_EQ(skin::spriteRect(arrows[side]).height, kLabelArrowSize[static_cast<std::size_t>(side)].height) << side;
    }
}

// Two functions with near-identical pictures could not be told apart in the palette or on the wheel.
TEST(SkinPaletteSprites, EveryIconLooksDifferentFromEveryOther) {
    const Image& image = atlas();
    ASSERT_FALSE(image.pixels.empty());
    // Only the icons of one console are ever shown together.
    for (const auto& icons : kPaletteSprite) {
        for (std::size_t i = 0; i < icons.size(); ++i) {
            for (std::size_t j = i + 1; j < icons.size(); ++j) {
                const AtlasRect& one = skin::spriteRect(icons[i]);
                const AtlasRect& other = skin::spriteRect(icons[j]);
                if (icons[i] == icons[j] || one.width != other.width || one.height != other.height) continue;
                EXPECT_GT(differingShare(image, one, other), 0.04) << "icons " << icons[i] << " and " << icons[j];
            }
        }
    }
}

// Each label arrow's tip is the opaque pixel farthest in the direction it points, and it must
// sit near the middle of that edge: a mirrored arrow would point away from its control.
TEST(SkinLabelArrows, PointTheWayTheirNameSays) {
    const Image& image = atlas();
    ASSERT_FALSE(image.pixels.empty());
    struct Case {
        int sprite;
        int dx, dy;  // pointing direction
    };
    const Case cases[] = {{skin::kArrowLeft, -1, 0}, {skin::kArrowRight, 1, 0}, {skin::kArrowUp, 0, -1}, {skin::kArrowDown, 0, 1}};
    for (const Case& arrow : cases) {
        const AtlasRect& rect = skin::spriteRect(arrow.sprite);
        int bestReach = -1000000, tipAcross = 0;
        for (int y = 0; y < rect.height; ++y) {
            for (int x = 0; x < rect.width; ++x) {
                if (image.at(rect.x + x, rect.y + y).a < 128) continue;
                const int reach = arrow.dx * x + arrow.dy * y;
                if (reach > bestReach) {
                    bestReach = reach;
                    tipAcross = arrow.dx != 0 ? y : x;
                }
            }
        }
        const int across = arrow.dx != 0 ? rect.height : rect.width;
        const int along = arrow.dx != 0 ? rect.width : rect.height;
        const int tipAlong = arrow.dx + arrow.dy > 0 ? bestReach : -bestReach;
        const int pointingEdge = arrow.dx + arrow.dy > 0 ? along - 1 : 0;
        EXPECT_NEAR(tipAcross, across / 2, 2) << "sprite " << arrow.sprite;
        EXPECT_NEAR(tipAlong, pointingEdge, 3) << "sprite " << arrow.sprite << " does not reach its pointing edge";
    }
}

// Wheel labels are drawn over the top area: a label reaching into the drag strip or the bottom
// columns would be painted over by them or steal their presses.
TEST(SkinWheelPictures, EveryPossibleLabelStaysBetweenDragStripAndBottomArea) {
    constexpr int kDragStripBottom = 60, kTopAreaBottom = 356;
    const int arrows[] = {skin::kArrowLeft, skin::kArrowRight, skin::kArrowUp, skin::kArrowDown};
    const int arrowDy[] = {-12, -13, 0, -20};
    for (int console = 0; console < kConsoleCount; ++console) {
        for (int dest = 0; dest < kDestinationCount; ++dest) {
            const DestHotspot& spot = kDestHotspot[static_cast<std::size_t>(dest)];
            const int arrowTop = spot.labelY + arrowDy[spot.side];
            EXPECT_GE(arrowTop, kDragStripBottom) << "destination " << dest;
            EXPECT_LE(arrowTop + skin::spriteRect(arrows[spot.side]).height, kTopAreaBottom) << "destination " << dest;
            for (int palette = 0; palette < kPaletteCount; ++palette) {
                const LabelRectangle label = labelRectangle(console, dest, palette);
                const int top = label.top, height = label.bottom - label.top;
                EXPECT_GE(top, kDragStripBottom) << "destination " << dest << " palette " << palette;
                EXPECT_LE(top + height, kTopAreaBottom) << "destination " << dest << " palette " << palette;
            }
        }
    }
}

// The dial's band is drawn on a circle around the rim; a rim wider than the circle would hide it.
TEST(SkinWheelPictures, SensitivityRimStaysInsideTheDial) {
    const Image& image = atlas();
    ASSERT_FALSE(image.pixels.empty());
    constexpr double kDialX = 400, kDialY = 310, kDialRadius = 240;
    const AtlasRect& rect = skin::spriteRect(skin::kSensitivityRim);
    const skin::AnchorPoint anchor = skin::spriteAnchor(skin::kSensitivityRim);
    const double left = skin::kSensitivityRimPosition.x - anchor.x, top = skin::kSensitivityRimPosition.y - anchor.y;
    double farthest = 0;
    for (int y = 0; y < rect.height; ++y) {
        for (int x = 0; x < rect.width; ++x) {
            if (image.at(rect.x + x, rect.y + y).a == 0) continue;
            farthest = std::max(farthest, std::hypot(left + x + 0.5 - kDialX, top + y + 0.5 - kDialY));
        }
    }
    EXPECT_GT(farthest, 0.0);
    EXPECT_LT(farthest, kDialRadius - 10);
}

TEST(SkinIcons, WindowIconIsEmbeddedAndSmall) {
    const Image icon = decode(assets::find("window-icon.png"));
    EXPECT_EQ(icon.width, 32);
    EXPECT_EQ(icon.height, 32);
    EXPECT_TRUE(icon.hadAlpha);
}

TEST(SkinIcons, DesktopIconsExistInEverySize) {
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const std::string folder = std::to_string(size) + "x" + std::to_string(size);
        const auto bytes = readFile(std::filesystem::path(KESTREL_SOURCE_DIR) / "assets/icons" / folder / "org.kestrel.Customiser.png");
        const Image icon = decode(bytes);
        EXPECT_EQ(icon.width, size) << folder;
        EXPECT_EQ(icon.height, size) << folder;
    }
}

#ifdef KESTREL_SKIN_GENERATOR
TEST(SkinGenerator, ReproducesEveryCommittedFile) {
    char pattern[] = "/tmp/kestrel-skin-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::filesystem::path output = pattern;
    const std::string command = std::string("\"") + KESTREL_SKIN_GENERATOR + "\" /usr/share/fonts/truetype/dejavu \"" +
                                output.string() + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0);
    int compared = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(output)) {
        if (!entry.is_regular_file()) continue;
        const auto relative = std::filesystem::relative(entry.path(), output);
        EXPECT_EQ(readFile(entry.path()), readFile(std::filesystem::path(KESTREL_SOURCE_DIR) / relative))
            << relative << " differs from its generator; run scripts/generate-skin";
        ++compared;
    }
    EXPECT_EQ(compared, 11);
    std::filesystem::remove_all(output);
}
#endif

}  // namespace
}  // namespace kestrel
