// The settings and the careful reader, on real files.
#include "data/vdir/ovFileSnapshot.h"
#include "data/vdir/ovVdirSettings.h"
#include "system/ovDurableFile.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace fs = std::filesystem;

namespace {
class VdirFiles : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "ovVdirFiles-XXXXXX").string();
        folder = mkdtemp(pattern.data());
    }
    void TearDown() override { fs::remove_all(folder); }
    fs::path folder;
};
} // namespace

TEST(VdirSettings, ASectionNamesTheFoldersAndCommentsAndOtherSectionsStayOut) {
    setenv("HOME", "/home/ann", 1);
    const ovVdirSettings s = ovParseVdirSettings("top = 1\n[sms]\nprovider = spool\n[vdir]\n"
                                                 "path = ~/cal   # where khal keeps it\n"
                                                 "calendar = personal\ntasks = personal\n",
                                                 "orvida.conf");
    EXPECT_TRUE(s.problems.empty()) << s.problems.front();
    EXPECT_TRUE(s.enabled);
    EXPECT_EQ(s.root, "/home/ann/cal");
    EXPECT_EQ(s.calendar, "personal");
    EXPECT_EQ(s.tasks, "personal");
    EXPECT_EQ(s.contacts, "contacts");

    EXPECT_FALSE(ovParseVdirSettings("[sms]\nprovider = spool\n", "orvida.conf").enabled);
    EXPECT_FALSE(ovReadVdirSettings((fs::temp_directory_path() / "no-such-orvida.conf").string()).enabled);
}

TEST(VdirSettings, EachBadLineIsNamedAndNoVdirIsUsed) {
    const ovVdirSettings s = ovParseVdirSettings("[vdir]\npath = relative/cal\ncalendar = ../elsewhere\n"
                                                 "contacts = a/b\ncolour = red\nnothing here\n",
                                                 "orvida.conf");
    EXPECT_FALSE(s.enabled);
    ASSERT_EQ(s.problems.size(), 5u);
    EXPECT_EQ(s.problems[0].rfind("orvida.conf:2: the vdir 'path' must be an absolute folder", 0), 0u);
    EXPECT_EQ(s.problems[1].rfind("orvida.conf:3: 'calendar' names one folder", 0), 0u);
    EXPECT_EQ(s.problems[2].rfind("orvida.conf:4: 'contacts' names one folder", 0), 0u);
    EXPECT_EQ(s.problems[3],
              "orvida.conf:5: unknown setting 'colour' in [vdir] (path, calendar, tasks, contacts)");
    EXPECT_EQ(s.problems[4], "orvida.conf:6: expected 'name = value', found 'nothing here'");

    const ovVdirSettings noPath = ovParseVdirSettings("\n[vdir]\ncalendar = cal\n", "orvida.conf");
    ASSERT_EQ(noPath.problems.size(), 1u);
    EXPECT_EQ(noPath.problems[0], "orvida.conf:2: [vdir] needs a 'path = FOLDER' line");

    const ovVdirSettings shared = ovParseVdirSettings("[vdir]\npath = /v\ncontacts = calendar\n", "c");
    ASSERT_EQ(shared.problems.size(), 1u);
    EXPECT_FALSE(shared.enabled);
}

TEST_F(VdirFiles, AFileReplacedWhileReadIsSeenWholeOrNotAtAll) {
    const std::string file = (folder / "c.vcf").string();
    const std::string first(200000, 'a'), second(150000, 'b');
    ASSERT_TRUE(ovDurableFile::write(file, first));
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (int i = 0; !stop; ++i)
            (void)ovDurableFile::write(file, i % 2 == 0 ? second : first);
    });
    int whole = 0;
    for (int i = 0; i < 200; ++i) {
        ovResult<ovFileSnapshot> read = ovFileSnapshot::read(file);
        if (!read) {
            EXPECT_NE(read.reason().find("kept changing"), std::string::npos) << read.reason();
            continue;
        }
        const ovFileSnapshot& s = read.value();
        EXPECT_TRUE(s.bytes == first || s.bytes == second) << "a torn read of " << s.bytes.size() << " bytes";
        EXPECT_EQ(s.size, static_cast<int64_t>(s.bytes.size()));
        EXPECT_EQ(s.digest, ovContentDigest(s.bytes));
        ++whole;
    }
    stop = true;
    writer.join();
    EXPECT_GT(whole, 0);
    EXPECT_NE(ovContentDigest(first), ovContentDigest(second));
}

TEST_F(VdirFiles, ASnapshotRefusesWhatIsNoCalendarFile) {
    EXPECT_FALSE(ovFileSnapshot::read((folder / "none.ics").string()));
    fs::create_directory(folder / "dir.ics");
    const ovResult<ovFileSnapshot> dir = ovFileSnapshot::read((folder / "dir.ics").string());
    ASSERT_FALSE(dir);
    {
        std::ofstream big(folder / "big.ics", std::ios::binary);
        big.seekp(ovFileSnapshot::maxSize + 1);
        big.put('x');
    }
    const ovResult<ovFileSnapshot> big = ovFileSnapshot::read((folder / "big.ics").string());
    ASSERT_FALSE(big);
    EXPECT_NE(big.reason().find("too large"), std::string::npos) << big.reason();
}
