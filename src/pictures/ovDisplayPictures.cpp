#include "pictures/ovDisplayPictures.h"

#include "pictures/ovPictureCanvas.h"
#include "pictures/ovPictureSet.h"
#include "system/ovPaths.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
constexpr const char* kStampName = "version";
constexpr const char* kPartly = " (partly drawn)";
constexpr const char* kDrawingPrefix = ".drawing-";

std::string readStamp(const fs::path& folder) {
    std::ifstream in(folder / kStampName);
    std::stringstream text;
    text << in.rdbuf();
    return in ? text.str() : std::string();
}

// Written beside and renamed over the old one, so that a reader sees one or the other.
ovResult<> writeStamp(const fs::path& folder, const std::string& text) {
    const fs::path fresh = folder / (std::string(kDrawingPrefix) + std::to_string(getpid()) + "-stamp");
    {
        std::ofstream stamp(fresh, std::ios::binary | std::ios::trunc);
        stamp << text;
        stamp.close();
        if (!stamp)
            return ovFail("cannot write the pictures' stamp in " + folder.string());
    }
    std::error_code ec;
    fs::rename(fresh, folder / kStampName, ec);
    if (ec) {
        fs::remove(fresh, ec);
        return ovFail("cannot write the pictures' stamp in " + folder.string());
    }
    return {};
}

bool allThere(const fs::path& folder) {
    std::error_code ec;
    for (const char* name : ovPictureNames)
        if (!fs::is_regular_file(folder / name, ec))
            return false;
    return true;
}

// What a drawing left behind when its process ended halfway.
void removeDeadDrawings(const fs::path& folder) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.rfind(kDrawingPrefix, 0) != 0)
            continue;
        const long pid =
            std::strtol(name.c_str() + std::char_traits<char>::length(kDrawingPrefix), nullptr, 10);
        if (pid > 0 && pid != getpid() && kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
            std::error_code ignored;
            fs::remove_all(it->path(), ignored);
        }
    }
}
} // namespace

ovDisplayPictures::ovDisplayPictures(std::string folder, const ovPictureSize& size, std::string version)
    : folder_(std::move(folder)), size_(size), version_(std::move(version)) {}

ovResult<std::unique_ptr<ovDisplayPictures>>
ovDisplayPictures::open(const std::string& root, const ovPictureSize& size, const std::string& version) {
    if (size.width <= 0 || size.height <= 0)
        return ovFail("no pictures can be drawn for an empty screen");
    const fs::path folder = fs::path(root) / (std::to_string(size.width) + "x" + std::to_string(size.height));
    if (const ovResult<> made = ovMakeFolders(folder.string()); !made)
        return ovFail("cannot keep the pictures drawn for the display: " + made.reason());
    std::unique_ptr<ovDisplayPictures> pictures(new ovDisplayPictures(folder.string(), size, version));
    removeDeadDrawings(folder);
    const std::string stamp = readStamp(folder);
    if (stamp == version && allThere(folder)) {
        pictures->complete_ = true;
        return pictures;
    }
    if (stamp != version && stamp != version + kPartly) {
        // Drawn by another version, or by one that did not say: the stamp goes first, so
        // that no start trusts what is left while it goes.
        std::error_code ec;
        fs::remove(folder / kStampName, ec);
        for (const char* name : ovPictureNames) {
            fs::remove(folder / name, ec);
            if (ec)
                return ovFail("cannot clear the pictures drawn for the display in " + folder.string() + ": " +
                              ec.message());
        }
    }
    if (const ovResult<> stamped = writeStamp(folder, version + kPartly); !stamped)
        return stamped.error();
    return pictures;
}

ovDisplayPictures::~ovDisplayPictures() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
        changed_.notify_all();
    }
    if (beside_.joinable())
        beside_.join();
}

bool ovDisplayPictures::complete() {
    const std::lock_guard<std::mutex> lock(mutex_);
    return complete_;
}

bool ovDisplayPictures::draw(const std::string& name) {
    return drawOne(name);
}

void ovDisplayPictures::drawBeside(std::vector<std::string> first) {
    if (complete() || beside_.joinable())
        return;
    std::vector<std::string> rest;
    for (const char* name : ovPictureNames)
        if (std::find(first.begin(), first.end(), name) == first.end())
            rest.emplace_back(name);
    try {
        beside_ = std::thread([this, first = std::move(first), rest = std::move(rest)] {
            {
                // One canvas's memory serves every picture of a run, and is given back
                // before the wait.
                const ovPictureCanvas::Reuse reuse;
                for (const std::string& name : first) {
                    if (stop_)
                        return;
                    drawOne(name);
                }
            }
            if (!restAfterQuiet())
                return;
            // Behind the program's own work now: a thread's nice value is its own on Linux.
            setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 10);
            const ovPictureCanvas::Reuse reuse;
            for (const std::string& name : rest) {
                if (stop_)
                    return;
                drawOne(name);
            }
        });
    } catch (const std::system_error&) {
        // No thread to spare: each picture is still drawn when it is first needed.
    }
}

bool ovDisplayPictures::restAfterQuiet() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return stop_ || behind_; });
    return !changed_.wait_for(lock, kQuiet, [this] { return stop_.load(); });
}

void ovDisplayPictures::stayBehind() {
    const std::lock_guard<std::mutex> lock(mutex_);
    behind_ = true;
    changed_.notify_all();
}

bool ovDisplayPictures::drawOne(const std::string& name) {
    const fs::path target = fs::path(folder_) / name;
    std::error_code ec;
    {
        // One drawing of a picture at a time: who needs it while another thread draws it
        // waits for that one.
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            if (fs::is_regular_file(target, ec))
                return true;
            if (failed_.count(name) != 0)
                return false;
            if (drawing_.insert(name).second)
                break;
            changed_.wait(lock);
        }
    }
    const bool ok = drawNow(name, target);
    const std::lock_guard<std::mutex> lock(mutex_);
    drawing_.erase(name);
    changed_.notify_all();
    return ok;
}

bool ovDisplayPictures::drawNow(const std::string& name, const fs::path& target) {
    std::error_code ec;
    // A folder of this drawing's own: the picture appears in place whole or not at all.
    const fs::path own = fs::path(folder_) / (std::string(kDrawingPrefix) + std::to_string(getpid()) + "-" +
                                              std::to_string(++drawings_));
    std::string why;
    if (!fs::create_directory(own, ec)) {
        why = "cannot make " + own.string() + ": " + ec.message();
    } else {
        const ovPictureCanvas::StopWhen stop(stop_);
        if (ovDrawPicture(own, size_, name) != 0)
            why = "it could not be drawn";
        else if (!stop_) {
            fs::rename(own / name, target, ec);
            if (ec)
                why = "cannot put it in " + folder_ + ": " + ec.message();
        }
        std::error_code ignored;
        fs::remove_all(own, ignored);
    }
    if (stop_)
        return false; // dropped, not failed: the next start draws it
    if (!why.empty()) {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (failed_.insert(name).second)
            std::fprintf(stderr, "orvida: %s was not drawn for the display (%s); showing the shipped one\n",
                         name.c_str(), why.c_str());
        return false;
    }
    stampIfComplete();
    return true;
}

void ovDisplayPictures::stampIfComplete() {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (complete_ || !allThere(folder_))
        return;
    if (const ovResult<> stamped = writeStamp(folder_, version_); stamped)
        complete_ = true;
    else
        std::fprintf(stderr, "orvida: %s\n", stamped.reason().c_str());
}
