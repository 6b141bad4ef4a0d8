#include "engine/log.h"

#include <clocale>
#include <cstdio>
#include <locale.h>

namespace kestrel {

namespace {

// hidapi hands back wchar_t strings; vsnprintf converts %ls through the thread's locale, and in
// the default "C" locale anything beyond ASCII would make the whole line fail. A UTF-8 locale
// just for the formatting keeps the program's global locale untouched.
class Utf8FormattingLocale {
public:
    Utf8FormattingLocale() {
        utf8_ = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
        if (utf8_ != static_cast<locale_t>(0)) previous_ = uselocale(utf8_);
    }
    ~Utf8FormattingLocale() {
        if (utf8_ == static_cast<locale_t>(0)) return;
        uselocale(previous_);
        freelocale(utf8_);
    }
    Utf8FormattingLocale(const Utf8FormattingLocale&) = delete;
    Utf8FormattingLocale& operator=(const Utf8FormattingLocale&) = delete;

private:
    locale_t utf8_ = static_cast<locale_t>(0);
    locale_t previous_ = static_cast<locale_t>(0);
};

}  // namespace

std::string formatText(const char* format, va_list arguments) {
    Utf8FormattingLocale utf8;
    char small[512];
    va_list copy;
    va_copy(copy, arguments);
    const int needed = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (needed < 0) return std::string("(unformattable log line) ") + format;
    if (static_cast<size_t>(needed) < sizeof small) return std::string(small, static_cast<size_t>(needed));
    std::string text(static_cast<size_t>(needed) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, arguments);
    text.resize(static_cast<size_t>(needed));
    return text;
}

void Log::write(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    writeV(format, arguments);
    va_end(arguments);
}

void Log::writeV(const char* format, va_list arguments) {
    writeLine(formatText(format, arguments));
}

bool FileLog::setFile(const std::filesystem::path& path) {
    path_.clear();
    if (path.empty()) return false;
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) return false;
    std::fclose(file);
    path_ = path;
    return true;
}

void FileLog::writeLine(std::string_view line) {
    if (path_.empty()) return;
    std::FILE* file = std::fopen(path_.c_str(), "a");
    if (file == nullptr) return;
    std::fwrite(line.data(), 1, line.size(), file);
    std::fputc('\n', file);
    std::fclose(file);
}

bool RecordingLog::contains(std::string_view line) const {
    for (const std::string& recorded : lines_) {
        if (recorded == line) return true;
    }
    return false;
}

}  // namespace kestrel
