// The program's start-up hands --config and --data to the mail manager.
#include "hosts/headless/ovHeadlessHost.h"
#include "messaging/ovSmtpTestServer.h"
#include "system/ovUtf.h"

#include <gtest/gtest.h>

TEST(MailStartup, ConfigAndDataFoldersReachTheMailManager) {
    ovScratchFolder scratch;
    ovWriteFile(scratch / "config/msmtp.conf", "account office\nhost 127.0.0.1\nfrom me@example.org\n");
    ovOptions options;
    options.headless = true;
    options.configDir = (scratch / "config").string();
    options.dataDir = (scratch / "data").string();
    ovHeadlessHost host(options, ORVIDA_BIN_DIR "/orvida");

    ovMailManager* mail = ovMailManager::instance();
    ASSERT_EQ(mail, &host.program().mail());
    mail->loadAccounts();
    ASSERT_EQ(mail->accounts().count(), 2);
    EXPECT_EQ(mail->accounts()[0]->view(), u"office");
    EXPECT_EQ(mail->accounts()[1]->view(), u"SMS");
    ASSERT_TRUE(mail->sendSms(true, true, u"", u"+3161234", u"hi").ok());
    EXPECT_TRUE(std::filesystem::exists(scratch / "data/sms-spool"));
}
