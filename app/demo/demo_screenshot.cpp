#include "app/demo/demo_screenshot.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <png.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace kestrel::demo {

namespace {

// The lowest set bit's position and the mask's width, to pull one channel out of a pixel.
int channel(unsigned long pixel, unsigned long mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (((mask >> shift) & 1) == 0) ++shift;
    const unsigned long maximum = mask >> shift;
    return static_cast<int>(((pixel & mask) >> shift) * 255 / maximum);
}

}  // namespace

bool saveScreenRectangle(int left, int top, int width, int height, const std::string& path, std::string& error) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        error = "no X display";
        return false;
    }
    const Window root = DefaultRootWindow(display);
    XWindowAttributes rootAttributes{};
    XGetWindowAttributes(display, root, &rootAttributes);
    // Clip to the screen, so a window partly off screen still gives a picture.
    const int x0 = std::clamp(left, 0, rootAttributes.width);
    const int y0 = std::clamp(top, 0, rootAttributes.height);
    const int x1 = std::clamp(left + width, 0, rootAttributes.width);
    const int y1 = std::clamp(top + height, 0, rootAttributes.height);
    if (x1 <= x0 || y1 <= y0) {
        XCloseDisplay(display);
        error = "the window is not on the screen";
        return false;
    }
    XImage* shot = XGetImage(display, root, x0, y0, static_cast<unsigned>(x1 - x0), static_cast<unsigned>(y1 - y0),
                             AllPlanes, ZPixmap);
    if (shot == nullptr) {
        XCloseDisplay(display);
        error = "the screen could not be read";
        return false;
    }
    const int w = x1 - x0;
    const int h = y1 - y0;
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const unsigned long pixel = XGetPixel(shot, x, y);
            std::uint8_t* out = &rgba[(static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + x) * 4];
            out[0] = static_cast<std::uint8_t>(channel(pixel, shot->red_mask));
            out[1] = static_cast<std::uint8_t>(channel(pixel, shot->green_mask));
            out[2] = static_cast<std::uint8_t>(channel(pixel, shot->blue_mask));
            out[3] = 255;
        }
    }
    XDestroyImage(shot);
    XCloseDisplay(display);

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(w);
    image.height = static_cast<png_uint_32>(h);
    image.format = PNG_FORMAT_RGBA;
    if (png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), 0, nullptr) == 0) {
        error = image.message;
        return false;
    }
    return true;
}

}  // namespace kestrel::demo
