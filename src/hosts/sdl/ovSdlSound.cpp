#include "hosts/sdl/ovSdlSound.h"

#include <cstring>
#include <memory>

namespace {
// Small enough that a click starts within a few milliseconds.
constexpr Uint16 kDeviceSamples = 512;

struct WavDeleter {
    void operator()(Uint8* buffer) const { SDL_FreeWAV(buffer); }
};
} // namespace

ovSdlSound::~ovSdlSound() {
    if (device_ != 0)
        SDL_CloseAudioDevice(device_);
    if (subsystem_)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

ovResult<> ovSdlSound::openDevice(const SDL_AudioSpec& wanted) {
    if (device_ != 0)
        return {};
    if (deviceFailed_)
        return ovFail(deviceError_);
    if (!subsystem_) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            deviceFailed_ = true;
            deviceError_ = std::string("no audio: ") + SDL_GetError();
            return ovFail(deviceError_);
        }
        subsystem_ = true;
    }
    SDL_AudioSpec want = wanted;
    want.samples = kDeviceSamples;
    want.callback = nullptr;
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &deviceFormat_, SDL_AUDIO_ALLOW_ANY_CHANGE);
    if (device_ == 0) {
        deviceFailed_ = true;
        deviceError_ = std::string("cannot open the audio device: ") + SDL_GetError();
        return ovFail(deviceError_);
    }
    SDL_PauseAudioDevice(device_, 0);
    return {};
}

const ovSdlSound::Clip& ovSdlSound::clip(const std::string& path) {
    auto found = clips_.find(path);
    if (found != clips_.end())
        return found->second;
    Clip& c = clips_[path];
    SDL_AudioSpec wavFormat{};
    Uint8* raw = nullptr;
    Uint32 length = 0;
    if (SDL_LoadWAV(path.c_str(), &wavFormat, &raw, &length) == nullptr) {
        c.loaded = ovFail("cannot read the sound " + path + ": " + SDL_GetError());
        return c;
    }
    std::unique_ptr<Uint8, WavDeleter> wav(raw);
    // A device that failed once is not tried again on every click.
    c.loaded = openDevice(wavFormat);
    if (!c.loaded)
        return c;
    SDL_AudioCVT cvt;
    const int needed = SDL_BuildAudioCVT(&cvt, wavFormat.format, wavFormat.channels, wavFormat.freq,
                                         deviceFormat_.format, deviceFormat_.channels, deviceFormat_.freq);
    if (needed < 0) {
        c.loaded = ovFail("cannot convert the sound " + path + ": " + SDL_GetError());
        return c;
    }
    std::vector<uint8_t> buffer(static_cast<size_t>(length) * static_cast<size_t>(cvt.len_mult));
    std::memcpy(buffer.data(), wav.get(), length);
    if (needed > 0) {
        cvt.buf = buffer.data();
        cvt.len = static_cast<int>(length);
        if (SDL_ConvertAudio(&cvt) != 0) {
            c.loaded = ovFail("cannot convert the sound " + path + ": " + SDL_GetError());
            return c;
        }
        buffer.resize(static_cast<size_t>(cvt.len_cvt));
    } else {
        buffer.resize(length);
    }
    c.samples = std::move(buffer);
    return c;
}

ovResult<> ovSdlSound::load(const std::string& path) {
    return clip(path).loaded;
}

ovResult<> ovSdlSound::play(const std::string& path) {
    const Clip& c = clip(path);
    if (!c.loaded)
        return c.loaded;
    SDL_ClearQueuedAudio(device_);
    if (SDL_QueueAudio(device_, c.samples.data(), static_cast<Uint32>(c.samples.size())) != 0)
        return ovFail(std::string("cannot play ") + path + ": " + SDL_GetError());
    return {};
}
