#include "config/backup_store.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <system_error>

#include "config/image_file.h"

namespace kestrel {

namespace {

// "YYYYMMDDTHHMMSS.mmmZ.bin"
constexpr std::size_t kBackupNameLength = 24;

bool isSafeCharacter(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'.' ||
           c == L'-' || c == L'_';
}

std::vector<std::string> backupNamesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (isBackupFileName(name) && entry.is_regular_file(error)) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

std::filesystem::path defaultBackupRoot(const EnvironmentLookup& lookup) {
    const std::filesystem::path state = userStateFolder(lookup);
    return state.empty() ? state : state / "kestrel" / "backups";
}

std::string backupFolderName(std::wstring_view serial) {
    std::string name;
    for (const wchar_t c : serial) name.push_back(isSafeCharacter(c) ? static_cast<char>(c) : '_');
    if (name.empty() || name == "." || name == "..") return kUnknownSerialFolder;
    return name;
}

std::string backupFileName(std::chrono::system_clock::time_point time) {
    using namespace std::chrono;
    const auto sinceEpoch = time.time_since_epoch();
    const auto wholeSeconds = floor<seconds>(sinceEpoch);
    const auto milliseconds = duration_cast<std::chrono::milliseconds>(sinceEpoch - wholeSeconds).count();
    const std::time_t seconds = static_cast<std::time_t>(wholeSeconds.count());
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char name[64];
    std::snprintf(name, sizeof name, "%04d%02d%02dT%02d%02d%02d.%03dZ.bin", utc.tm_year + 1900, utc.tm_mon + 1,
                  utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, static_cast<int>(milliseconds));
    return name;
}

bool isBackupFileName(std::string_view name) {
    if (name.size() != kBackupNameLength || name.substr(20) != ".bin") return false;
    if (name[8] != 'T' || name[15] != '.' || name[19] != 'Z') return false;
    for (const std::size_t i : {0, 1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 13, 14, 16, 17, 18}) {
        if (name[i] < '0' || name[i] > '9') return false;
    }
    return true;
}

BackupOutcome storeBackup(const std::filesystem::path& root, std::wstring_view serial, const NvmImage& image,
                          std::chrono::system_clock::time_point now) {
    BackupOutcome outcome;
    if (root.empty()) {
        outcome.error = "no folder for backups (neither XDG_STATE_HOME nor a home folder is known)";
        return outcome;
    }
    const std::filesystem::path folder = root / backupFolderName(serial);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        outcome.error = "cannot create " + folder.string() + ": " + error.message();
        return outcome;
    }
    std::filesystem::path path = folder / backupFileName(now);
    while (std::filesystem::exists(path, error)) {
        now += std::chrono::milliseconds(1);
        path = folder / backupFileName(now);
    }
    if (!writeImageFile(path, image, outcome.error)) return outcome;
    outcome.stored = true;
    outcome.path = path;

    const std::vector<std::string> names = backupNamesIn(folder);
    if (names.size() > kBackupsKeptPerWheel) {
        for (std::size_t i = 0; i < names.size() - kBackupsKeptPerWheel; ++i) {
            if (!std::filesystem::remove(folder / names[i], error) && error) {
                outcome.error = "cannot remove the old backup " + (folder / names[i]).string() + ": " + error.message();
            }
        }
    }
    return outcome;
}

std::vector<BackupEntry> listBackups(const std::filesystem::path& root) {
    std::vector<std::string> wheels;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(root, error)) {
        if (entry.is_directory(error)) wheels.push_back(entry.path().filename().string());
    }
    std::sort(wheels.begin(), wheels.end());
    std::vector<BackupEntry> entries;
    for (const std::string& wheel : wheels) {
        std::vector<std::string> names = backupNamesIn(root / wheel);
        std::reverse(names.begin(), names.end());
        for (const std::string& name : names) entries.push_back({wheel, name, root / wheel / name});
    }
    return entries;
}

WheelBackups::WheelBackups(Log& log, std::filesystem::path root, Clock clock)
    : log_(log), root_(std::move(root)), clock_(std::move(clock)) {}

void WheelBackups::wheelRead(std::wstring serial, const NvmImage& image) {
    serial_ = std::move(serial);
    held_ = image;
    holdsImage_ = true;
}

BackupOutcome WheelBackups::beforeWrite() {
    BackupOutcome outcome;
    if (!holdsImage_) {
        outcome.error = "nothing has been read from the wheel yet";
    } else {
        outcome = storeBackup(root_, serial_, held_, clock_());
    }
    if (outcome.stored) {
        log_.write("Backup : stored %s", outcome.path.c_str());
        if (!outcome.error.empty()) log_.write("Backup : %s", outcome.error.c_str());
    } else {
        log_.write("Backup : unable to store the image before the write: %s", outcome.error.c_str());
    }
    return outcome;
}

}  // namespace kestrel
