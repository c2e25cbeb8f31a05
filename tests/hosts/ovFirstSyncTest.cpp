// The first start over a large vdir: the window comes first and answers touches, and the
// screens fill in when the sync beside it ends.
#include "program/ovProgram.h"
#include "system/ovClock.h"
#include "system/ovFolderLock.h"
#include "system/ovHeadlessSystem.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace fs = std::filesystem;

namespace {
class CountingWindow : public ovShellHost {
public:
    bool createTimer() override { return true; }
    void presentFrame(const ovFramebuffer&) override { ++frames; }
    void closeWindow() override {}
    void showAbout() override {}
    int frames = 0;
};
} // namespace

TEST(ovFirstSyncTest, TheWindowComesFirstAndTheHomeScreenFillsInWhenTheSyncBesideItEnds) {
    std::string pattern = (fs::temp_directory_path() / "ovFirstSyncTest-XXXXXX").string();
    const fs::path root = mkdtemp(pattern.data());
    fs::create_directories(root / "vdir" / "calendar");
    fs::create_directories(root / "config");
    std::ofstream(root / "config" / "orvida.conf") << "[vdir]\npath = " << (root / "vdir").string() << "\n";
    std::ofstream(root / "vdir" / "calendar" / "lunch.ics")
        << "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//khal//EN\r\nBEGIN:VEVENT\r\nUID:lunch-1\r\n"
           "DTSTART:20261210T120000\r\nDTEND:20261210T130000\r\nSUMMARY:Lunch\r\nEND:VEVENT\r\n"
           "END:VCALENDAR\r\n";
    {
        // Another sync has the folder's turn: this program's first sync waits behind it,
        // as a sync of a large folder would keep it busy.
        auto other = std::make_unique<ovFolderLock>((root / "vdir").string(), std::chrono::milliseconds(0));
        ASSERT_TRUE(other->held());

        ovHeadlessSystem system(std::make_unique<ovVirtualClock>(*ovParseIsoLocal("2026-12-10T10:00:00")),
                                ovScreenSize{240, 320}, ORVIDA_BIN_DIR "/orvida");
        CountingWindow window;
        const std::string data = (root / "data").string();
        ovProgram program(system, window, data + "/orvida.sqlite", nullptr,
                          ovProgramFolders{(root / "config").string(), data, true});
        ASSERT_TRUE(program.start());
        for (int i = 0; i < 5; ++i)
            program.onTimer();
        EXPECT_GE(window.frames, 1);
        EXPECT_TRUE(program.syncing());
        EXPECT_EQ(program.session().appointments().count(), 0);

        other.reset();
        for (int i = 0; i < 10000 && program.syncing(); ++i) {
            program.onTimer();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ASSERT_FALSE(program.syncing());
        program.onTimer();
        ASSERT_EQ(program.session().appointments().count(), 1);
        EXPECT_EQ(program.session().appointments()[0]->subject(), u"Lunch");
    }
    fs::remove_all(root);
}
