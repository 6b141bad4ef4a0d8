// The customiser: the entry point. Everything it does is in runProgram (app/program.h).
#include <cstdlib>

#include "app/program.h"

int main() {
    // The desktop entry's StartupWMClass: set before SDL starts, so the window is matched to it.
    setenv("SDL_VIDEO_X11_WMCLASS", "org.kestrel.Customiser", 1);
    setenv("SDL_VIDEO_WAYLAND_WMCLASS", "org.kestrel.Customiser", 1);
    kestrel::ProgramEnvironment environment;
    return kestrel::runProgram(environment);
}
