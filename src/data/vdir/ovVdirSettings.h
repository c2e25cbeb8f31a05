#pragma once
// Where the user's calendar and contacts live as one file per item, from the [vdir]
// section of orvida.conf:
//
//   [vdir]
//   path = ~/.local/share/orvida/vdir   # the folder holding the collections
//   calendar = calendar                 # appointments, one .ics each
//   tasks = tasks                       # to-dos, one .ics each (may name the calendar's folder)
//   contacts = contacts                 # one .vcf each
//
// Without a [vdir] section (or without its path) Orvida keeps everything in its own store
// alone. The collections are folders inside the path, named by one plain folder name
// each, so that an index entry never points outside the vdir.
#include <string>
#include <string_view>
#include <vector>

struct ovVdirSettings {
    bool enabled = false;
    std::string root; // the path, "~" expanded
    std::string calendar = "calendar";
    std::string tasks = "tasks";
    std::string contacts = "contacts";
    std::string file; // where they were read from; empty without a file
    // "FILE:LINE: problem"; the settings hold what the good lines said.
    std::vector<std::string> problems;
};

ovVdirSettings ovParseVdirSettings(std::string_view text, const std::string& fileName);
// A missing file gives no vdir.
ovVdirSettings ovReadVdirSettings(const std::string& file);
