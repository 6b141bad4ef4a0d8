#include "config/image_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kestrel {

namespace {

// Closes on every path out of the readers and writers below.
class FileDescriptor {
public:
    explicit FileDescriptor(int descriptor) : descriptor_(descriptor) {}
    ~FileDescriptor() {
        if (descriptor_ >= 0) ::close(descriptor_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return descriptor_; }
    // Closes now and reports whether the last buffered data made it.
    bool close() {
        const int result = ::close(descriptor_);
        descriptor_ = -1;
        return result == 0;
    }

private:
    int descriptor_;
};

std::string cannot(const char* verb, const std::filesystem::path& path, int errorNumber) {
    return std::string("cannot ") + verb + " " + path.string() + ": " + std::strerror(errorNumber);
}

}  // namespace

ImageFileResult readImageFile(const std::filesystem::path& path) {
    ImageFileResult result;
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) {
        result.error = cannot("read", path, errno);
        return result;
    }
    struct stat status {};
    if (::fstat(file.get(), &status) != 0) {
        result.error = cannot("read", path, errno);
        return result;
    }
    if (!S_ISREG(status.st_mode)) {
        result.error = path.string() + " is not a regular file";
        return result;
    }
    if (status.st_size != static_cast<off_t>(kNvmSize)) {
        result.error = path.string() + " is " + std::to_string(status.st_size) + " bytes; a wheel image is exactly " +
                       std::to_string(kNvmSize) + " bytes";
        return result;
    }
    std::size_t done = 0;
    while (done < kNvmSize) {
        const ssize_t count = ::read(file.get(), result.image.bytes.data() + done, kNvmSize - done);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) {
            result.error = cannot("read", path, errno);
            return result;
        }
        if (count == 0) {
            result.error = path.string() + " became shorter while it was read";
            return result;
        }
        done += static_cast<std::size_t>(count);
    }
    result.ok = true;
    return result;
}

bool writeImageFile(const std::filesystem::path& path, const NvmImage& image, std::string& error) {
    std::string temporary = path.string() + ".XXXXXX";
    FileDescriptor file(::mkostemp(temporary.data(), O_CLOEXEC));
    if (file.get() < 0) {
        error = cannot("write", path, errno);
        return false;
    }
    auto fail = [&](int errorNumber) {
        ::unlink(temporary.c_str());
        error = cannot("write", path, errorNumber);
        return false;
    };
    // mkostemp makes the file private; give it the mode any other new file of the user gets.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(file.get(), 0666 & ~mask) != 0) return fail(errno);
    std::size_t done = 0;
    while (done < kNvmSize) {
        const ssize_t count = ::write(file.get(), image.bytes.data() + done, kNvmSize - done);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return fail(count < 0 ? errno : EIO);
        done += static_cast<std::size_t>(count);
    }
    if (::fsync(file.get()) != 0) return fail(errno);
    if (!file.close()) return fail(errno);
    if (::rename(temporary.c_str(), path.c_str()) != 0) return fail(errno);
    return true;
}

}  // namespace kestrel
