#pragma once
// Saves what the X server shows of a screen rectangle as a PNG. Reading the screen rather than
// the renderer works whichever renderer SDL chose and after the frame was presented.
#include <string>

namespace kestrel::demo {

// False, with the reason in `error`, when there is no X display or the file cannot be written.
bool saveScreenRectangle(int left, int top, int width, int height, const std::string& path, std::string& error);

}  // namespace kestrel::demo
