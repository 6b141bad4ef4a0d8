// kestrelctl's demo build: the real commands against the simulated wheel, loaded with the
// demo's memory, and the demo's presets served from inside the process. See README.md here.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "app/demo/demo_content.h"
#include "app/demo/demo_server.h"
#include "cli/kestrelctl.h"
#include "config/image_file.h"
#include "online/http_fetch.h"
#include "wheel/hotplug.h"
#include "wheel/sim/sim_wheel.h"

namespace {

const char* environmentText(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : nullptr;
}

bool environmentFlag(const char* name) {
    const char* value = environmentText(name);
    return value != nullptr && std::string(value) != "0";
}

}  // namespace

int main(int argc, char** argv) {
    using namespace kestrel;
    sim::SimWheel wheel;
    wheel.setMemory(demo::sampleWheelMemory());
    wheel.setStrings(L"Kestrel", L"Kestrel Racing Wheel", L"KD-0001");
    // Each run is a new process: the file carries the wheel's memory from one command to the next.
    const char* wheelFile = environmentText("KESTREL_DEMO_WHEEL_FILE");
    if (wheelFile != nullptr && std::filesystem::exists(wheelFile)) {
        const ImageFileResult stored = readImageFile(wheelFile);
        if (!stored.ok) {
            std::fprintf(stderr, "kestrelctl-demo: %s\n", stored.error.c_str());
            return 1;
        }
        wheel.setMemory(stored.image);
    }
    if (const char* release = environmentText("KESTREL_DEMO_RELEASE")) {
        wheel.setReleaseNumber(static_cast<int>(std::strtol(release, nullptr, 0)));
    }
    if (environmentFlag("KESTREL_DEMO_NO_WHEEL")) wheel.unplug();
    if (environmentFlag("KESTREL_DEMO_DENIED")) wheel.denyOpen(EACCES);

    demo::DemoServer server;
    if (!environmentFlag("KESTREL_DEMO_OFFLINE")) {
        std::string base = settingsDocumentUrl();
        base.resize(base.size() - std::string("/kestrel/settings.xml").size());
        const demo::SampleSite site = demo::sampleSite(base, false);
        server.route(site.settingsPath, site.settingsDocument, "application/xml");
        for (const demo::SamplePresetFile& preset : site.presets)
            server.route(preset.path, std::string(preset.bytes.begin(), preset.bytes.end()), "application/octet-stream");
        std::string error;
        if (server.start(0, error)) {
            const std::string proxy = "http://127.0.0.1:" + std::to_string(server.port());
            setenv("http_proxy", proxy.c_str(), 1);
            unsetenv("no_proxy");
            unsetenv("NO_PROXY");
        } else {
            std::fprintf(stderr, "kestrelctl-demo: settings server not started: %s\n", error.c_str());
        }
    }

    const std::vector<std::string> arguments(argv + 1, argv + argc);
    CurlTransport http;
    cli::CliContext context{std::cout, std::cerr, http};
    const int status = cli::runKestrelctl(arguments, context);
    std::cout.flush();

    if (wheelFile != nullptr) {
        std::string error;
        if (!writeImageFile(wheelFile, wheel.memory(), error)) {
            std::fprintf(stderr, "kestrelctl-demo: %s\n", error.c_str());
            return 1;
        }
    }
    return status;
}
