#include "platform/vdir/ovVdirSettings.h"

#include "platform/system/ovConfigPaths.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>

namespace {
constexpr std::streamoff kMaxFileSize = 1 << 20;

std::string trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r'))
        ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r'))
        --e;
    return std::string(s.substr(b, e - b));
}

// A value may carry a comment after " #", as the example lines do.
std::string withoutComment(const std::string& value) {
    const size_t hash = value.find(" #");
    return hash == std::string::npos ? value : trim(std::string_view(value).substr(0, hash));
}

// One folder name inside the vdir: no separators, no "." or "..", nothing hidden.
bool isPlainFolderName(const std::string& name) {
    return !name.empty() && name.size() <= 255 && name[0] != '.' && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}
} // namespace

ovVdirSettings ovParseVdirSettings(std::string_view text, const std::string& fileName) {
    ovVdirSettings s;
    s.file = fileName;
    std::string section;
    bool sawSection = false;
    int lineNumber = 0, sectionLine = 0;
    size_t pos = 0;
    while (pos <= text.size()) {
        const size_t end = std::min(text.find('\n', pos), text.size());
        const std::string line = trim(text.substr(pos, end - pos));
        pos = end + 1;
        ++lineNumber;
        auto problem = [&](const std::string& what) {
            s.problems.push_back(fileName + ":" + std::to_string(lineNumber) + ": " + what);
        };
        if (line.empty() || line[0] == '#' || line[0] == ';')
            continue;
        if (line[0] == '[') {
            // Malformed headers are the [sms] reader's to report; here they only end [vdir].
            section = line.back() == ']' && line.size() >= 3
                          ? trim(std::string_view(line).substr(1, line.size() - 2))
                          : std::string();
            if (section == "vdir") {
                sawSection = true;
                sectionLine = lineNumber;
            }
            continue;
        }
        if (section != "vdir")
            continue;
        const size_t eq = line.find('=');
        if (eq == std::string::npos) {
            problem("expected 'name = value', found '" + line + "'");
            continue;
        }
        const std::string key = trim(std::string_view(line).substr(0, eq));
        const std::string value = withoutComment(trim(std::string_view(line).substr(eq + 1)));
        if (key == "path") {
            const std::string path = ovExpandHome(value);
            if (path.empty() || path[0] != '/')
                problem("the vdir 'path' must be an absolute folder (or start with ~/), not '" + value + "'");
            else
                s.root = path;
        } else if (key == "calendar" || key == "tasks" || key == "contacts") {
            if (!isPlainFolderName(value)) {
                problem("'" + key + "' names one folder inside the vdir path (no '/', not hidden), not '" +
                        value + "'");
                continue;
            }
            (key == "calendar" ? s.calendar : key == "tasks" ? s.tasks : s.contacts) = value;
        } else {
            problem("unknown setting '" + key + "' in [vdir] (path, calendar, tasks, contacts)");
        }
    }
    if (sawSection && s.root.empty() &&
        std::none_of(s.problems.begin(), s.problems.end(),
                     [](const std::string& p) { return p.find("'path'") != std::string::npos; }))
        s.problems.push_back(fileName + ":" + std::to_string(sectionLine) +
                             ": [vdir] needs a 'path = FOLDER' line");
    if (s.calendar == s.contacts || s.tasks == s.contacts)
        s.problems.push_back(fileName + ": the contacts need a folder of their own, apart from the calendar "
                                        "and the tasks");
    s.enabled = !s.root.empty() && s.problems.empty();
    return s;
}

ovVdirSettings ovReadVdirSettings(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        ovVdirSettings none;
        none.file = file;
        if (errno != ENOENT && ovFileExists(file))
            none.problems.push_back(file + ": cannot be read: " + std::strerror(errno));
        return none;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0);
    if (size > kMaxFileSize) {
        ovVdirSettings none;
        none.file = file;
        none.problems.push_back(file + ": is too large to be Orvida's configuration");
        return none;
    }
    std::string text(static_cast<size_t>(size), '\0');
    in.read(text.data(), size);
    return ovParseVdirSettings(text, file);
}
