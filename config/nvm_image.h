#pragma once
// The wheel's 1024-byte configuration memory as the program holds it. The wheel link moves it
// whole in 32 chunks of 32 bytes; the configuration code owns the meaning of its fields.
// All multi-byte fields are little-endian whatever the host.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace kestrel {

constexpr std::size_t kNvmSize = 1024;
constexpr std::size_t kNvmChunkSize = 32;
constexpr std::size_t kNvmChunkCount = kNvmSize / kNvmChunkSize;
constexpr std::uint32_t kNvmSignature = 0x12345678;

// Word 2 (offset 8): bit 0 is the console mode, bit 31 the wheel link's update-pending mark.
constexpr std::size_t kNvmFlagsOffset = 0x008;
constexpr std::uint32_t kNvmUpdatePendingBit = 0x80000000u;

struct NvmImage {
    std::array<std::uint8_t, kNvmSize> bytes{};

    std::span<std::uint8_t, kNvmChunkSize> chunk(std::size_t index) {
        return std::span<std::uint8_t, kNvmChunkSize>(bytes.data() + index * kNvmChunkSize, kNvmChunkSize);
    }
    std::span<const std::uint8_t, kNvmChunkSize> chunk(std::size_t index) const {
        return std::span<const std::uint8_t, kNvmChunkSize>(bytes.data() + index * kNvmChunkSize, kNvmChunkSize);
    }

    std::uint32_t readU32(std::size_t offset) const {
        return static_cast<std::uint32_t>(bytes[offset]) | static_cast<std::uint32_t>(bytes[offset + 1]) << 8 |
               static_cast<std::uint32_t>(bytes[offset + 2]) << 16 | static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
    }
    void writeU32(std::size_t offset, std::uint32_t value) {
        for (std::size_t i = 0; i < 4; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
    std::int32_t readS32(std::size_t offset) const { return static_cast<std::int32_t>(readU32(offset)); }
    void writeS32(std::size_t offset, std::int32_t value) { writeU32(offset, static_cast<std::uint32_t>(value)); }

    std::int16_t readS16(std::size_t offset) const {
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(bytes[offset] | bytes[offset + 1] << 8));
    }
    void writeS16(std::size_t offset, std::int16_t value) {
        const auto raw = static_cast<std::uint16_t>(value);
        bytes[offset] = static_cast<std::uint8_t>(raw);
        bytes[offset + 1] = static_cast<std::uint8_t>(raw >> 8);
    }

    bool operator==(const NvmImage&) const = default;
};

}  // namespace kestrel
