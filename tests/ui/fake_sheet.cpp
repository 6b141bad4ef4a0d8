#include "tests/ui/fake_sheet.h"

namespace kestrel::testing {

// The sizes of the skin sprites the widgets use by their own index, as the real skin has them.
FakeSheet::FakeSheet() {
    setSize(19, 16, 16);   // dial hub
    setSize(35, 15, 16);   // dial handle
    setSize(36, 15, 16);   // dial handle, hover
    setSize(64, 223, 54);  // slider track
    setSize(82, 14, 41);   // slider thumb
}

SpriteSize FakeSheet::spriteSize(int index) const {
    auto found = sizes_.find(index);
    return found == sizes_.end() ? SpriteSize{} : found->second;
}

std::vector<int> FakeSheet::drawnIndices() const {
    std::vector<int> indices;
    for (const DrawnSprite& sprite : sprites) indices.push_back(sprite.index);
    return indices;
}

}  // namespace kestrel::testing
