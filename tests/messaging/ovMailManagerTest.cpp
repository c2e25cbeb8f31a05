// The mail manager against a real mail server on 127.0.0.1, real msmtp and Orvida
// configuration files in a test --config folder, and the real SMS providers.
#include "messaging/ovMailManager.h"
#include "messaging/ovSmtpTestServer.h"
#include "services/mail/ovMailMessage.h"
#include "system/ovHeadlessSystem.h"
#include "system/ovUtf.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {
std::vector<std::string> names(const ovMailManager& mail) {
    std::vector<std::string> out;
    for (const ovMailManager::AccountName* n : mail.accounts())
        out.push_back(ovToUtf8(n->view()));
    return out;
}

class MailManager : public ::testing::Test {
protected:
    fs::path config() const { return scratch / "config"; }
    fs::path data() const { return scratch / "data"; }
    std::vector<fs::path> outbox() const { return ovFilesIn(data() / "outbox", ".eml"); }
    // Private, as msmtp wants a file with passwords in it.
    void msmtp(const std::string& text) {
        ovWriteFile(config() / "msmtp.conf", text);
        fs::permissions(config() / "msmtp.conf", fs::perms::owner_read | fs::perms::owner_write);
    }
    // An account on the test server; `timeout 2` keeps a failing case short.
    std::string account(const std::string& name, int port, const std::string& extra = "") const {
        return "account " + name + "\nhost 127.0.0.1\nport " + std::to_string(port) +
               "\nfrom me@example.org\ntimeout 2\n" + extra;
    }

    ovScratchFolder scratch;
    ovHeadlessSystem system{std::make_unique<ovVirtualClock>(ovSystemTime{2026, 12, 3, 9, 10, 0, 0, 0}),
                            {240, 320},
                            "/usr/bin/orvida"};
    ovMailManager mail{system, config().string(), data().string()};
};
} // namespace

TEST(MailAddresses, SplitAtSpacesAndSemicolons) {
    using V = std::vector<std::u16string>;
    EXPECT_EQ(ovMailManager::splitAddresses(u"a;;b"), (V{u"a", u"", u"b"}));
    EXPECT_EQ(ovMailManager::splitAddresses(u"a; b"), (V{u"a", u"b"}));
    EXPECT_EQ(ovMailManager::splitAddresses(u"a b"), (V{u"a", u"b"}));
    EXPECT_EQ(ovMailManager::splitAddresses(u"  a  "), V{u"a"});
    EXPECT_EQ(ovMailManager::splitAddresses(u""), V{});
    EXPECT_EQ(ovMailManager::splitAddresses(u"   "), V{});
}

TEST_F(MailManager, RecipientsAreListedToThenCcThenBcc) {
    ovMailMessage message{ovMailStoreInfo{}};
    ASSERT_EQ(mail.addRecipients(message, u"ann@x.org", u"", u""), ovS_OK);
    ASSERT_EQ(message.recipients().size(), 1u);
    EXPECT_EQ(message.recipients()[0][0].number(), ovMAPI_TO);
    EXPECT_EQ(message.recipients()[0][1].text(), u"SMTP");
    EXPECT_EQ(message.recipients()[0][2].text(), u"ann@x.org");

    ovMailMessage three{ovMailStoreInfo{}};
    ASSERT_EQ(mail.addRecipients(three, u"a@x", u"b@x", u"c@x d@x"), ovS_OK);
    std::vector<uint32_t> types;
    for (const ovMailRow& r : three.recipients())
        types.push_back(r[0].number());
    EXPECT_EQ(types, (std::vector<uint32_t>{ovMAPI_TO, ovMAPI_CC, ovMAPI_BCC, ovMAPI_BCC}));
}

TEST_F(MailManager, AccountsInFileOrderWithSmsLast) {
    msmtp("defaults\nport 587\nfrom me@example.org\n\n"
          "account home\nhost mail.home.example\n\n"
          "account work : home\nhost smtp.work.example\n\n"
          "account club\nhost smtp.club.example\n");
    EXPECT_EQ(mail.loadAccounts(), ovS_OK);
    EXPECT_EQ(names(mail), (std::vector<std::string>{"home", "work", "club", "SMS"}));
    EXPECT_NE(system.debugText().find("Added Account: home\nAdded Account: work\nAdded Account: club\n"
                                      "Added Account: SMS\n"),
              std::string::npos);
    EXPECT_TRUE(system.messages().empty());

    // Loading again starts afresh, and without any configuration only "SMS" is left.
    fs::remove(config() / "msmtp.conf");
    mail.loadAccounts();
    EXPECT_EQ(names(mail), (std::vector<std::string>{"SMS"}));
}

TEST_F(MailManager, MalformedConfigurationNamesTheLineAndKeepsTheRest) {
    msmtp("account home\nhost a.example\n\naccount work\nport twenty-five\n\naccount club\nhost c.example\n");
    mail.loadAccounts();
    EXPECT_EQ(names(mail), (std::vector<std::string>{"home", "club", "SMS"}));
    ASSERT_EQ(system.messages().size(), 1u);
    EXPECT_NE(system.messages()[0].text.find((config() / "msmtp.conf").string() + ":5: 'port'"),
              std::string::npos)
        << system.messages()[0].text;
}

TEST_F(MailManager, LongAccountNamesAreCutAndStillSendTheirMail) {
    fs::create_directories(data());
    ovSmtpTestServer server(scratch / "received", {});
    ASSERT_TRUE(server.running());
    const std::string longName(300, 'n');
    msmtp(account(longName, server.port()));
    mail.loadAccounts();
    ASSERT_EQ(mail.accounts().count(), 2);
    const std::u16string shown(mail.accounts()[0]->view());
    EXPECT_EQ(shown.size(), 255u);
    const ovResult<void> sent = mail.sendMail(u"you@example.org", u"Hi", u"Body", shown);
    EXPECT_TRUE(sent.ok()) << sent.reason();
    EXPECT_EQ(server.received().size(), 1u);
}

TEST_F(MailManager, SendsOneMessageAndEmptiesTheOutbox) {
    ovSmtpTestServer server(scratch / "received", {});
    ASSERT_TRUE(server.running());
    msmtp(account("test", server.port()));
    const ovResult<void> sent =
        mail.sendMail(u"you@example.org", u"Lunch on Friday", u"See you at noon.\nBring the map.", u"test");
    ASSERT_TRUE(sent.ok()) << sent.reason();

    const std::vector<std::string> got = server.received();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_NE(got[0].find("\"to\": [\"you@example.org\"]"), std::string::npos) << got[0];
    EXPECT_NE(got[0].find("\"from\": \"me@example.org\""), std::string::npos);
    EXPECT_NE(got[0].find("\"subject\": \"Lunch on Friday\""), std::string::npos);
    EXPECT_NE(got[0].find("\"body\": \"See you at noon.\\nBring the map.\\n\""), std::string::npos) << got[0];
    EXPECT_TRUE(outbox().empty());
}

TEST_F(MailManager, EverySendFailureSaysWhyAndKeepsTheMessage) {
    ovSmtpTestServer::Options refusing;
    refusing.refuse = "nobody";
    ovSmtpTestServer server(scratch / "received", refusing);
    ASSERT_TRUE(server.running());
    // A server that takes the connection and never says hello.
    const ovSilentServer silent;
    ASSERT_GT(silent.port(), 0);
    ovSmtpTestServer stopped(scratch / "stopped", {});
    const int stoppedPort = stopped.port();
    stopped.stop();

    msmtp(account("plain", server.port()) + "\n" + account("secure", server.port(), "tls on\n") + "\n" +
          account("silent", silent.port(), "timeout 1\n") + "\n" + account("gone", stoppedPort));
    struct Case {
        const char16_t* to;
        const char16_t* account;
        const char* reason;
    } cases[] = {
        {u"nobody@example.org", u"plain", "refused"},
        {u"you@example.org", u"secure", "offers no encryption"},
        {u"you@example.org", u"silent", "did not answer in time"},
        {u"you@example.org", u"gone", "could not reach"},
    };
    size_t kept = 0;
    for (const Case& c : cases) {
        const ovResult<void> sent = mail.sendMail(c.to, u"Subject", u"Body", c.account);
        ASSERT_FALSE(sent.ok()) << ovToUtf8(c.account);
        EXPECT_NE(sent.reason().find(c.reason), std::string::npos) << sent.reason();
        EXPECT_EQ(outbox().size(), ++kept) << "the message through " << ovToUtf8(c.account) << " was lost";
    }
    EXPECT_TRUE(server.received().empty());
    EXPECT_NE(system.debugText().find("CEMAPI: FAILED(80040115)at ovMailManager.cpp:"), std::string::npos);
}

TEST_F(MailManager, NothingWithoutRecipientOrAccountReachesTheServer) {
    ovSmtpTestServer::Options login;
    login.auth = true;
    ovSmtpTestServer server(scratch / "received", login);
    ASSERT_TRUE(server.running());
    msmtp(account("test", server.port()) + "\naccount secret\nhost 127.0.0.1\nport " +
          std::to_string(server.port()) +
          "\nfrom me@example.org\nauth on\nuser me\npasswordeval \"exit 3\"\n");

    const ovResult<void> empty = mail.sendMail(u"", u"Subject", u"Body", u"test");
    ASSERT_FALSE(empty.ok());
    EXPECT_NE(empty.reason().find("no recipient"), std::string::npos) << empty.reason();
    EXPECT_FALSE(mail.sendMail(u" ;; ", u"Subject", u"Body", u"test").ok());
    EXPECT_TRUE(outbox().empty());

    const ovResult<void> unknown = mail.sendMail(u"you@example.org", u"S", u"B", u"nosuch");
    ASSERT_FALSE(unknown.ok());
    EXPECT_NE(unknown.reason().find("no account named 'nosuch'"), std::string::npos) << unknown.reason();

    const ovResult<void> header = mail.sendMail(u"you@example.org\r\nBcc: x@y", u"S", u"B", u"test");
    EXPECT_FALSE(header.ok());

    const ovResult<void> noPassword = mail.sendMail(u"you@example.org", u"S", u"B", u"secret");
    ASSERT_FALSE(noPassword.ok());
    EXPECT_NE(noPassword.reason().find("exited with status 3"), std::string::npos) << noPassword.reason();
    EXPECT_EQ(outbox().size(), 1u);
    EXPECT_TRUE(server.received().empty());
}

// msmtp's rules for logging in: an account that logs in goes only to a server that
// offers a login (as it stands after STARTTLS), and its password command runs only then.
TEST_F(MailManager, AnAccountThatLogsInNeedsAServerThatOffersALogin) {
    const fs::path cert = scratch / "cert.pem", key = scratch / "key.pem";
    ASSERT_TRUE(ovMakeTestCertificate(cert, key));
    ovSmtpTestServer::Options none, plainLogin, tlsLogin;
    none.noAuth = true;
    plainLogin.auth = true;
    tlsLogin.auth = true;
    tlsLogin.certFile = cert.string();
    tlsLogin.keyFile = key.string();
    ovSmtpTestServer noLogin(scratch / "none", none), plain(scratch / "plain", plainLogin),
        secured(scratch / "secured", tlsLogin);
    ASSERT_TRUE(noLogin.running() && plain.running() && secured.running());
    const fs::path ran = scratch / "password-command-ran";
    const std::string login =
        "auth on\nuser me\npasswordeval \"touch '" + ran.string() + "'; echo secret\"\n";
    msmtp(account("nologin", noLogin.port(), login) + "\n" + account("plain", plain.port(), login) + "\n" +
          account("secured", secured.port(), login + "tls on\ntls_trust_file " + cert.string() + "\n"));

    const ovResult<void> refused = mail.sendMail(u"you@example.org", u"S", u"B", u"nologin");
    ASSERT_FALSE(refused.ok());
    EXPECT_NE(refused.reason().find("account 'nologin'"), std::string::npos) << refused.reason();
    EXPECT_NE(refused.reason().find("offers no authentication"), std::string::npos) << refused.reason();
    EXPECT_FALSE(fs::exists(ran)) << "the password command ran for a server that takes no login";
    EXPECT_TRUE(noLogin.received().empty());

    // The login is offered on the plain connection, or only once it is secured.
    for (const char16_t* name : {u"plain", u"secured"}) {
        const ovResult<void> sent = mail.sendMail(u"you@example.org", u"S", u"B", name);
        ASSERT_TRUE(sent.ok()) << sent.reason();
    }
    EXPECT_TRUE(fs::exists(ran));
    ASSERT_EQ(plain.received().size(), 1u);
    EXPECT_NE(plain.received()[0].find("\"login\": \"me\""), std::string::npos) << plain.received()[0];
    ASSERT_EQ(secured.received().size(), 1u);
    EXPECT_NE(secured.received()[0].find("\"login\": \"me\""), std::string::npos) << secured.received()[0];
}

TEST_F(MailManager, AFileWithPasswordsThatOthersCanReadIsRefused) {
    ovSmtpTestServer server(scratch / "received", {});
    ASSERT_TRUE(server.running());
    const fs::path file = config() / "msmtp.conf";
    msmtp(account("test", server.port()) + "\naccount secret : test\nauth on\nuser me\npassword hunter2\n");
    fs::permissions(file, fs::perms::group_read, fs::perm_options::add);

    mail.loadAccounts();
    EXPECT_EQ(names(mail), (std::vector<std::string>{"SMS"}));
    ASSERT_EQ(system.messages().size(), 1u);
    EXPECT_NE(system.messages()[0].text.find(file.string() + ": holds a password"), std::string::npos)
        << system.messages()[0].text;
    EXPECT_NE(system.messages()[0].text.find("(mode 0640)"), std::string::npos) << system.messages()[0].text;
    const ovResult<void> sent = mail.sendMail(u"you@example.org", u"S", u"B", u"test");
    ASSERT_FALSE(sent.ok());
    EXPECT_NE(sent.reason().find("(mode 0640)"), std::string::npos) << sent.reason();
    EXPECT_TRUE(server.received().empty());

    // Without a password in it, the same file is an ordinary one.
    msmtp(account("test", server.port()));
    fs::permissions(file, fs::perms::group_read | fs::perms::others_read, fs::perm_options::add);
    EXPECT_TRUE(mail.sendMail(u"you@example.org", u"S", u"B", u"test").ok());
}

TEST_F(MailManager, StartTlsWithTheAccountsTrustFile) {
    const fs::path cert = scratch / "cert.pem", key = scratch / "key.pem";
    ASSERT_TRUE(ovMakeTestCertificate(cert, key));
    ovSmtpTestServer::Options tls;
    tls.certFile = cert.string();
    tls.keyFile = key.string();
    ovSmtpTestServer server(scratch / "received", tls);
    ASSERT_TRUE(server.running());
    msmtp(account("tls", server.port(), "tls on\ntls_starttls on\ntls_trust_file " + cert.string() + "\n") +
          "\n" + account("untrusted", server.port(), "tls on\n"));

    const ovResult<void> sent = mail.sendMail(u"you@example.org", u"Sealed", u"Only for you", u"tls");
    ASSERT_TRUE(sent.ok()) << sent.reason();
    const std::vector<std::string> got = server.received();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_NE(got[0].find("\"tls\": true"), std::string::npos);
    EXPECT_NE(got[0].find("\"subject\": \"Sealed\""), std::string::npos);
    EXPECT_TRUE(outbox().empty());

    // The same server is not trusted without the test's certificate.
    const ovResult<void> refused =
        mail.sendMail(u"you@example.org", u"Sealed", u"Only for you", u"untrusted");
    ASSERT_FALSE(refused.ok());
    EXPECT_NE(refused.reason().find("no secure connection"), std::string::npos) << refused.reason();
    EXPECT_EQ(outbox().size(), 1u);
}

TEST_F(MailManager, SpooledSmsCarriesNumberTextAndStatusReport) {
    const ovResult<void> sent =
        mail.sendSms(true, true, u"", u"+49 170 1234567", u"Running late, start without me");
    ASSERT_TRUE(sent.ok()) << sent.reason();
    const std::vector<fs::path> spooled = ovFilesIn(data() / "sms-spool", ".sms");
    ASSERT_EQ(spooled.size(), 1u);
    EXPECT_EQ(ovReadFile(spooled[0]),
              "To: +49 170 1234567\nStatus-Report: yes\nClass: 1\n\nRunning late, start without me");

    EXPECT_FALSE(mail.sendSms(true, true, u"", u"", u"to nobody").ok());
    EXPECT_FALSE(mail.sendSms(true, true, u"", u"--help", u"an option, not a number").ok());
    EXPECT_EQ(ovFilesIn(data() / "sms-spool", ".sms").size(), 1u);
}

TEST_F(MailManager, CommandProviderGetsTheNumberAsArgumentAndTheTextOnInput) {
    // Records its arguments, then what it reads on standard input.
    const fs::path script = scratch / "send-sms.sh", record = scratch / "args.txt";
    ovWriteFile(script, "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" \"$ORVIDA_SMS_STATUS_REPORT\" > '" +
                            record.string() + "'\ncat >> '" + record.string() +
                            "'\n[ \"$3\" != fail ] || { echo 'modem busy' >&2; exit 3; }\n");
    fs::permissions(script, fs::perms::owner_all);
    ovWriteFile(config() / "orvida.conf",
                "[other]\nanything goes here\n[sms]\nprovider = command\ncommand = \"" + script.string() +
                    "\" --modem \"first one\"\ntimeout = 5\n");

    const std::u16string text = u"He said \"hi\" & 'bye' $HOME; `date`";
    const ovResult<void> sent = mail.sendSms(false, true, u"", u"+441234", text);
    ASSERT_TRUE(sent.ok()) << sent.reason();
    EXPECT_EQ(ovReadFile(record), "3\n--modem\nfirst one\n+441234\n0\n" + ovToUtf8(text));

    // A text that an option parser would take for "print your help" is never an argument.
    ASSERT_TRUE(mail.sendSms(true, true, u"", u"+441234", u"-h").ok());
    EXPECT_EQ(ovReadFile(record), "3\n--modem\nfirst one\n+441234\n1\n-h");

    const ovResult<void> failed = mail.sendSms(true, true, u"", u"fail", u"text");
    ASSERT_FALSE(failed.ok());
    EXPECT_NE(failed.reason().find("exited with status 3 (modem busy)"), std::string::npos)
        << failed.reason();
    EXPECT_TRUE(ovFilesIn(data() / "sms-spool", ".sms").empty());
}

TEST_F(MailManager, BrokenSmsSettingsAreReportedNotGuessed) {
    ovWriteFile(config() / "orvida.conf", "[sms]\nprovider = modem\n");
    const ovResult<void> sent = mail.sendSms(true, true, u"", u"+441234", u"text");
    ASSERT_FALSE(sent.ok());
    EXPECT_NE(sent.reason().find((config() / "orvida.conf").string() + ":2: the SMS provider"),
              std::string::npos)
        << sent.reason();

    ovWriteFile(config() / "orvida.conf",
                "[sms]\nprovider = command\ncommand = /bin/sh -c \"sleep 5\"\ntimeout = 1\n");
    const ovResult<void> slow = mail.sendSms(true, true, u"", u"+441234", u"text");
    ASSERT_FALSE(slow.ok());
    EXPECT_NE(slow.reason().find("did not finish within 1 s"), std::string::npos) << slow.reason();
    EXPECT_TRUE(ovFilesIn(data() / "sms-spool", ".sms").empty());
}
