#include "ovTestProgram.h"

#include "ovBackBuffer.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

TEST(MissingPictures, EachIsReportedOnceAndTheProgramGoesOn) {
    const fs::path empty = fs::temp_directory_path() / "orvida-no-pictures";
    fs::create_directories(empty);
    ovTestProgram p(240, 320, (empty / "orvida").string());
    // background plus the five node pictures of the navigator
    const auto& messages = p.system().messages();
    ASSERT_EQ(messages.size(), 6u);
    for (const auto& m : messages)
        EXPECT_EQ(m.caption, "Error");
    EXPECT_NE(messages[0].text.find("background.bmp"), std::string::npos);
    EXPECT_NE(messages[1].text.find("nodeStart.bmp"), std::string::npos);

    const int repaints = p.app().repaintCount;
    p.run("wait 100\ntap 140 114\nwait 100");
    EXPECT_EQ(messages.size(), 6u); // not again at later frames
    EXPECT_GT(p.app().repaintCount, repaints);
    EXPECT_EQ(p.nav().current->nodeId, ovHomeScreenId);
}
