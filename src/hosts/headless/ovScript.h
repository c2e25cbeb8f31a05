#pragma once
// The lines of a touch script for the headless host.
#include "base/ovResult.h"

#include <string>

struct ovScriptCommand {
    enum Kind { Blank, Down, Move, Up, Wait, Tap, Hold, Key, Command, Shot, WinShot, State };
    Kind kind = Blank;
    int x = 0;
    int y = 0;
    int ms = 0;
    int command = 0; // for Key: the command the accelerator gives
    std::string file;
};

// Parses one line. Blank lines and # comments give Blank. An unknown or malformed line
// is refused with the reason.
ovResult<ovScriptCommand> ovParseScriptLine(const std::string& line);
