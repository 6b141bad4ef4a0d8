#pragma once
// Configuration images on disk: exactly 1024 raw bytes, the layout of the wheel's memory.
// Backups, profiles and the files a user restores or applies all go through here.
//
//   readImageFile(path)                  the image, or why the file is not one
//   writeImageFile(path, image, error)   whole or not at all: a temporary file renamed into place
#include <filesystem>
#include <string>

#include "config/nvm_image.h"

namespace kestrel {

struct ImageFileResult {
    bool ok = false;
    NvmImage image{};
    // What is wrong, naming the file: "cannot read x.bin: No such file or directory",
    // "x.bin is 1000 bytes; a wheel image is exactly 1024 bytes".
    std::string error;
};

ImageFileResult readImageFile(const std::filesystem::path& path);

// The folder must exist. On failure `error` names the file and the reason, and whatever stood
// under `path` before is still there unchanged.
bool writeImageFile(const std::filesystem::path& path, const NvmImage& image, std::string& error);

}  // namespace kestrel
