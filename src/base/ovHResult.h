#pragma once
// Result codes of the container operations: 0 for success, otherwise the
// platform's codes for a bad argument and for running out of memory.
#include <cstdint>

using ovHResult = int32_t;
constexpr ovHResult ovS_OK = 0;
constexpr ovHResult ovE_INVALIDARG = static_cast<ovHResult>(0x80070057u);
constexpr ovHResult ovE_OUTOFMEMORY = static_cast<ovHResult>(0x8007000Eu);
