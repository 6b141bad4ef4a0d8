#include "engine/png_image.h"

#include <png.h>

namespace kestrel {

PngResult decodePng(const void* data, std::size_t size) {
    PngResult result;
    if (data == nullptr || size == 0) {
        result.error = "no image data";
        return result;
    }
    // The simplified reader reports every libpng error through the image's message instead
    // of a longjmp, so truncated or corrupt data cannot unwind through our frames.
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data, size)) {
        result.error = image.message;
        png_image_free(&image);
        return result;
    }
    if (image.width == 0 || image.height == 0 || image.width > kMaxImageSide ||
        image.height > kMaxImageSide) {
        result.error = "image size " + std::to_string(image.width) + " x " +
                       std::to_string(image.height) + " is out of range";
        png_image_free(&image);
        return result;
    }
    image.format = PNG_FORMAT_RGBA;
    std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        result.error = image.message;
        png_image_free(&image);
        return result;
    }
    result.ok = true;
    result.image.width = static_cast<int>(image.width);
    result.image.height = static_cast<int>(image.height);
    result.image.rgba = std::move(pixels);
    png_image_free(&image);
    return result;
}

}  // namespace kestrel
