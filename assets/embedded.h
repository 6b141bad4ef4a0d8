#pragma once
// The data compiled into the program: skin and font images, font descriptions, splash and
// firmware. Looked up by resource name; nothing is read from disk at run time.
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace kestrel::assets {

// The bytes of the named resource, or an empty span when the program carries no such resource.
std::span<const std::uint8_t> find(std::string_view name);

// Every resource name, in no particular order.
std::vector<std::string_view> names();

}  // namespace kestrel::assets
