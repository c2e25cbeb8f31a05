// `orvida outbox` against a real mail server on 127.0.0.1: messages that could not go
// are listed, tried again and delivered once, whoever sends them.
#include "messaging/ovMailManager.h"
#include "messaging/ovSmtpTestServer.h"
#include "system/ovHeadlessSystem.h"
#include "system/ovProcess.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

namespace fs = std::filesystem;

namespace {
class Outbox : public ::testing::Test {
protected:
    fs::path config() const { return scratch / "config"; }
    fs::path data() const { return scratch / "data"; }
    void msmtp(const std::string& text) {
        ovWriteFile(config() / "msmtp.conf", text);
        fs::permissions(config() / "msmtp.conf", fs::perms::owner_read | fs::perms::owner_write);
    }
    std::string account(const std::string& name, int port) const {
        return "account " + name + "\nhost 127.0.0.1\nport " + std::to_string(port) +
               "\nfrom me@example.org\ntimeout 5\n";
    }
    // `orvida outbox ARGS` as a program of its own.
    ovProcessRun outbox(const std::vector<std::string>& args = {}) const {
        std::vector<std::string> argv = {ORVIDA_BIN_DIR "/orvida", "outbox",   "--data",
                                         data().string(),          "--config", config().string()};
        argv.insert(argv.end(), args.begin(), args.end());
        ovResult<ovProcessRun> run = ovRunProcess(argv, 60000);
        EXPECT_TRUE(run.ok()) << (run.ok() ? "" : run.reason());
        return run.ok() ? run.value() : ovProcessRun{-1, "", ""};
    }
    std::vector<std::string> listed() const {
        std::vector<std::string> lines;
        const std::string out = outbox().out;
        for (size_t at = 0, end; (end = out.find('\n', at)) != std::string::npos; at = end + 1)
            lines.push_back(out.substr(at, end - at));
        return lines;
    }
    static bool has(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }

    ovScratchFolder scratch;
    ovHeadlessSystem system{std::make_unique<ovVirtualClock>(ovSystemTime{2026, 12, 3, 9, 10, 0, 0, 0}),
                            {240, 320},
                            "/usr/bin/orvida"};
    ovMailManager mail{system, config().string(), data().string()};
};

// The port of a server that was there and is gone.
int stoppedPort(const fs::path& folder) {
    ovSmtpTestServer gone(folder, {});
    return gone.port();
}
} // namespace

TEST_F(Outbox, AMessageQueuedWhileTheServerIsAwayGoesOnceWhenItIsBack) {
    ovSmtpTestServer::Options back;
    back.port = stoppedPort(scratch / "gone");
    ASSERT_GT(back.port, 0);
    msmtp(account("home", back.port));
    ASSERT_FALSE(mail.sendMail(u"you@example.org", u"Lunch", u"At noon", u"home").ok());

    std::vector<std::string> lines = listed();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(has(lines[0], "\"account\":\"home\"")) << lines[0];
    EXPECT_TRUE(has(lines[0], "\"recipients\":[\"you@example.org\"]")) << lines[0];
    EXPECT_TRUE(has(lines[0], "\"subject\":\"Lunch\",\"tries\":1,\"lastError\":\"could not reach"))
        << lines[0];
    EXPECT_TRUE(has(lines[0], "\"refused\":false")) << lines[0];
    const std::vector<fs::path> queued = ovFilesIn(data() / "outbox", ".eml");
    ASSERT_EQ(queued.size(), 1u);
    const std::string text = ovReadFile(queued[0]);
    const size_t id = text.find("Message-ID: ");
    ASSERT_NE(id, std::string::npos);
    const std::string messageId = text.substr(id + 12, text.find("\r\n", id) - id - 12);

    ovSmtpTestServer server(scratch / "received", back);
    ASSERT_TRUE(server.running());
    const ovProcessRun sent = outbox({"send"});
    EXPECT_EQ(sent.exitStatus, 0) << sent.out << sent.err;
    EXPECT_EQ(outbox({"send"}).exitStatus, 0);
    EXPECT_TRUE(listed().empty());
    const std::vector<std::string> got = server.received();
    ASSERT_EQ(got.size(), 1u);
    // The very message that was queued, not a new one.
    EXPECT_TRUE(has(got[0], "\"Message-ID\": \"" + messageId + "\"")) << got[0] << " " << messageId;
    EXPECT_TRUE(has(got[0], "\"subject\": \"Lunch\"")) << got[0];
}

TEST_F(Outbox, TwoSendersAtOnceDeliverAMessageOnce) {
    const fs::path hold = scratch / "let-go";
    ovSmtpTestServer::Options held;
    held.port = stoppedPort(scratch / "gone");
    held.holdFile = hold.string();
    msmtp(account("home", held.port));
    ASSERT_FALSE(mail.sendMail(u"you@example.org", u"Once", u"Only once", u"home").ok());

    ovSmtpTestServer server(scratch / "received", held);
    ASSERT_TRUE(server.running());
    // The server keeps the first sender waiting; the second finds the message taken,
    // and only then is the first let go.
    auto first = std::async(std::launch::async, [&] { return outbox({"send"}); });
    auto second = std::async(std::launch::async, [&] { return outbox({"send"}); });
    while (first.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready &&
           second.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready) {
    }
    ovWriteFile(hold, "");
    const ovProcessRun a = first.get(), b = second.get();
    EXPECT_EQ(std::min(a.exitStatus, b.exitStatus), 0) << a.err << b.err;
    EXPECT_EQ(server.received().size(), 1u);
    EXPECT_TRUE(listed().empty());
}

TEST_F(Outbox, RefusedForGoodStaysMarkedAndPutOffIsTriedAgain) {
    ovSmtpTestServer::Options picky;
    picky.refuse = "nobody";
    picky.defer = "later";
    ovSmtpTestServer server(scratch / "received", picky);
    ASSERT_TRUE(server.running());
    msmtp(account("home", server.port()));
    ASSERT_FALSE(mail.sendMail(u"nobody@example.org", u"Refused", u"B", u"home").ok());
    ASSERT_FALSE(mail.sendMail(u"later@example.org", u"Put off", u"B", u"home").ok());

    EXPECT_EQ(outbox({"send"}).exitStatus, 1);
    std::vector<std::string> lines = listed();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(has(lines[0], "\"subject\":\"Refused\",\"tries\":1,")) << lines[0];
    EXPECT_TRUE(has(lines[0], "550")) << lines[0];
    EXPECT_TRUE(has(lines[0], "\"nextTry\":null,\"refused\":true")) << lines[0];
    EXPECT_TRUE(has(lines[1], "\"subject\":\"Put off\",\"tries\":2,")) << lines[1];
    EXPECT_TRUE(has(lines[1], "451")) << lines[1];
    EXPECT_TRUE(has(lines[1], "\"refused\":false")) << lines[1];
    EXPECT_TRUE(server.received().empty());
}
