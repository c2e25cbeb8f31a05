#pragma once
// The folder of pictures drawn for one screen rectangle, filled picture by picture: a
// picture is drawn when the program first needs it, and the others on a thread beside
// the program, so that a first start does not wait for the whole set. Each picture is
// drawn into a folder of its own and then renamed into place, so nobody ever loads half
// a picture; the stamp names this version, marked as partly drawn until every picture
// is there, so a start that was ended halfway leaves a folder the next start completes
// rather than trusts, and the pictures already there are kept.
#include "base/ovResult.h"
#include "pictures/ovPictureSize.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

class ovDisplayPictures {
public:
    // Makes ready root/WIDTHxHEIGHT for the pictures of `version`: the pictures another
    // version (or a set of unknown version) left there go. Draws nothing. Fails, with the
    // reason, when the folder or its stamp cannot be written.
    static ovResult<std::unique_ptr<ovDisplayPictures>>
    open(const std::string& root, const ovPictureSize& size, const std::string& version);
    // Stops the drawing beside the program and waits for it, which is soon: a picture
    // that is half drawn is dropped.
    ~ovDisplayPictures();
    ovDisplayPictures(const ovDisplayPictures&) = delete;
    ovDisplayPictures& operator=(const ovDisplayPictures&) = delete;

    const std::string& folder() const { return folder_; }
    // Every picture is there and the stamp says so.
    bool complete();

    // The picture of that file name is in the folder, drawn now when it was not: true once
    // it is there. False when it can be neither drawn nor kept, said once on standard
    // error; the program then shows the shipped one.
    bool draw(const std::string& name);
    // Draws the pictures named in `first` that are not there yet on a thread of its own,
    // at once (the program waits for one only when it needs it before the thread is done
    // with it). The rest follow at a low priority once stayBehind has been called (after
    // the first frame) and the program has run a while longer, so that a short run
    // never pays for them; it ends the thread at once.
    void drawBeside(std::vector<std::string> first);
    void stayBehind();
    static constexpr std::chrono::milliseconds kQuiet{1000};

private:
    ovDisplayPictures(std::string folder, const ovPictureSize& size, std::string version);
    bool drawOne(const std::string& name);
    // Waits for stayBehind and then kQuiet; false when the program ends first.
    bool restAfterQuiet();
    bool drawNow(const std::string& name, const std::filesystem::path& target);
    void stampIfComplete();

    const std::string folder_;
    const ovPictureSize size_;
    const std::string version_;
    std::mutex mutex_;                // guards failed_, drawing_, complete_ and the waits on stop_, behind_
    std::condition_variable changed_; // a picture drawn, stayBehind, or the end
    std::set<std::string> failed_;
    std::set<std::string> drawing_;
    bool complete_ = false;
    std::atomic<int> drawings_{0};
    std::atomic<bool> stop_{false};
    std::atomic<bool> behind_{false};
    std::thread beside_;
};
