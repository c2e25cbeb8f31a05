#include "services/mail/ovMsmtpConfig.h"

#include <gtest/gtest.h>

TEST(MsmtpConfig, DefaultsAndInheritanceReachEveryAccountInOrder) {
    const ovMsmtpConfig c = ovParseMsmtpConfig("# mail setup\n"
                                               "defaults\n"
                                               "port 587\n"
                                               "tls on\n"
                                               "tls_trust_file /etc/ssl/certs/ca-certificates.crt\n"
                                               "\n"
                                               "account home\n"
                                               "host mail.home.example   # the ISP\n"
                                               "from me@home.example\n"
                                               "auth on\n"
                                               "user me\n"
                                               "password \"two words # not a comment\"\n"
                                               "\n"
                                               "account work : home\n"
                                               "from me@work.example\n"
                                               "tls_starttls off\n"
                                               "port 465\n"
                                               "\n"
                                               "account plain\n"
                                               "host 127.0.0.1\n"
                                               "tls off\n"
                                               "passwordeval gpg -d ~/.pw.gpg\n"
                                               "\n"
                                               "account bare\n"
                                               "host 127.0.0.1\n"
                                               "user someone\n",
                                               "msmtprc");
    EXPECT_TRUE(c.problems.empty());
    ASSERT_EQ(c.accounts.size(), 4u);
    const ovMailAccount &home = c.accounts[0], &work = c.accounts[1], &plain = c.accounts[2];
    EXPECT_EQ(home.name, "home");
    EXPECT_EQ(home.host, "mail.home.example");
    EXPECT_EQ(home.effectivePort(), 587);
    EXPECT_TRUE(home.tls && home.tlsStarttls && home.tlsCertcheck);
    EXPECT_EQ(home.password, "two words # not a comment");
    EXPECT_TRUE(home.wantsAuth());

    EXPECT_EQ(work.name, "work");
    EXPECT_EQ(work.host, "mail.home.example");
    EXPECT_EQ(work.user, "me");
    EXPECT_EQ(work.from, "me@work.example");
    EXPECT_FALSE(work.tlsStarttls);
    EXPECT_EQ(work.effectivePort(), 465);

    EXPECT_EQ(plain.name, "plain");
    EXPECT_FALSE(plain.tls);
    EXPECT_EQ(plain.effectivePort(), 587);
    EXPECT_EQ(plain.tlsTrustFile, "/etc/ssl/certs/ca-certificates.crt");
    EXPECT_FALSE(plain.wantsAuth());
    EXPECT_EQ(plain.passwordEval, "gpg -d ~/.pw.gpg");
    // A user name alone asks for a login.
    EXPECT_TRUE(c.accounts[3].wantsAuth());
}

TEST(MsmtpConfig, BadLinesAreNamedAndOnlyTheirAccountIsLeftOut) {
    const ovMsmtpConfig c = ovParseMsmtpConfig("account a\n"
                                               "host a.example\n"
                                               "account b\n"
                                               "tls maybe\n"
                                               "account c : nowhere\n"
                                               "host c.example\n"
                                               "account a\n"
                                               "host taken.example\n"
                                               "account d\n"
                                               "colour blue\n"
                                               "account e\n"
                                               "password \"unclosed\n"
                                               "account f\n"
                                               "host f.example\n"
                                               "logfile ~/.msmtp.log\n",
                                               "/home/me/.msmtprc");
    ASSERT_EQ(c.accounts.size(), 2u);
    EXPECT_EQ(c.accounts[0].name, "a");
    EXPECT_EQ(c.accounts[0].host, "a.example");
    EXPECT_EQ(c.accounts[1].name, "f");
    ASSERT_EQ(c.problems.size(), 5u);
    EXPECT_EQ(c.problems[0], "/home/me/.msmtprc:4: 'tls' wants 'on' or 'off', not 'maybe'");
    EXPECT_EQ(c.problems[1].rfind("/home/me/.msmtprc:5: account 'c' starts from 'nowhere'", 0), 0u);
    EXPECT_EQ(c.problems[2], "/home/me/.msmtprc:7: account 'a' is defined twice");
    EXPECT_EQ(c.problems[3], "/home/me/.msmtprc:10: unknown command 'colour'");
    EXPECT_EQ(c.problems[4].rfind("/home/me/.msmtprc:12:", 0), 0u);
}

TEST(MsmtpConfig, WhereTheFileIsLookedFor) {
    EXPECT_EQ(ovMsmtpConfigFile("/tmp/cfg"), "/tmp/cfg/msmtp.conf");
    const ovMsmtpConfig none = ovReadMsmtpConfig("/nonexistent/orvida/msmtp.conf");
    EXPECT_TRUE(none.accounts.empty());
    EXPECT_TRUE(none.problems.empty());
}
