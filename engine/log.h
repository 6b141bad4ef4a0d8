#pragma once
// The program-wide log: one text file, named once and truncated, then one printf-formatted
// line per call, each appended with its own open and close so lines survive a crash.
// Every subsystem writes through a borrowed Log&, so tests hand in a RecordingLog instead.
#include <cstdarg>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

class Log {
public:
    virtual ~Log() = default;

    // Formats one line as printf does (%ls takes wchar_t strings, encoded as UTF-8) and
    // writes it followed by "\n". A format ending in "\n" leaves an empty line after it.
    void write(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void writeV(const char* format, va_list arguments);

protected:
    virtual void writeLine(std::string_view line) = 0;
};

// printf-style formatting into a std::string, with UTF-8 output for %ls whatever the locale.
std::string formatText(const char* format, va_list arguments);

class FileLog final : public Log {
public:
    // Names the file and truncates it. Returns false (and logs nothing afterwards) when the
    // file cannot be created; an empty path means no log.
    bool setFile(const std::filesystem::path& path);
    const std::filesystem::path& file() const { return path_; }

protected:
    void writeLine(std::string_view line) override;

private:
    std::filesystem::path path_;
};

// Keeps every line in memory; what tests assert on.
class RecordingLog final : public Log {
public:
    const std::vector<std::string>& lines() const { return lines_; }
    void clear() { lines_.clear(); }
    bool contains(std::string_view line) const;

protected:
    void writeLine(std::string_view line) override { lines_.emplace_back(line); }

private:
    std::vector<std::string> lines_;
};

}  // namespace kestrel
