#include "ovWavWriter.h"

#include <cmath>
#include <fstream>

namespace {
void put16(std::ofstream& f, uint16_t v) {
    const char b[2] = {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
    f.write(b, 2);
}
void put32(std::ofstream& f, uint32_t v) {
    put16(f, static_cast<uint16_t>(v));
    put16(f, static_cast<uint16_t>(v >> 16));
}
} // namespace

ovResult<> ovWriteWav(const std::string& path, const std::vector<int16_t>& samples, int sampleRate) {
    std::ofstream f(path, std::ios::binary);
    if (!f)
        return ovFail("cannot write " + path);
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    f.write("RIFF", 4);
    put32(f, 36 + dataBytes);
    f.write("WAVEfmt ", 8);
    put32(f, 16);
    put16(f, 1); // PCM
    put16(f, 1); // mono
    put32(f, static_cast<uint32_t>(sampleRate));
    put32(f, static_cast<uint32_t>(sampleRate * 2));
    put16(f, 2);
    put16(f, 16);
    f.write("data", 4);
    put32(f, dataBytes);
    for (int16_t s : samples)
        put16(f, static_cast<uint16_t>(s));
    if (!f)
        return ovFail("cannot write " + path);
    return {};
}

std::vector<int16_t> ovMakeClick(int sampleRate) {
    // 35 ms: a 1.9 kHz tone with a hint of its octave, a 1 ms attack and a fast decay.
    const int count = sampleRate * 35 / 1000;
    std::vector<int16_t> samples(static_cast<size_t>(count));
    const double pi = 3.14159265358979323846;
    for (int i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        const double attack = std::min(1.0, t / 0.001);
        const double envelope = attack * std::exp(-t / 0.006);
        const double wave = std::sin(2 * pi * 1900 * t) + 0.3 * std::sin(2 * pi * 3800 * t);
        samples[static_cast<size_t>(i)] = static_cast<int16_t>(std::lround(9000.0 * envelope * wave));
    }
    return samples;
}
