// One running copy per user: the lock, the raise request, and what a crash leaves.
#include "hosts/common/ovSingleInstance.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {
class SingleInstance : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/orvida-instance-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
    }
    void TearDown() override { fs::remove_all(folder); }
    std::string folder;
};
} // namespace

TEST_F(SingleInstance, SecondCopyAsksTheFirstToRaiseItsWindow) {
    ovSingleInstance first(folder);
    ASSERT_EQ(first.acquire(), ovSingleInstance::Role::Primary) << first.error();
    EXPECT_FALSE(first.pollRaiseRequest());

    ovSingleInstance second(folder);
    ASSERT_EQ(second.acquire(), ovSingleInstance::Role::Secondary);
    ASSERT_TRUE(second.requestRaise()) << second.error();
    EXPECT_TRUE(first.pollRaiseRequest());
    // One request is answered once.
    EXPECT_FALSE(first.pollRaiseRequest());

    // Two more starts before the running copy looks: both are heard.
    ovSingleInstance third(folder);
    ASSERT_EQ(third.acquire(), ovSingleInstance::Role::Secondary);
    ASSERT_TRUE(third.requestRaise());
    ASSERT_TRUE(third.requestRaise());
    EXPECT_TRUE(first.pollRaiseRequest());
    EXPECT_FALSE(first.pollRaiseRequest());
    // Only a second copy asks.
    EXPECT_FALSE(first.requestRaise());
}

TEST_F(SingleInstance, TheLockIsFreeAgainWhenTheFirstCopyEnds) {
    {
        ovSingleInstance first(folder);
        ASSERT_EQ(first.acquire(), ovSingleInstance::Role::Primary);
    }
    EXPECT_FALSE(fs::exists(folder + "/orvida.sock"));
    ovSingleInstance next(folder);
    EXPECT_EQ(next.acquire(), ovSingleInstance::Role::Primary);
}

TEST_F(SingleInstance, ACrashedCopyDoesNotBlockTheNextStart) {
    // A copy that is killed leaves its lock file and its socket behind.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ovSingleInstance crashing(folder);
        if (crashing.acquire() != ovSingleInstance::Role::Primary)
            _exit(1);
        raise(SIGKILL);
        _exit(2);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the child could not take the lock";
    ASSERT_TRUE(fs::exists(folder + "/orvida.lock"));
    ASSERT_TRUE(fs::exists(folder + "/orvida.sock"));

    ovSingleInstance next(folder);
    ASSERT_EQ(next.acquire(), ovSingleInstance::Role::Primary) << next.error();
    // The left-over socket was replaced: a later start reaches this copy.
    ovSingleInstance later(folder);
    ASSERT_EQ(later.acquire(), ovSingleInstance::Role::Secondary);
    EXPECT_TRUE(later.requestRaise()) << later.error();
    EXPECT_TRUE(next.pollRaiseRequest());
}

TEST_F(SingleInstance, ALockFileWithOtherContentDoesNotMatter) {
    std::ofstream(folder + "/orvida.lock") << "99999999\ngarbage";
    ovSingleInstance first(folder);
    EXPECT_EQ(first.acquire(), ovSingleInstance::Role::Primary) << first.error();
}

TEST_F(SingleInstance, AFolderOthersMayWriteIsRefused) {
    ASSERT_EQ(chmod(folder.c_str(), 0777), 0);
    ovSingleInstance first(folder);
    EXPECT_EQ(first.acquire(), ovSingleInstance::Role::None);
    EXPECT_NE(first.error().find(folder), std::string::npos) << first.error();
}

TEST_F(SingleInstance, ARequestThatIsNotARaiseRaisesNothing) {
    ovSingleInstance first(folder);
    ASSERT_EQ(first.acquire(), ovSingleInstance::Role::Primary);
    // A client that connects and says something else, or nothing.
    for (const char* text : {"hello\n", ""}) {
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", first.socketFile().c_str());
        ASSERT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        if (*text != 0) {
            ASSERT_GT(write(fd, text, std::strlen(text)), 0);
        }
        close(fd);
        EXPECT_FALSE(first.pollRaiseRequest()) << text;
    }
}

// Clients that connect and stay silent were each given a moment to speak while the
// window waited; now they are kept aside and looked at again, so the running copy never
// waits for them and hears them if they do speak later.
TEST_F(SingleInstance, SilentClientsNeitherHoldUpTheListenerNorAreLostToIt) {
    ovSingleInstance first(folder);
    ASSERT_EQ(first.acquire(), ovSingleInstance::Role::Primary);
    auto connectClient = [&] {
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", first.socketFile().c_str());
        EXPECT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        return fd;
    };
    std::vector<int> idle;
    for (int i = 0; i < 60; ++i) {
        idle.push_back(connectClient());
        EXPECT_FALSE(first.pollRaiseRequest());
    }
    EXPECT_LE(first.pendingClients(), ovSingleInstance::maxPendingClients);
    // A start among them is heard at once.
    ovSingleInstance second(folder);
    ASSERT_EQ(second.acquire(), ovSingleInstance::Role::Secondary);
    ASSERT_TRUE(second.requestRaise()) << second.error();
    EXPECT_TRUE(first.pollRaiseRequest());
    // The latest silent client speaks after all, in two pieces.
    ASSERT_EQ(write(idle.back(), "ra", 2), 2);
    EXPECT_FALSE(first.pollRaiseRequest());
    ASSERT_EQ(write(idle.back(), "ise\n", 4), 4);
    EXPECT_TRUE(first.pollRaiseRequest());
    for (int fd : idle)
        close(fd);
    EXPECT_FALSE(first.pollRaiseRequest());
    EXPECT_EQ(first.pendingClients(), 0u);
}
