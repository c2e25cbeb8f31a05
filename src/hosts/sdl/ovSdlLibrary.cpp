#include "hosts/sdl/ovSdlLibrary.h"

#include <cstdlib>

ovResult<std::unique_ptr<ovSdlLibrary>> ovSdlLibrary::open(Uint32 subsystems) {
    if (SDL_Init(subsystems) != 0) {
        std::string error = SDL_GetError();
        if (error.empty())
            error = "SDL could not start";
        SDL_Quit();
        return ovFail(std::move(error));
    }
    return std::unique_ptr<ovSdlLibrary>(new ovSdlLibrary());
}

ovSdlLibrary::~ovSdlLibrary() {
    SDL_Quit();
}

std::string ovSdlLibrary::videoDriver() const {
    const char* name = SDL_GetCurrentVideoDriver();
    return name != nullptr ? name : "";
}

bool ovSdlLibrary::fellBackToNoDisplay() const {
    const std::string driver = videoDriver();
    if (driver != "offscreen" && driver != "dummy")
        return false;
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    return asked == nullptr || driver != asked;
}
