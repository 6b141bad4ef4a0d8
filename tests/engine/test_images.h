#pragma once
// PNG files made on the fly, so drawing tests choose their own pixels.
#include <png.h>

#include <cstdint>
#include <vector>

namespace kestrel::test {

// A width x height PNG, every pixel the given ARGB colour.
inline std::vector<std::uint8_t> solidPng(int width, int height, std::uint32_t argb) {
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width) * height * 4);
    for (std::size_t i = 0; i < rgba.size(); i += 4) {
        rgba[i] = static_cast<std::uint8_t>(argb >> 16);
        rgba[i + 1] = static_cast<std::uint8_t>(argb >> 8);
        rgba[i + 2] = static_cast<std::uint8_t>(argb);
        rgba[i + 3] = static_cast<std::uint8_t>(argb >> 24);
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr);
    std::vector<std::uint8_t> bytes(size);
    png_image_write_to_memory(&image, bytes.data(), &size, 0, rgba.data(), 0, nullptr);
    bytes.resize(size);
    return bytes;
}

inline int red(std::uint32_t argb) { return static_cast<int>((argb >> 16) & 0xFF); }
inline int green(std::uint32_t argb) { return static_cast<int>((argb >> 8) & 0xFF); }
inline int blue(std::uint32_t argb) { return static_cast<int>(argb & 0xFF); }

}  // namespace kestrel::test
