#pragma once
// How far a firmware update has got, as WheelFirmwareUpdate reports it and the updating screen
// shows it. A value type of its own, so the screens can show it without the wheel link.
#include <cstddef>

namespace kestrel {

struct FirmwareProgress {
    enum class Phase {
        Flashing,           // chunks are being sent
        WaitingForOldNode,  // all sent; the wheel is restarting
        WaitingForWheel,    // the old node is gone; polling for the new one
        Finishing,          // clearing the update-pending mark
    };
    Phase phase = Phase::Flashing;
    std::size_t chunksSent = 0;
    std::size_t chunkCount = 0;
};

}  // namespace kestrel
