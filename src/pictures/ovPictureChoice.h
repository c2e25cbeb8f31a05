#pragma once
// Which pictures one drawing call makes: every picture of its group (null), or only the
// one named, so that a picture can be drawn when it is first needed.
#include <cstring>

inline bool ovPictureWanted(const char* only, const char* name) {
    return only == nullptr || std::strcmp(only, name) == 0;
}
