#include "services/sms/ovSmsRecords.h"

#include "system/ovDurableFile.h"
#include "system/ovPaths.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {
constexpr const char* kExtension = ".record";
std::atomic<uint32_t> recordNumber{0};

// A header value stays on its line whatever it holds.
std::string oneLine(std::string value) {
    std::replace_if(
        value.begin(), value.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    return value;
}
} // namespace

const char* ovSmsStateName(ovSmsState state) {
    switch (state) {
    case ovSmsState::queued:
        return "queued";
    case ovSmsState::sent:
        return "sent";
    case ovSmsState::delivered:
        return "delivered";
    case ovSmsState::failed:
        return "failed";
    }
    return "queued";
}

std::string ovSmsRecord::excerpt() const {
    std::string line = text.substr(0, text.find('\n'));
    if (line.size() > 60) {
        size_t cut = 60;
        while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
            --cut; // never in the middle of a character
        line = line.substr(0, cut) + "...";
    }
    return line;
}

std::string ovSmsRecords::folder(const std::string& dataDir) {
    return dataDir + (dataDir.empty() || dataDir.back() == '/' ? "" : "/") + "sms-records";
}

std::string ovSmsRecords::newId() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return std::to_string(std::chrono::duration_cast<std::chrono::microseconds>(now).count()) + "-" +
           std::to_string(getpid()) + "-" + std::to_string(++recordNumber);
}

std::string ovSmsRecords::format(const ovSmsRecord& r) {
    std::string out = "Number: " + oneLine(r.number) + "\nState: " + ovSmsStateName(r.state) +
                      "\nTries: " + std::to_string(r.tries) + "\nCreated: " + std::to_string(r.createdAt) +
                      "\n";
    if (!r.lastError.empty())
        out += "Error: " + oneLine(r.lastError) + "\n";
    if (!r.modemObject.empty())
        out += "Modem-Object: " + oneLine(r.modemObject) + "\n";
    return out + "\n" + r.text;
}

bool ovSmsRecords::parse(const std::string& content, ovSmsRecord& r) {
    size_t at = 0;
    bool haveState = false;
    while (at < content.size()) {
        const size_t end = content.find('\n', at);
        if (end == std::string::npos)
            return false; // the headers never ended
        const std::string line = content.substr(at, end - at);
        at = end + 1;
        if (line.empty()) {
            r.text = content.substr(at);
            return haveState;
        }
        const size_t colon = line.find(": ");
        if (colon == std::string::npos)
            return false;
        const std::string key = line.substr(0, colon), value = line.substr(colon + 2);
        if (key == "Number") {
            r.number = value;
        } else if (key == "State") {
            haveState = true;
            if (value == "queued")
                r.state = ovSmsState::queued;
            else if (value == "sent")
                r.state = ovSmsState::sent;
            else if (value == "delivered")
                r.state = ovSmsState::delivered;
            else if (value == "failed")
                r.state = ovSmsState::failed;
            else
                return false;
        } else if (key == "Tries") {
            r.tries = std::atoi(value.c_str());
        } else if (key == "Created") {
            r.createdAt = std::atoll(value.c_str());
        } else if (key == "Error") {
            r.lastError = value;
        } else if (key == "Modem-Object") {
            r.modemObject = value;
        }
    }
    return false;
}

ovResult<> ovSmsRecords::write(const std::string& dataDir, const ovSmsRecord& record) {
    const std::string dir = folder(dataDir);
    if (ovResult<> made = ovMakeFolders(dir); !made)
        return made;
    return ovDurableFile::write(dir + "/" + record.id + kExtension, format(record), {.mode = 0600});
}

std::vector<ovSmsRecord> ovSmsRecords::list(const std::string& dataDir) {
    std::vector<std::string> names;
    const std::string dir = folder(dataDir);
    if (DIR* d = opendir(dir.c_str())) {
        while (const dirent* e = readdir(d)) {
            const std::string name = e->d_name;
            const size_t ext = std::char_traits<char>::length(kExtension);
            if (name.size() > ext && name[0] != '.' && name.compare(name.size() - ext, ext, kExtension) == 0)
                names.push_back(name.substr(0, name.size() - ext));
        }
        closedir(d);
    }
    std::vector<ovSmsRecord> records;
    for (const std::string& id : names) {
        std::ifstream in(dir + "/" + id + kExtension, std::ios::binary);
        std::stringstream content;
        content << in.rdbuf();
        ovSmsRecord r;
        r.id = id;
        if (in.is_open() && parse(content.str(), r))
            records.push_back(std::move(r));
    }
    std::sort(records.begin(), records.end(), [](const ovSmsRecord& a, const ovSmsRecord& b) {
        return a.createdAt != b.createdAt ? a.createdAt < b.createdAt : a.id < b.id;
    });
    return records;
}
