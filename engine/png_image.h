#pragma once
// PNG bytes in memory to straight 8-bit RGBA (bytes R, G, B, A per pixel, rows top down).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kestrel {

struct DecodedImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
};

struct PngResult {
    bool ok = false;
    DecodedImage image;
    std::string error;  // why decoding failed, for the log
};

// Larger images than any texture the renderers take are refused before any pixel memory is
// allocated, so a header that declares a huge size cannot exhaust memory.
constexpr int kMaxImageSide = 8192;

PngResult decodePng(const void* data, std::size_t size);

}  // namespace kestrel
