#pragma once
// One kestrelctl run after another, in-process, against the simulated wheel: a scratch home
// for backups and profiles, a fixed clock, and a scripted network for the presets.
#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "cli/kestrelctl.h"
#include "config/nvm_image.h"
#include "online/http_transport.h"
#include "wheel/sim/sim_wheel.h"

namespace kestrel::testing {

// Serves bodies by full URL; anything else is unreachable.
struct ScriptedHttp final : HttpTransport {
    std::map<std::string, std::string> bodies;
    HttpGetResult get(const std::string& url, std::span<std::uint8_t> buffer) override;
};

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

// The wheel as a save from the window leaves it: both console blocks and the settings signed,
// the default mappings, Xbox 360 mode, sensitivity 0-90, rumble medium, pedal pressure 200.
NvmImage savedWheelImage();

class CliWorld {
public:
    CliWorld();
    ~CliWorld();

    RunResult run(std::vector<std::string> arguments);

    std::vector<std::filesystem::path> backups() const;  // of the wheel KD-0001, oldest first
    std::filesystem::path file(const std::string& name) const { return scratch / name; }
    void writeFile(const std::string& name, const NvmImage& image) const;
    void writeFile(const std::string& name, std::size_t size) const;

    std::filesystem::path scratch;
    std::map<std::string, std::string> environment;
    std::chrono::system_clock::time_point now;
    sim::SimWheel wheel;
    ScriptedHttp http;
};

}  // namespace kestrel::testing
