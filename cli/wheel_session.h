#pragma once
// One conversation with the wheel for one command: open it, say who it is, read the whole
// configuration, and later write a finished image whole, after backing up what it replaces.
// Failures come back as a status the exit code is made from and one line saying why, with the
// wheel link's own log lines in it.
//
//   WheelSession wheel(log, backups);
//   WheelOutcome read = wheel.read();          // identity() and image() once it is Ok
//   WheelOutcome done = wheel.write(image);    // backup first, never blocked by it
#include <string>

#include "config/backup_store.h"
#include "config/nvm_image.h"
#include "engine/log.h"

namespace kestrel::cli {

struct WheelIdentity {
    std::wstring manufacturer;
    std::wstring product;
    std::wstring serial;
    int release = -1;  // -1 when the wheel cannot say
};

enum class WheelStatus {
    Ok,
    NoWheel,       // none connected, or it went away during the exchange
    AccessDenied,  // present, but its device node is not ours
    Failed,        // present and answering, but the exchange failed
};

struct WheelOutcome {
    WheelStatus status = WheelStatus::Ok;
    std::string message;  // for the "kestrelctl:" line; empty when Ok
    BackupOutcome backup;  // of a write
};

// Records every log line of the wheel link so a failure can quote them; with an echo stream
// (--verbose) each line is shown as it is written.
class CommandLog final : public Log {
public:
    explicit CommandLog(std::ostream* echo = nullptr) : echo_(echo) {}
    std::size_t lineCount() const { return lines_.size(); }
    // The lines written since `first`, joined with "; ".
    std::string linesSince(std::size_t first) const;

protected:
    void writeLine(std::string_view line) override;

private:
    std::ostream* echo_;
    std::vector<std::string> lines_;
};

class WheelSession {
public:
    WheelSession(CommandLog& log, WheelBackups& backups) : log_(log), backups_(backups) {}

    WheelOutcome read();
    const WheelIdentity& identity() const { return identity_; }
    const NvmImage& image() const { return image_; }

    // Backs up the image read, then sends `image` whole through the same write as the window's
    // save (the update-pending mark cleared). Needs a successful read() first.
    WheelOutcome write(const NvmImage& image);

private:
    WheelOutcome failure(std::size_t firstLine, const char* during);

    CommandLog& log_;
    WheelBackups& backups_;
    WheelIdentity identity_;
    NvmImage image_{};
};

// The one-line advice for a wheel that is present but not ours to open.
std::string accessDeniedAdvice();

}  // namespace kestrel::cli
