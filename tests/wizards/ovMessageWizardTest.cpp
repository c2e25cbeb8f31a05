// The message wizard through the running program, from the home screen's Message
// button to a real mail server on 127.0.0.1 (accounts from a --config msmtp file) or
// the SMS spool, touching only where the screens' geometry puts their rows and keys.
#include "wizards/ovWizardDriver.h"

#include "messaging/ovMailManager.h"
#include "messaging/ovMsgAcctPicker.h"
#include "messaging/ovSmtpTestServer.h"
#include "pickers/ovContactPicker.h"
#include "pickers/ovContactPickerLayout.h"
#include "pickers/ovInfoDisplay.h"
#include "system/ovUtf.h"
#include "wizards/ovMessagingSystem.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

namespace fs = std::filesystem;

namespace {
bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class MessageWizard : public ::testing::Test {
protected:
    // The server, an msmtp file with the account "work" on it (with workLines added),
    // the accounts of moreAccounts after it (then "SMS"), and the contacts John (both
    // ways), Joan (mobile only) and Jorge (e-mail only).
    void start(int width = 240, int height = 320, const ovSmtpTestServer::Options& options = {},
               const std::string& workLines = "", const std::string& moreAccounts = "") {
        server = std::make_unique<ovSmtpTestServer>(scratch / "received", options);
        ASSERT_TRUE(server->running());
        ovWriteFile(scratch / "config/msmtp.conf",
                    "account work\nhost 127.0.0.1\nport " + std::to_string(server->port()) +
                        "\nfrom me@example.org\ntimeout 2\n" + workLines + "\n" + moreAccounts);
        for (size_t at = moreAccounts.find("account "); at != std::string::npos;
             at = moreAccounts.find("account ", at + 1))
            ++sms;
        d = std::make_unique<ovWizardDriver>(width, height, (scratch / "config").string());
        d->pim({"add-contact", "--file-as", "John", "--mobile", "+49 170 1234567", "--email",
                "john@example.org"});
        d->pim({"add-contact", "--file-as", "Joan", "--mobile", "+44 20 7946"});
        d->pim({"add-contact", "--file-as", "Jorge", "--email", "jorge@example.org"});
        wizard = ovMessagingSystem::instance();
        ASSERT_NE(wizard, nullptr);
    }

    // Row i of the contact or account list (they share one screen).
    void pickRow(int i) {
        d->tap(ovWizardDriver::centre(ovContactPickerLayout::rowRect(i, d->right(), d->bottom())));
    }
    // From the home screen to the account list: "jo", the contact in that row (Joan,
    // John, Jorge), "lunch" and "see you at noon".
    void toAccounts(int contactRow) {
        d->startWizard(u"Message");
        d->type("jo");
        d->ok();
        pickRow(contactRow);
        d->type("lunch");
        d->ok();
        d->type("see you at noon");
        d->ok();
    }
    ovInfoDisplay* display() { return dynamic_cast<ovInfoDisplay*>(d->current()); }
    // Ticks until the e-mail on its way has gone or failed and the program has heard.
    void settle() {
        ovMailManager* mail = ovMailManager::instance();
        ASSERT_NE(mail, nullptr);
        for (int i = 0; i < 3000 && mail->sending(); ++i) {
            d->run("wait 10");
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        ASSERT_FALSE(mail->sending());
        d->run("wait 10");
    }
    std::vector<fs::path> outbox() const { return ovFilesIn(fs::path(d->folder()) / "outbox", ".eml"); }
    std::vector<fs::path> spool() const { return ovFilesIn(fs::path(d->folder()) / "sms-spool", ".sms"); }

    static constexpr int joan = 0, john = 1, jorge = 2;
    static constexpr int work = 0;
    int sms = 1;

    ovScratchFolder scratch;
    std::unique_ptr<ovSmtpTestServer> server;
    std::unique_ptr<ovWizardDriver> d;
    ovMessagingSystem* wizard = nullptr;
};

class MessageWizardOnScreen : public MessageWizard,
                              public ::testing::WithParamInterface<std::pair<int, int>> {};
} // namespace

TEST_P(MessageWizardOnScreen, AnEmailToJohnReachesTheServerAndLeavesTheOutbox) {
    start(GetParam().first, GetParam().second);
    d->startWizard(u"Message");
    ASSERT_EQ(d->current(), wizard->nameKeyboard);
    d->type("jo");
    d->ok();
    ASSERT_EQ(d->current(), wizard->contactPicker);
    EXPECT_EQ(ovToUtf8(wizard->contactPicker->countText()), "3");
    pickRow(john);
    ASSERT_EQ(d->current(), wizard->subjectKeyboard);
    d->type("lunch");
    d->ok();
    d->type("see you at noon");
    d->ok();
    ASSERT_EQ(d->current(), wizard->accountPicker);
    pickRow(work);
    ASSERT_NE(display(), nullptr);
    EXPECT_FALSE(display()->failed()) << ovToUtf8(display()->shownText());
    settle();
    EXPECT_TRUE(contains(ovToUtf8(display()->shownText()), "was sent")) << ovToUtf8(display()->shownText());

    const std::vector<std::string> got = server->received();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_TRUE(contains(got[0], "\"to\": [\"john@example.org\"]")) << got[0];
    EXPECT_TRUE(contains(got[0], "\"subject\": \"Lunch\"")) << got[0];
    EXPECT_TRUE(contains(got[0], "\"body\": \"See you at noon\\n\"")) << got[0];
    EXPECT_TRUE(outbox().empty());
    EXPECT_TRUE(spool().empty());
    // Sent: the keyboards start empty next time.
    EXPECT_TRUE(wizard->nameKeyboard->inputText.empty());
    EXPECT_TRUE(wizard->subjectKeyboard->inputText.empty());
    EXPECT_TRUE(wizard->messageKeyboard->inputText.empty());
    d->tapScreen();
    EXPECT_EQ(d->current()->nodeId, ovHomeScreenId);
}

INSTANTIATE_TEST_SUITE_P(Sizes, MessageWizardOnScreen,
                         ::testing::Values(std::pair{240, 320}, std::pair{480, 640}));

TEST_F(MessageWizard, TheSmsAccountSpoolsTheTextToTheMobileNumberWithoutSubject) {
    start();
    toAccounts(john);
    pickRow(sms);
    ASSERT_NE(display(), nullptr);
    EXPECT_FALSE(display()->failed()) << ovToUtf8(display()->shownText());
    const std::vector<fs::path> spooled = spool();
    ASSERT_EQ(spooled.size(), 1u);
    EXPECT_EQ(ovReadFile(spooled[0]), "To: +49 170 1234567\nStatus-Report: yes\nClass: 1\n\nSee you at noon");
    EXPECT_TRUE(server->received().empty());
}

TEST_F(MessageWizard, AStartTlsAccountSendsOnlyOverTheSealedLine) {
    const fs::path cert = scratch / "cert.pem", key = scratch / "key.pem";
    ASSERT_TRUE(ovMakeTestCertificate(cert, key));
    ovSmtpTestServer::Options tls;
    tls.certFile = cert.string();
    tls.keyFile = key.string();
    start(240, 320, tls, "tls on\ntls_starttls on\ntls_trust_file " + cert.string() + "\n");
    toAccounts(john);
    pickRow(work);
    settle();
    ASSERT_NE(display(), nullptr);
    EXPECT_FALSE(display()->failed()) << ovToUtf8(display()->shownText());
    const std::vector<std::string> got = server->received();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_TRUE(contains(got[0], "\"tls\": true")) << got[0];
    EXPECT_TRUE(contains(got[0], "\"to\": [\"john@example.org\"]")) << got[0];
    EXPECT_TRUE(outbox().empty());
}

TEST_F(MessageWizard, AMessageThatDidNotGoIsReportedAndKept) {
    ovSmtpTestServer::Options refusing;
    refusing.refuse = "jorge";
    const ovSilentServer silent;
    ASSERT_GT(silent.port(), 0);
    // "secure" asks for TLS from a server that offers none; "silent" never greets.
    start(240, 320, refusing, "",
          "account secure : work\ntls on\n\naccount silent : work\nport " + std::to_string(silent.port()) +
              "\ntimeout 1\n");
    const int secure = 1, mute = 2;
    struct Case {
        int contact;
        int account;
        const char* reason;
        size_t outboxAfter;
        bool stopServer;
    } cases[] = {
        {joan, work, "Joan has no e-mail address", 0, false}, // never handed to the server
        {jorge, sms, "Jorge has no mobile number", 0, false},
        {jorge, work, "refused", 1, false},
        {john, secure, "offers no encryption", 2, false},
        {john, mute, "did not answer in time", 3, false},
        {john, work, "could not reach", 4, true},
    };
    for (const Case& c : cases) {
        if (c.stopServer)
            server->stop();
        const size_t before = outbox().size();
        toAccounts(c.contact);
        pickRow(c.account);
        settle();
        ASSERT_NE(display(), nullptr) << c.reason;
        EXPECT_TRUE(display()->failed()) << c.reason;
        const std::string shown = ovToUtf8(display()->shownText());
        EXPECT_TRUE(contains(shown, "not sent")) << shown;
        EXPECT_TRUE(contains(shown, c.reason)) << shown;
        EXPECT_EQ(outbox().size(), c.outboxAfter) << c.reason;
        // A message that could not even be queued keeps everything typed; one in the
        // outbox is kept there. The screen answers the next tap and the program goes on
        // to the home screen.
        const bool queued = c.outboxAfter > before;
        EXPECT_EQ(wizard->subjectKeyboard->inputText.str(), queued ? u"" : u"Lunch");
        EXPECT_EQ(wizard->messageKeyboard->inputText.str(), queued ? u"" : u"See you at noon");
        d->tapScreen();
        ASSERT_EQ(d->current()->nodeId, ovHomeScreenId);
        // The next attempt types afresh.
        wizard->reset(d->nav());
    }
    EXPECT_TRUE(spool().empty());
    EXPECT_TRUE(server->received().empty());
}

TEST_F(MessageWizard, TheCommandProviderGetsTheMobileNumberAndTheTextOnItsInput) {
    start();
    const fs::path script = scratch / "send-sms.sh", record = scratch / "args.txt";
    ovWriteFile(script, "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > '" + record.string() + "'\ncat >> '" +
                            record.string() + "'\n");
    fs::permissions(script, fs::perms::owner_all);
    ovWriteFile(scratch / "config/orvida.conf",
                "[sms]\nprovider = command\ncommand = " + script.string() + "\n");
    toAccounts(john);
    pickRow(sms);
    ASSERT_NE(display(), nullptr);
    EXPECT_FALSE(display()->failed()) << ovToUtf8(display()->shownText());
    EXPECT_EQ(ovReadFile(record), "1\n+49 170 1234567\nSee you at noon");
    EXPECT_TRUE(spool().empty());
    EXPECT_TRUE(server->received().empty());
}

TEST_F(MessageWizard, BackFromTheTextKeyboardsLeadsUpTheLine) {
    start();
    d->startWizard(u"Message");
    d->type("jo");
    d->ok();
    pickRow(john);
    ASSERT_EQ(d->current(), wizard->subjectKeyboard);
    d->keyboardBack();
    EXPECT_EQ(d->current(), wizard->nameKeyboard);
    EXPECT_EQ(wizard->nameKeyboard->inputText.str(), u"Jo");

    d->ok();
    pickRow(john);
    d->ok();
    ASSERT_EQ(d->current(), wizard->messageKeyboard);
    d->keyboardBack();
    EXPECT_EQ(d->current(), wizard->contactPicker);
    EXPECT_EQ(ovToUtf8(wizard->contactPicker->countText()), "3");
}

TEST_F(MessageWizard, EachArrivalSendsOnceAndALongPressEmptiesTheKeyboards) {
    start();
    toAccounts(john);
    pickRow(work);
    // Ticks and repaints on the info display send nothing more.
    d->run("wait 500");
    settle();
    EXPECT_EQ(server->received().size(), 1u);
    d->tapScreen();
    EXPECT_EQ(server->received().size(), 1u);
    toAccounts(john);
    pickRow(work);
    settle();
    EXPECT_EQ(server->received().size(), 2u);
    d->tapScreen();

    d->startWizard(u"Message");
    d->type("jo");
    d->ok();
    pickRow(john);
    d->type("later");
    ASSERT_EQ(wizard->subjectKeyboard->inputText.str(), u"Later");
    d->run("hold 20 10 1500");
    EXPECT_EQ(d->current()->nodeId, ovHomeScreenId);
    EXPECT_TRUE(wizard->nameKeyboard->inputText.empty());
    EXPECT_TRUE(wizard->subjectKeyboard->inputText.empty());
    EXPECT_EQ(server->received().size(), 2u);
}

// A server that keeps its greeting back until the test lets go: the send is answered at
// once, every touch after it too, and what became of the message shows when the server
// answers: on the display while it is shown, as a notification once it is gone.
TEST_F(MessageWizard, ASlowServerNeverHoldsTheScreen) {
    const fs::path letGo = scratch / "let-go";
    ovSmtpTestServer::Options held;
    held.holdFile = letGo.string();
    start(240, 320, held, "timeout 10\n");
    ovApp& app = d->program().app();
    // Finger down and up at p with no time passing: the frames drawn from the lift until
    // the screen answered, counted tick by tick.
    auto framesToAnswer = [&](ovPoint p, const std::function<bool()>& answered) {
        d->run("down " + std::to_string(p.x) + " " + std::to_string(p.y));
        const int before = app.repaintCount;
        d->run("up " + std::to_string(p.x) + " " + std::to_string(p.y));
        for (int tick = 0; tick < 100 && !answered(); ++tick)
            d->run("wait 10");
        return answered() ? app.repaintCount - before : -1;
    };
    const ovPoint screenCentre{d->right() / 2, d->bottom() / 2};
    const ovPoint messageButton =
        ovWizardDriver::centre(d->homeArea(ovHomeLayout::buttons[ovHomeLayout::messageButton].touch));

    toAccounts(john);
    EXPECT_LE(
        framesToAnswer(ovWizardDriver::centre(ovContactPickerLayout::rowRect(work, d->right(), d->bottom())),
                       [&] { return display() != nullptr; }),
        1);
    EXPECT_TRUE(contains(ovToUtf8(display()->shownText()), "on its way")) << ovToUtf8(display()->shownText());
    EXPECT_FALSE(display()->failed());
    d->run("wait 500");
    ASSERT_TRUE(ovMailManager::instance()->sending());
    EXPECT_TRUE(contains(ovToUtf8(display()->shownText()), "on its way"));
    // Let go: the outcome replaces the text on the display still shown.
    ovWriteFile(letGo, "");
    settle();
    EXPECT_TRUE(contains(ovToUtf8(display()->shownText()), "was sent")) << ovToUtf8(display()->shownText());
    EXPECT_EQ(server->received().size(), 1u);

    // Held again; this time the user goes on before the server answers.
    fs::remove(letGo);
    d->tapScreen();
    toAccounts(john);
    pickRow(work);
    ASSERT_TRUE(ovMailManager::instance()->sending());
    EXPECT_LE(framesToAnswer(screenCentre, [&] { return d->current()->nodeId == ovHomeScreenId; }), 1);
    EXPECT_LE(framesToAnswer(messageButton, [&] { return d->current()->nodeId != ovHomeScreenId; }), 1);
    EXPECT_TRUE(ovMailManager::instance()->sending());
    const size_t told = d->program().host().notifications().notifications().size();
    ovWriteFile(letGo, "");
    settle();
    const auto& notes = d->program().host().notifications().notifications();
    ASSERT_EQ(notes.size(), told + 1);
    EXPECT_EQ(notes.back().summary, "Message sent");
    EXPECT_TRUE(contains(notes.back().body, "john@example.org")) << notes.back().body;
    EXPECT_EQ(server->received().size(), 2u);
    EXPECT_TRUE(outbox().empty());
}

// A message written while the server is away goes by itself once it is back: by the
// running program after its pause, and by the program's next start; once each.
TEST_F(MessageWizard, TheRunningProgramSendsWhatWaitsOnceTheServerIsBack) {
    start();
    ovSmtpTestServer::Options back;
    back.port = server->port();
    server->stop();
    for (int i = 0; i < 2; ++i) {
        toAccounts(john);
        pickRow(work);
        settle();
        ASSERT_TRUE(display()->failed());
        EXPECT_TRUE(contains(ovToUtf8(display()->shownText()), "will be tried again"))
            << ovToUtf8(display()->shownText());
        d->tapScreen();
    }
    ASSERT_EQ(outbox().size(), 2u);
    server = std::make_unique<ovSmtpTestServer>(scratch / "received", back);
    ASSERT_TRUE(server->running());

    // Half a minute on, nothing is due yet; after the first pause the running program
    // tries both again.
    d->run("wait 30000");
    settle();
    EXPECT_TRUE(server->received().empty());
    d->run("wait 50000");
    settle();
    EXPECT_EQ(server->received().size(), 2u);
    EXPECT_TRUE(outbox().empty());
    const auto& notes = d->program().host().notifications().notifications();
    ASSERT_FALSE(notes.empty()) << d->program().system().debugText();
    EXPECT_EQ(notes.back().summary, "Message sent");
    d->run("wait 70000");
    settle();
    EXPECT_EQ(server->received().size(), 2u);

    // Away again: the message waits for the program's next start.
    server->stop();
    toAccounts(john);
    pickRow(work);
    settle();
    ASSERT_EQ(outbox().size(), 1u);
    server = std::make_unique<ovSmtpTestServer>(scratch / "received2", back);
    d->pim({"list", "contacts"});
    settle();
    EXPECT_EQ(server->received().size(), 1u);
    EXPECT_TRUE(outbox().empty());
}
