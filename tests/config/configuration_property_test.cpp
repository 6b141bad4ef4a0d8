// Random whole images through decode and encode: whatever the wheel holds, the program may only
// rewrite the fields it owns, and a second save must not drift from the first.
#include <gtest/gtest.h>

#include <random>

#include "config/configuration.h"
#include "tests/config/fake_settings_widgets.h"

namespace kestrel {
namespace {

constexpr int kImageCount = 10000;
constexpr std::uint32_t kSeed = 0x4B455354;

bool ownedByTheModel(std::size_t offset) {
    if (offset >= kNvmFlagsOffset && offset < kNvmFlagsOffset + 4) return true;
    for (std::size_t block : {kXboxBlockOffset, kPs3BlockOffset}) {
        if (offset >= block && offset < block + 4) return true;
        if (offset >= block + kOutputTypeOffset && offset < block + kOutputTypeOffset + kPhysicalControlCount) {
            return true;
        }
        if (offset >= block + kOutputValueOffset && offset < block + kOutputValueOffset + 2 * kPhysicalControlCount) {
            return true;
        }
    }
    return offset >= kSettingsBlockOffset && offset < kSettingsBlockOffset + kSettingsBlockSize;
}

// Mostly noise, but with signed blocks and in-range output types often enough that every
// decoding path is taken.
NvmImage randomImage(std::mt19937& random) {
    NvmImage image{};
    for (auto& byte : image.bytes) byte = static_cast<std::uint8_t>(random());
    for (std::size_t block : {kXboxBlockOffset, kPs3BlockOffset, kSettingsBlockOffset}) {
        if (random() % 4 != 0) image.writeU32(block, kNvmSignature);
    }
    if (random() % 2 == 0) {
        for (std::size_t block : {kXboxBlockOffset, kPs3BlockOffset}) {
            for (int p = 0; p < kPhysicalControlCount; ++p) {
                image.bytes[block + kOutputTypeOffset + p] = static_cast<std::uint8_t>(random() % kConsoleOutputCount);
            }
        }
    }
    return image;
}

NvmImage decodeThenEncode(const NvmImage& image, bool fromWheel) {
    testing::FakeSettingsWidgets widgets;
    ConfigurationModel model;
    model.decodeImage(image, widgets, fromWheel);
    for (int console = 0; console < kConsoleCount; ++console) {
        for (int palette : model.StoredMapping[console]) {
            EXPECT_GE(palette, -1);
            EXPECT_LT(palette, kPaletteCount);
        }
    }
    NvmImage encoded = image;
    model.encodeImage(encoded);
    return encoded;
}

TEST(ConfigurationImageProperty, RandomImagesKeepForeignBytesAndSettleAfterOneSave) {
    std::mt19937 random(kSeed);
    for (int n = 0; n < kImageCount; ++n) {
        const NvmImage image = randomImage(random);
        const bool fromWheel = random() % 2 == 0;
        const NvmImage encoded = decodeThenEncode(image, fromWheel);

        for (std::size_t i = 0; i < kNvmSize; ++i) {
            if (!ownedByTheModel(i)) {
                ASSERT_EQ(encoded.bytes[i], image.bytes[i]) << "image " << n << " offset " << i;
            }
        }
        for (int console = 0; console < kConsoleCount; ++console) {
            const std::size_t block = outputBlockOffset(console);
            ASSERT_EQ(encoded.readU32(block), kNvmSignature) << "image " << n;
            for (int p = 0; p < kFirstEditableControl; ++p) {
                ASSERT_EQ(encoded.bytes[block + kOutputTypeOffset + p], kFixedOutput[p].type) << "image " << n;
                ASSERT_EQ(encoded.readS16(block + kOutputValueOffset + 2 * p), kFixedOutput[p].value) << "image " << n;
            }
            for (int p : {PHY_LPEDDLE, PHY_RPEDDLE}) {
                ASSERT_EQ(encoded.readS16(block + kOutputValueOffset + 2 * p), 0) << "image " << n;
            }
        }
        const std::uint32_t flags = encoded.readU32(kNvmFlagsOffset);
        ASSERT_LE(flags, 1u) << "image " << n;
        if (fromWheel) {
            ASSERT_EQ(flags, image.readU32(kNvmFlagsOffset) & 1u) << "image " << n;
        }
        if (image.readU32(kSettingsBlockOffset) == kNvmSignature) {
            for (std::size_t i = 4; i < kSettingsBlockSize; ++i) {
                ASSERT_EQ(encoded.bytes[kSettingsBlockOffset + i], image.bytes[kSettingsBlockOffset + i])
                    << "image " << n << " settings byte " << i;
            }
        }

        ASSERT_EQ(decodeThenEncode(encoded, true), encoded) << "image " << n;
    }
}

}  // namespace
}  // namespace kestrel
