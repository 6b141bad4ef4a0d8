// Preloaded into the demo by the end-to-end tests. An X11 message box draws its text itself, so
// nothing outside the process can read what it said; this records every box the program shows
// (title, text, buttons, the answer) as one JSON line in $KESTREL_E2E_PROMPTS, then lets SDL
// show it exactly as it would have.
#include <SDL2/SDL.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using ShowMessageBox = int (*)(const SDL_MessageBoxData*, int*);

std::string jsonString(const char* text) {
    std::string out = "\"";
    for (const char* c = text != nullptr ? text : ""; *c != '\0'; ++c) {
        const auto byte = static_cast<unsigned char>(*c);
        if (byte == '"' || byte == '\\') {
            out += '\\';
            out += *c;
        } else if (byte == '\n') {
            out += "\\n";
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += *c;
        }
    }
    return out + "\"";
}

const char* answerText(const SDL_MessageBoxData* data, int buttonId) {
    for (int i = 0; i < data->numbuttons; ++i) {
        if (data->buttons[i].buttonid == buttonId) return data->buttons[i].text;
    }
    return "";
}

}  // namespace

extern "C" int SDL_ShowMessageBox(const SDL_MessageBoxData* data, int* buttonId) {
    static const auto real = reinterpret_cast<ShowMessageBox>(dlsym(RTLD_NEXT, "SDL_ShowMessageBox"));
    if (real == nullptr) return -1;
    int pressed = -1;
    const int result = real(data, &pressed);
    if (buttonId != nullptr) *buttonId = pressed;

    const char* path = std::getenv("KESTREL_E2E_PROMPTS");
    if (path != nullptr && data != nullptr) {
        std::string buttons = "[";
        for (int i = 0; i < data->numbuttons; ++i) {
            if (i > 0) buttons += ",";
            buttons += jsonString(data->buttons[i].text);
        }
        buttons += "]";
        const std::string line = "{\"title\":" + jsonString(data->title) + ",\"text\":" +
                                 jsonString(data->message) + ",\"buttons\":" + buttons +
                                 ",\"flags\":" + std::to_string(data->flags) +
                                 ",\"result\":" + std::to_string(result) +
                                 ",\"answer\":" + jsonString(answerText(data, pressed)) + "}\n";
        // Appended and closed at once, so a program that ends right after the box loses nothing.
        if (std::FILE* file = std::fopen(path, "a")) {
            std::fputs(line.c_str(), file);
            std::fclose(file);
        }
    }
    return result;
}
