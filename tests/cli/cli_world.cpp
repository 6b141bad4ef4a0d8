#include "tests/cli/cli_world.h"

#include <unistd.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "cli/image_view.h"
#include "config/backup_store.h"
#include "config/configuration.h"
#include "config/image_file.h"

namespace kestrel::testing {

namespace fs = std::filesystem;

HttpGetResult ScriptedHttp::get(const std::string& url, std::span<std::uint8_t> buffer) {
    HttpGetResult result;
    const auto found = bodies.find(url);
    if (found == bodies.end()) {
        result.message = "Could not resolve host";
        return result;
    }
    if (found->second.size() > buffer.size()) {
        result.outcome = HttpOutcome::BodyTooLong;
        result.message = "body too long";
        return result;
    }
    std::memcpy(buffer.data(), found->second.data(), found->second.size());
    result.outcome = HttpOutcome::Complete;
    result.status = 200;
    result.size = found->second.size();
    return result;
}

NvmImage savedWheelImage() {
    cli::ValueWidgets widgets;
    ConfigurationModel model;
    model.loadDefaultMappings(true, widgets);
    model.rumbleLevel = kRumbleMedium;
    model.pedalPressure = {200, 200};
    NvmImage image{};
    // Bytes only the wheel knows about, so one moved by mistake shows.
    for (std::size_t i = 0; i < kNvmSize; ++i) image.bytes[i] = static_cast<std::uint8_t>(i * 11 + 5);
    image.writeU32(0, kNvmSignature);
    image.writeU32(kNvmStampOffset, 0x5EED0001);
    model.encodeImage(image);
    return image;
}

CliWorld::CliWorld() {
    scratch = fs::path(::testing::TempDir()) /
              ("kestrelctl-" + std::to_string(getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name() + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(scratch);
    fs::create_directories(scratch);
    environment = {{"HOME", (scratch / "home").string()},
                   {"XDG_STATE_HOME", (scratch / "state").string()},
                   {"XDG_CONFIG_HOME", (scratch / "config").string()}};
    now = std::chrono::system_clock::time_point(std::chrono::milliseconds(1738324800250LL));
    wheel.setMemory(savedWheelImage());
    wheel.setStrings(L"Kestrel", L"Kestrel Racing Wheel", L"KD-0001");
}

CliWorld::~CliWorld() { fs::remove_all(scratch); }

RunResult CliWorld::run(std::vector<std::string> arguments) {
    std::ostringstream out;
    std::ostringstream err;
    cli::CliContext context{out, err, http};
    context.environment = [this](const char* name) -> const char* {
        const auto found = environment.find(name);
        return found == environment.end() ? nullptr : found->second.c_str();
    };
    context.clock = [this] { return now; };
    RunResult result;
    result.status = cli::runKestrelctl(arguments, context);
    result.out = out.str();
    result.err = err.str();
    now += std::chrono::seconds(1);
    return result;
}

std::vector<fs::path> CliWorld::backups() const {
    std::vector<fs::path> paths;
    const auto entries = listBackups(scratch / "state" / "kestrel" / "backups");
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) paths.push_back(entry->path);
    return paths;
}

void CliWorld::writeFile(const std::string& name, const NvmImage& image) const {
    std::string error;
    EXPECT_TRUE(writeImageFile(file(name), image, error)) << error;
}

void CliWorld::writeFile(const std::string& name, std::size_t size) const {
    std::ofstream(file(name), std::ios::binary) << std::string(size, '\0');
}

}  // namespace kestrel::testing
