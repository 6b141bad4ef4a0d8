// The demo: the customiser with the simulated wheel and a settings server inside the process.
// Its environment variables, signals and outputs are listed in app/demo/README.md.
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "app/demo/demo_content.h"
#include "app/demo/demo_screenshot.h"
#include "app/demo/demo_server.h"
#include "app/program.h"
#include "online/http_fetch.h"
#include "wheel/hotplug.h"
#include "wheel/sim/sim_wheel.h"

namespace {

volatile std::sig_atomic_t gUnplugSignals = 0;
volatile std::sig_atomic_t gPlugSignals = 0;

void onSignal(int number) {
    if (number == SIGUSR1) gUnplugSignals = gUnplugSignals + 1;
    if (number == SIGUSR2) gPlugSignals = gPlugSignals + 1;
}

const char* environmentText(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : nullptr;
}

bool environmentFlag(const char* name) {
    const char* value = environmentText(name);
    return value != nullptr && std::string(value) != "0";
}

// Signals only set counters; the wheel is unplugged or plugged back on the loop thread, from
// inside the engine's message pump, as a real cable would be noticed.
class SignalledNotices final : public kestrel::DeviceNoticeSource {
public:
    SignalledNotices(kestrel::sim::SimWheel& wheel, std::unique_ptr<kestrel::DeviceNoticeSource> inner)
        : wheel_(wheel), inner_(std::move(inner)) {}
    std::optional<kestrel::DeviceNotice> poll() override {
        if (gUnplugSignals != unplugsSeen_) {
            unplugsSeen_ = gUnplugSignals;
            if (wheel_.present()) wheel_.unplug();
        }
        if (gPlugSignals != plugsSeen_) {
            plugsSeen_ = gPlugSignals;
            if (!wheel_.present()) wheel_.plug();
        }
        return inner_->poll();
    }

private:
    kestrel::sim::SimWheel& wheel_;
    std::unique_ptr<kestrel::DeviceNoticeSource> inner_;
    std::sig_atomic_t unplugsSeen_ = 0;
    std::sig_atomic_t plugsSeen_ = 0;
};

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

const char* answerName(kestrel::MessageBoxResult answer) {
    switch (answer) {
    case kestrel::MessageBoxResult::kYes: return "Yes";
    case kestrel::MessageBoxResult::kNo: return "No";
    case kestrel::MessageBoxResult::kOk: return "OK";
    }
    return "";
}

// One JSON line per in-window prompt when it shows (with where its buttons are, so a test can
// click them) and one when it ends (with the answer), beside the system boxes' lines.
void recordWindowPrompt(const char* path, const kestrel::WindowPrompt& prompt,
                        std::optional<kestrel::MessageBoxResult> answer) {
    std::string buttons = "[";
    std::string boxes = "[";
    for (const kestrel::PromptButton& button : prompt.buttons()) {
        if (buttons.size() > 1) buttons += ",", boxes += ",";
        boxes += '[';
        buttons += jsonString(button.label);
        // Appended piece by piece: GCC 12 warns (wrongly) about "[" + std::to_string(...).
        for (const int value : {button.box.x, button.box.y, button.box.width, button.box.height}) {
            boxes += boxes.back() == '[' ? "" : ",";
            boxes += std::to_string(value);
        }
        boxes += ']';
    }
    std::string line = "{\"title\":" + jsonString(kestrel::kMessageBoxTitle) + ",\"text\":" + jsonString(prompt.text()) +
                       ",\"buttons\":" + buttons + "],\"boxes\":" + boxes + "],\"in_window\":true";
    line += answer ? ",\"answer\":" + jsonString(answerName(*answer)) : std::string(",\"shown\":true");
    line += "}\n";
    if (std::FILE* file = std::fopen(path, "a")) {
        std::fputs(line.c_str(), file);
        std::fclose(file);
    }
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long peakResidentKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

}  // namespace

int main() {
    using namespace kestrel;
    const auto started = std::chrono::steady_clock::now();
    setenv("SDL_VIDEO_X11_WMCLASS", "org.kestrel.Customiser", 1);
    setenv("SDL_VIDEO_WAYLAND_WMCLASS", "org.kestrel.Customiser", 1);
    // The demo mostly runs where the only GL is a software one (Xvfb, virtual machines), which
    // maps some 60 MB of compiler for an 800x600 2D screen. SDL's own software renderer draws
    // the same pixels without it. Naming a driver turns batching off in SDL2 unless asked for.
    // Anyone who sets a driver keeps it.
    setenv("SDL_RENDER_DRIVER", "software", 0);
    setenv("SDL_FRAMEBUFFER_ACCELERATION", "0", 0);
    setenv("SDL_RENDER_BATCHING", "1", 0);

    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGUSR1, &action, nullptr);
    sigaction(SIGUSR2, &action, nullptr);

    sim::SimWheel wheel;
    wheel.setMemory(demo::sampleWheelMemory());
    wheel.setStrings(L"Kestrel", L"Kestrel Racing Wheel", L"KD-0001");
    if (const char* release = environmentText("KESTREL_DEMO_RELEASE")) {
        wheel.setReleaseNumber(static_cast<int>(std::strtol(release, nullptr, 0)));
        wheel.setReleaseAfterFlash(kCurrentFirmwareRelease);
    }
    if (environmentFlag("KESTREL_DEMO_NO_WHEEL")) wheel.unplug();

    // The program's own settings URL is kept; the proxy setting brings it to our server.
    demo::DemoServer server;
    if (environmentFlag("KESTREL_DEMO_OFFLINE")) {
        std::fprintf(stderr, "kestrel-demo: offline\n");
    } else {
        std::string base = settingsDocumentUrl();
        base.resize(base.size() - std::string("/kestrel/settings.xml").size());
        const demo::SampleSite site = demo::sampleSite(base, environmentFlag("KESTREL_DEMO_NEWER_VERSION"));
        server.route(site.settingsPath, site.settingsDocument, "application/xml");
        if (const char* delay = environmentText("KESTREL_DEMO_SETTINGS_DELAY"))
            server.delayRoute(site.settingsPath, std::string(delay) == "never"
                                                     ? -1
                                                     : static_cast<int>(std::atof(delay) * 1000.0));
        for (const demo::SamplePresetFile& preset : site.presets)
            server.route(preset.path, std::string(preset.bytes.begin(), preset.bytes.end()), "application/octet-stream");
        const char* port = environmentText("KESTREL_DEMO_PORT");
        std::string error;
        if (server.start(port ? std::atoi(port) : 0, error)) {
            const std::string proxy = "http://127.0.0.1:" + std::to_string(server.port());
            setenv("http_proxy", proxy.c_str(), 1);
            setenv("HTTP_PROXY", proxy.c_str(), 1);
            unsetenv("no_proxy");
            unsetenv("NO_PROXY");
            std::fprintf(stderr, "kestrel-demo: settings server %s\n", proxy.c_str());
        } else {
            std::fprintf(stderr, "kestrel-demo: settings server not started: %s\n", error.c_str());
        }
    }

    ProgramEnvironment environment;
    if (const char* log = environmentText("KESTREL_DEMO_LOG")) environment.logFile = log;
    // The simulated wheel's clock runs with the update's real pauses, so an old node kept after
    // the flash goes in real time; a pause per chunk makes the flash take as long as a real one.
    if (const char* linger = environmentText("KESTREL_DEMO_OLD_NODE_MS"))
        wheel.setOldNodeLingersAfterFlash(std::chrono::milliseconds(std::atoi(linger)));
    environment.firmware.sleep = [&wheel](std::chrono::milliseconds pause) {
        std::this_thread::sleep_for(pause);
        wheel.elapse(pause);
    };
    if (const char* chunk = environmentText("KESTREL_DEMO_CHUNK_MS")) {
        const std::chrono::milliseconds perChunk(std::atoi(chunk));
        environment.firmware.progress = [perChunk](const FirmwareProgress& progress) {
            if (progress.phase == FirmwareProgress::Phase::Flashing) std::this_thread::sleep_for(perChunk);
        };
    }
    environment.noticeSource = std::make_unique<SignalledNotices>(wheel, wheel.noticeSource());

    if (const char* prompts = environmentText("KESTREL_E2E_PROMPTS")) {
        environment.windowPromptObserver = [prompts](const WindowPrompt& prompt, std::optional<MessageBoxResult> answer) {
            recordWindowPrompt(prompts, prompt, answer);
        };
    }
    int closesToRefuse = 0;
    if (const char* refuse = environmentText("KESTREL_DEMO_REFUSE_CLOSE")) {
        closesToRefuse = std::atoi(refuse);
        environment.exitFunction = [&closesToRefuse] {
            if (closesToRefuse <= 0) return true;
            --closesToRefuse;
            std::fprintf(stderr, "kestrel-demo: close refused\n");
            return false;
        };
    }

    const char* secondsText = environmentText("KESTREL_DEMO_SECONDS");
    const double runSeconds = secondsText ? std::atof(secondsText) : 0.0;
    const char* screenshot = environmentText("KESTREL_DEMO_SCREENSHOT");
    const bool stats = environmentFlag("KESTREL_DEMO_STATS");

    long frames = 0;
    double firstMainFrame = -1;
    double steadyStartTime = -1;
    double steadyStartCpu = 0;
    long steadyStartFrames = 0;
    environment.afterScene = [&](ProgramWorld& world, HGE&) {
        if (firstMainFrame < 0 && world.states.ScreenState == kScreenMainPage) firstMainFrame = secondsSince(started);
    };
    environment.beforeFrame = [&](ProgramWorld&, HGE& hge) {
        ++frames;
        if (steadyStartTime < 0 && firstMainFrame >= 0 && secondsSince(started) > firstMainFrame + 1.0) {
            steadyStartTime = secondsSince(started);
            steadyStartCpu = cpuSeconds();
            steadyStartFrames = frames;
        }
        if (runSeconds <= 0 || secondsSince(started) < runSeconds) return false;
        if (screenshot) {
            int left = 0, top = 0, width = 0, height = 0;
            std::string error;
            if (!hge.System_GetWindowRect(&left, &top, &width, &height) ||
                !demo::saveScreenRectangle(left, top, width, height, screenshot, error))
                std::fprintf(stderr, "kestrel-demo: no screenshot: %s\n", error.c_str());
        }
        return true;
    };
    environment.afterLoop = [&](ProgramWorld&, HGE&) {
        if (!stats) return;
        const double now = secondsSince(started);
        const double span = steadyStartTime >= 0 ? now - steadyStartTime : 0;
        std::fprintf(stderr,
                     "kestrel-demo: first main-screen frame %.3f s after start; steady %.2f s: %.2f fps, "
                     "cpu %.2f %% of one core; resident %ld KiB (peak %ld KiB)\n",
                     firstMainFrame, span, span > 0 ? (frames - steadyStartFrames) / span : 0.0,
                     span > 0 ? 100.0 * (cpuSeconds() - steadyStartCpu) / span : 0.0, residentKiB(),
                     peakResidentKiB());
    };

    const int code = runProgram(environment);

    if (const char* memoryOut = environmentText("KESTREL_DEMO_MEMORY_OUT")) {
        std::ofstream out(memoryOut, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(wheel.memory().bytes.data()),
                  static_cast<std::streamsize>(wheel.memory().bytes.size()));
        if (!out) std::fprintf(stderr, "kestrel-demo: could not write %s\n", memoryOut);
    }
    return code;
}
