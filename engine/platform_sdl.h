#pragma once
// The parts of the SDL platform that need no display, open to tests: which video drivers the
// user named, and the hit test that lets the desktop move the window by its drag area.
#include <SDL.h>

#include "engine/hge.h"

namespace kestrel {

// Whether a SDL_VIDEODRIVER setting (one name or a comma-separated list, any case) names the
// driver. A null setting names none.
bool videoDriverNamed(const char* driver, const char* setting);

// SDL's hit-test callback over a DragAreaTest passed as data: draggable where the test says
// so, normal everywhere else (and when there is no test).
SDL_HitTestResult dragAreaHitTest(SDL_Window* window, const SDL_Point* point, void* data);

}  // namespace kestrel
