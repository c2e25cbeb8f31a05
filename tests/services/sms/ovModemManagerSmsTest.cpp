// Text messages through ModemManager, against a stand-in that answers on a private bus
// as the real service does on the system bus.
#include "hosts/outbox/ovOutboxTool.h"
#include "services/sms/ovModemManagerStandIn.h"
#include "services/sms/ovSmsRecords.h"
#include "services/sms/ovSmsService.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {
class ModemManagerSms : public ::testing::Test {
protected:
    static void TearDownTestSuite() { modem.reset(); }

    void start(const std::string& mode, const std::string& settings = "") {
        if (!ovModemManagerStandIn::busDaemonInstalled())
            GTEST_SKIP() << "dbus-daemon is not installed (scripts/install-deps.sh installs it)";
        if (!modem)
            modem = std::make_unique<ovModemManagerStandIn>();
        ASSERT_TRUE(modem->running()) << "the ModemManager stand-in did not start";
        modem->setMode(mode);
        const fs::path test =
            modem->folder() / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        config = (test / "config").string();
        data = (test / "data").string();
        fs::create_directories(config);
        if (!settings.empty())
            std::ofstream(test / "config" / "orvida.conf") << settings;
    }
    ovResult<uint32_t> send(const std::string& number, const std::u16string& text) {
        auto sms = ovSmsService::open(ovSmsService::textProvider, ovSMS_MODE_SEND, {config, data});
        if (!sms)
            return sms.error();
        ovSmsAddress to;
        to.address = std::u16string(number.begin(), number.end());
        ovSmsProviderData report;
        report.messageOptions = ovPS_MESSAGE_OPTION_STATUSREPORT;
        return sms.value()->sendMessage(nullptr, to, text.data(), text.size() * 2, report, ovSMSDE_OPTIMAL,
                                        ovSMS_OPTION_DELIVERY_NONE);
    }

    static std::unique_ptr<ovModemManagerStandIn> modem;
    std::string config, data;
};
std::unique_ptr<ovModemManagerStandIn> ModemManagerSms::modem;
} // namespace

// With no provider configured and ModemManager on the bus, the message goes to the modem.
TEST_F(ModemManagerSms, OneCreateOneSendThenDeliveredWhenTheReportComes) {
    start("");
    const ovResult<uint32_t> sent = send("+49 170 1234567", u"Running late -h");
    ASSERT_TRUE(sent.ok()) << sent.reason();
    EXPECT_FALSE(fs::exists(ovSmsService::spoolFolder(data)));

    ASSERT_TRUE(ovSmsService::followDeliveries(data, 20000).ok());
    const std::vector<ovSmsRecord> records = ovSmsRecords::list(data);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(
        modem->calls(),
        (std::vector<std::string>{
            R"({"call": "Create", "object": "/org/freedesktop/ModemManager1/Modem/0", "properties": )"
            R"({"delivery-report-request": true, "number": "+49 170 1234567", "text": "Running late -h"}})",
            R"({"call": "Send", "object": ")" + records[0].modemObject + R"("})"}));
    EXPECT_STREQ(ovSmsStateName(records[0].state), "delivered");
    EXPECT_EQ(records[0].number, "+49 170 1234567");
    EXPECT_EQ(records[0].excerpt(), "Running late -h");
    EXPECT_EQ(records[0].tries, 1);
    EXPECT_EQ(modem->calls().size(), 2u) << "following the delivery sends nothing again";

    // The outbox listing shows it delivered, and asking sends nothing again.
    std::ostringstream out, err;
    EXPECT_EQ(ovRunOutboxTool({"outbox", "--data", data, "--config", config}, out, err), 0) << err.str();
    EXPECT_NE(out.str().find(R"("recipients":["+49 170 1234567"],"subject":"Running late -h")"),
              std::string::npos)
        << out.str();
    EXPECT_NE(out.str().find(R"("state":"delivered"})"), std::string::npos) << out.str();
    EXPECT_EQ(modem->calls().size(), 2u);
}

TEST_F(ModemManagerSms, AFailedSendIsToldWithModemManagersError) {
    start("send-fails", "[sms]\nprovider = modemmanager\n");
    const ovResult<uint32_t> sent = send("+441234", u"Are you there?");
    ASSERT_FALSE(sent.ok());
    const std::string name = "org.freedesktop.ModemManager1.Error.Message.NetworkTimeout: Network timeout";
    EXPECT_NE(sent.reason().find(name), std::string::npos) << sent.reason();
    ASSERT_TRUE(ovSmsService::followDeliveries(data, 0).ok());
    const std::vector<ovSmsRecord> records = ovSmsRecords::list(data);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_STREQ(ovSmsStateName(records[0].state), "failed");
    EXPECT_NE(records[0].lastError.find(name), std::string::npos) << records[0].lastError;
    EXPECT_EQ(modem->calls().size(), 2u);
}

TEST_F(ModemManagerSms, ADeliveryReportThatNeverComesLeavesTheMessageSent) {
    start("no-delivery-report", "[sms]\nprovider = modemmanager\n");
    ASSERT_TRUE(send("+441234", u"Hello").ok());
    ASSERT_TRUE(ovSmsService::followDeliveries(data, 1000).ok());
    const std::vector<ovSmsRecord> records = ovSmsRecords::list(data);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_STREQ(ovSmsStateName(records[0].state), "sent");
    EXPECT_EQ(records[0].lastError, "");
}
