// The floor under the program's idle cost: a bare SDL window of the program's size that pumps
// its events and sleeps to the same 16 ms grid, drawing nothing. What the program spends on a
// static screen above this is its own. scripts/measure-performance runs both side by side.
//   kestrel-idle-floor <seconds> <warm-up seconds>
// prints "kestrel-floor: steady <s> s: <fps> fps, cpu <share> % of one core" for the time after
// the warm-up, measured as the demo measures itself.
#include <SDL.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr Uint32 kFramePeriodMs = 16;

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    const double runSeconds = argc > 1 ? std::atof(argv[1]) : 12.5;
    const double warmUpSeconds = argc > 2 ? std::atof(argv[2]) : 2.5;
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        std::fprintf(stderr, "kestrel-floor: %s\n", SDL_GetError());
        return 1;
    }
    SDL_Window* window = SDL_CreateWindow("Kestrel idle floor", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 800,
                                          600, SDL_WINDOW_SHOWN | SDL_WINDOW_BORDERLESS);
    if (window == nullptr) {
        std::fprintf(stderr, "kestrel-floor: %s\n", SDL_GetError());
        SDL_Quit();
        return 1;
    }

    using Clock = std::chrono::steady_clock;
    const auto started = Clock::now();
    const auto seconds = [&] { return std::chrono::duration<double>(Clock::now() - started).count(); };
    long frames = 0;
    long steadyFrames = 0;
    double steadyStart = -1;
    double steadyCpu = 0;
    Uint32 due = SDL_GetTicks() + kFramePeriodMs;
    bool quit = false;
    while (!quit && seconds() < runSeconds) {
        SDL_Event event;
        while (SDL_PollEvent(&event) != 0)
            if (event.type == SDL_QUIT) quit = true;
        const Uint32 now = SDL_GetTicks();
        if (static_cast<Sint32>(due - now) > 0) SDL_Delay(due - now);
        // Late by more than a frame: the grid starts again, as the engine's does.
        due = static_cast<Sint32>(SDL_GetTicks() - due) >= static_cast<Sint32>(kFramePeriodMs)
                  ? SDL_GetTicks() + kFramePeriodMs
                  : due + kFramePeriodMs;
        ++frames;
        if (steadyStart < 0 && seconds() >= warmUpSeconds) {
            steadyStart = seconds();
            steadyCpu = cpuSeconds();
            steadyFrames = frames;
        }
    }
    const double span = steadyStart >= 0 ? seconds() - steadyStart : 0;
    std::fprintf(stderr, "kestrel-floor: steady %.2f s: %.2f fps, cpu %.2f %% of one core\n", span,
                 span > 0 ? static_cast<double>(frames - steadyFrames) / span : 0.0,
                 span > 0 ? 100.0 * (cpuSeconds() - steadyCpu) / span : 0.0);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
