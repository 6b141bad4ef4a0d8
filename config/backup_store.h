#pragma once
// Automatic backups of the wheel's configuration: before anything is written to the wheel, the
// image the write replaces is stored as <root>/<serial>/<UTC time>.bin, and only the newest 50
// of each wheel are kept. Both programs use it; a backup that cannot be stored is logged and
// never stops the write.
//
//   defaultBackupRoot()                  $XDG_STATE_HOME/kestrel/backups
//   storeBackup(root, serial, image, t)  one backup, then the rotation
//   listBackups(root)                    every wheel's backups, newest first
//   WheelBackups                         what the wheel holds, and the backup before each write
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "config/nvm_image.h"
#include "config/user_folders.h"
#include "engine/log.h"

namespace kestrel {

constexpr std::size_t kBackupsKeptPerWheel = 50;
// The folder of a wheel that reports no usable serial number.
constexpr const char* kUnknownSerialFolder = "unknown-serial";

using Clock = std::function<std::chrono::system_clock::time_point()>;

std::filesystem::path defaultBackupRoot(const EnvironmentLookup& lookup = systemEnvironment);

// The serial as a single folder name: letters, digits, '.', '-' and '_' kept, anything else
// (a slash above all) made '_'; empty, "." and ".." become kUnknownSerialFolder.
std::string backupFolderName(std::wstring_view serial);

// "20250131T120000.123Z.bin": sorts in time order and needs no quoting in a shell.
std::string backupFileName(std::chrono::system_clock::time_point time);
bool isBackupFileName(std::string_view name);

struct BackupOutcome {
    bool stored = false;
    std::filesystem::path path;  // of the new backup
    std::string error;           // why it was not stored, or what the rotation could not remove
};

// Stores `image` under a name no other backup of the wheel has (a later millisecond when two
// land in the same one), then removes the oldest beyond kBackupsKeptPerWheel. Only files named
// as backups are ever removed.
BackupOutcome storeBackup(const std::filesystem::path& root, std::wstring_view serial, const NvmImage& image,
                          std::chrono::system_clock::time_point now);

struct BackupEntry {
    std::string wheel;  // the serial folder
    std::string name;   // the file name
    std::filesystem::path path;
};

// Grouped by wheel folder in name order, newest backup first within each.
std::vector<BackupEntry> listBackups(const std::filesystem::path& root);

// The image the wheel holds as far as this program last saw it (read from it, or written to
// it since), and the serial it reported. Every write to the wheel is bracketed:
//   backups.beforeWrite();  ...write...;  if (ok) backups.written(image);
class WheelBackups {
public:
    WheelBackups(Log& log, std::filesystem::path root, Clock clock = std::chrono::system_clock::now);

    void wheelRead(std::wstring serial, const NvmImage& image);
    // Stores the held image and logs the outcome: "Backup : stored <path>", or
    // "Backup : unable to store the image before the write: <reason>".
    BackupOutcome beforeWrite();
    void written(const NvmImage& image) { held_ = image; }

    bool holdsImage() const { return holdsImage_; }
    const NvmImage& heldImage() const { return held_; }
    const std::filesystem::path& root() const { return root_; }

private:
    Log& log_;
    std::filesystem::path root_;
    Clock clock_;
    std::wstring serial_;
    NvmImage held_{};
    bool holdsImage_ = false;
};

}  // namespace kestrel
