#pragma once
#include "base/ovResult.h"

#include <cstdint>
#include <string>
#include <vector>

// Writes mono 16-bit PCM samples as a WAV file; a failure names the file.
ovResult<> ovWriteWav(const std::string& path, const std::vector<int16_t>& samples, int sampleRate);
// The button click: a short, soft, decaying tick.
std::vector<int16_t> ovMakeClick(int sampleRate);
