#include "data/vdir/ovVdirSettings.h"

#include "system/ovIniSection.h"
#include "system/ovPaths.h"

#include <algorithm>

namespace {
// One folder name inside the vdir: no separators, no "." or "..", nothing hidden.
bool isPlainFolderName(const std::string& name) {
    return !name.empty() && name.size() <= 255 && name[0] != '.' && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}
} // namespace

ovVdirSettings ovParseVdirSettings(std::string_view text, const std::string& fileName) {
    ovVdirSettings s;
    s.file = fileName;
    // Malformed headers are the [sms] reader's to report; here they only end [vdir].
    ovIniSection section = ovReadIniSection(text, fileName, "vdir");
    for (const ovIniSetting& setting : section.settings) {
        if (!setting.problem.empty()) {
            s.problems.push_back(setting.problem);
            continue;
        }
        auto problem = [&](const std::string& what) {
            s.problems.push_back(ovIniProblem(fileName, setting.line, what));
        };
        const std::string& key = setting.key;
        const std::string& value = setting.value;
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
    if (section.headerLine != 0 && s.root.empty() &&
        std::none_of(s.problems.begin(), s.problems.end(),
                     [](const std::string& p) { return p.find("'path'") != std::string::npos; }))
        s.problems.push_back(
            ovIniProblem(fileName, section.headerLine, "[vdir] needs a 'path = FOLDER' line"));
    if (s.calendar == s.contacts || s.tasks == s.contacts)
        s.problems.push_back(fileName + ": the contacts need a folder of their own, apart from the calendar "
                                        "and the tasks");
    s.enabled = !s.root.empty() && s.problems.empty();
    return s;
}

ovVdirSettings ovReadVdirSettings(const std::string& file) {
    std::string text;
    ovVdirSettings none;
    none.file = file;
    if (ovReadSettingsFile(file, "Orvida's configuration", text, none.problems))
        return ovParseVdirSettings(text, file);
    return none;
}
