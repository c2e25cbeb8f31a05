// The one way files are replaced: whole or not at all, in an order that survives a power
// cut, with the mode the file should have.
#include "system/ovDurableFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace fs = std::filesystem;

namespace {
std::string readAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

mode_t modeOf(const fs::path& file) {
    struct stat st {};
    EXPECT_EQ(::stat(file.c_str(), &st), 0);
    return st.st_mode & 07777;
}

// Notes each step as it happens.
class RecordingSteps : public ovDurableSteps {
public:
    int flushFile(int fd) const override {
        steps.push_back("flush file");
        return ovDurableSteps::flushFile(fd);
    }
    int replace(const char* from, const char* to) const override {
        steps.push_back("rename");
        return ovDurableSteps::replace(from, to);
    }
    int flushFolder(int fd) const override {
        steps.push_back("flush folder");
        return ovDurableSteps::flushFolder(fd);
    }
    mutable std::vector<std::string> steps;
};

class DurableFile : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "ovDurableFile-XXXXXX").string();
        folder = mkdtemp(pattern.data());
    }
    void TearDown() override { fs::remove_all(folder); }
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(folder))
            names.push_back(e.path().filename().string());
        return names;
    }
    fs::path folder;
};
} // namespace

TEST_F(DurableFile, TheFileIsFlushedBeforeTheRenameAndTheFolderAfterIt) {
    const fs::path file = folder / "a.ics";
    RecordingSteps steps;
    ASSERT_TRUE(ovDurableFile::write(file.string(), "content", {.steps = &steps}));
    EXPECT_EQ(steps.steps, (std::vector<std::string>{"flush file", "rename", "flush folder"}));
    EXPECT_EQ(readAll(file), "content");

    // Prepared but not committed: flushed, not yet in place.
    steps.steps.clear();
    {
        ovResult<ovDurableFile> prepared = ovDurableFile::prepare(file.string(), "later", {.steps = &steps});
        ASSERT_TRUE(prepared);
        EXPECT_EQ(steps.steps, std::vector<std::string>{"flush file"});
        EXPECT_EQ(readAll(file), "content");
        ASSERT_TRUE(prepared.value().commit());
    }
    EXPECT_EQ(steps.steps, (std::vector<std::string>{"flush file", "rename", "flush folder"}));
    EXPECT_EQ(readAll(file), "later");
}

TEST_F(DurableFile, AWriteReplacesTheWholeFileAndLeavesNoTemporary) {
    const std::string file = (folder / "a.ics").string();
    ASSERT_TRUE(ovDurableFile::write(file, "old content\n"));
    ASSERT_TRUE(ovDurableFile::write(file, "new"));
    EXPECT_EQ(readAll(file), "new");
    EXPECT_EQ(entries(), std::vector<std::string>{"a.ics"});

    // Prepared but never committed (the store refused the save): the old file stays.
    {
        ovResult<ovDurableFile> prepared = ovDurableFile::prepare(file, "never shown");
        ASSERT_TRUE(prepared);
        EXPECT_EQ(prepared.value().size(), 11);
        // The one temporary is known for ours, so a crash's leftover can be cleaned up.
        const std::vector<std::string> during = entries();
        ASSERT_EQ(during.size(), 2u);
        EXPECT_TRUE(ovDurableFile::isTemporaryName(during[0] == "a.ics" ? during[1] : during[0]));
    }
    for (const char* theirs :
         {".a.ics.swp", ".a.ics.Ab12Cd", ".a.ics.orvida-Ab12Cd", "a.ics.orvida-Ab12Cd.tmp"})
        EXPECT_FALSE(ovDurableFile::isTemporaryName(theirs)) << theirs;
    EXPECT_EQ(readAll(file), "new");
    EXPECT_EQ(entries(), std::vector<std::string>{"a.ics"});
}

TEST_F(DurableFile, AWriteThatCannotHappenSaysWhereAndKeepsTheOldFile) {
    const ovResult<> missing = ovDurableFile::write((folder / "gone" / "a.ics").string(), "x");
    ASSERT_FALSE(missing);
    EXPECT_NE(missing.reason().find("gone/a.ics: cannot be written"), std::string::npos) << missing.reason();

    // A folder where the file should be: the rename fails (also for root, unlike permissions).
    fs::create_directory(folder / "b.ics");
    fs::create_directory(folder / "b.ics" / "inside");
    const ovResult<> blocked = ovDurableFile::write((folder / "b.ics").string(), "x");
    ASSERT_FALSE(blocked);
    EXPECT_NE(blocked.reason().find("b.ics: cannot be replaced"), std::string::npos) << blocked.reason();
    EXPECT_EQ(entries(), std::vector<std::string>{"b.ics"});
}

TEST_F(DurableFile, AReplacedFileKeepsItsModeAndAPrivateOneIsTheOwnersAlone) {
    const fs::path shared = folder / "shared.ics";
    ASSERT_TRUE(ovDurableFile::write(shared.string(), "one"));
    fs::permissions(shared, fs::perms(0640));
    ASSERT_TRUE(ovDurableFile::write(shared.string(), "two"));
    EXPECT_EQ(modeOf(shared), 0640u);

    const fs::path queued = folder / "queued.eml";
    ASSERT_TRUE(ovDurableFile::write(queued.string(), "private", {.mode = 0600}));
    EXPECT_EQ(modeOf(queued), 0600u);
}
