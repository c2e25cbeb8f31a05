#include "hosts/pim/ovPimTool.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

class ovPimToolTest : public ::testing::Test {
protected:
    ovPimToolTest() {
        std::string pattern = (fs::temp_directory_path() / "ovPimToolTest-XXXXXX").string();
        root_ = mkdtemp(pattern.data());
        data = root_ + "/data";
    }
    ~ovPimToolTest() override { fs::remove_all(root_); }

    // Runs `pim --data DATA args...`; keeps what it printed.
    int run(std::vector<std::string> args) {
        args.insert(args.begin(), {"pim", "--data", data});
        std::ostringstream out, err;
        const int code = ovRunPimTool(args, out, err);
        output = out.str();
        errors = err.str();
        return code;
    }

    std::string root_;
    std::string data;
    std::string output;
    std::string errors;
};

} // namespace

TEST_F(ovPimToolTest, ContactsRoundTripWithEveryProperty) {
    ASSERT_EQ(run({"add-contact", "--file-as", "Doe, Jane", "--first", "Jane", "--home", "01", "--mobile",
                   "02", "--work", "03", "--fax", "04", "--email", "jane@example.org"}),
              0)
        << errors;
    ASSERT_EQ(run({"add-contact", "--file-as=Adams"}), 0) << errors;
    ASSERT_EQ(run({"list", "contacts"}), 0) << errors;
    EXPECT_EQ(output, "{\"fileAs\":\"Adams\",\"firstName\":\"\",\"home\":\"\",\"mobile\":\"\",\"work\":\"\","
                      "\"fax\":\"\",\"email\":\"\"}\n"
                      "{\"fileAs\":\"Doe, Jane\",\"firstName\":\"Jane\",\"home\":\"01\",\"mobile\":\"02\","
                      "\"work\":\"03\",\"fax\":\"04\",\"email\":\"jane@example.org\"}\n");
}

TEST_F(ovPimToolTest, AppointmentsRoundTripInStartOrderWithIsoDates) {
    ASSERT_EQ(run({"add-appointment", "--start", "2024-05-02T14:30:00", "--end", "2024-05-02T16:00:00",
                   "--subject", "Review", "--location", "Room 4", "--reminder", "5"}),
              0)
        << errors;
    ASSERT_EQ(run({"add-appointment", "--start", "2024-05-01T09:00:00", "--end", "2024-05-01T09:00:00"}), 0)
        << errors;
    ASSERT_EQ(run({"list", "appointments"}), 0) << errors;
    EXPECT_EQ(output,
              "{\"start\":\"2024-05-01T09:00:00\",\"end\":\"2024-05-01T09:00:00\",\"subject\":\"\","
              "\"location\":\"\",\"duration\":0,\"reminderMinutes\":15,\"reminderSet\":true}\n"
              "{\"start\":\"2024-05-02T14:30:00\",\"end\":\"2024-05-02T16:00:00\",\"subject\":\"Review\","
              "\"location\":\"Room 4\",\"duration\":90,\"reminderMinutes\":5,\"reminderSet\":true}\n");
}

TEST_F(ovPimToolTest, TasksRoundTripWithReminderAsDateOrMinutes) {
    ASSERT_EQ(run({"add-task", "--start", "2024-05-02T09:15:00", "--due", "2024-05-02T10:15:00", "--subject",
                   "Pay rent", "--importance", "2", "--reminder", "15"}),
              0)
        << errors;
    ASSERT_EQ(run({"add-task", "--start", "2024-05-03T08:00:00", "--due", "2024-05-04T08:00:00", "--reminder",
                   "2024-05-03T07:00:00"}),
              0)
        << errors;
    ASSERT_EQ(run({"add-task", "--start", "2024-05-03T08:00:00", "--due", "2024-05-04T08:00:00"}), 0)
        << errors;
    ASSERT_EQ(run({"list", "tasks"}), 0) << errors;
    EXPECT_EQ(output, "{\"subject\":\"Pay rent\",\"importance\":2,\"start\":\"2024-05-02T09:15:00\",\"due\":"
                      "\"2024-05-02T10:15:00\",\"reminder\":\"2024-05-02T09:00:00\",\"reminderSet\":true}\n"
                      "{\"subject\":\"\",\"importance\":1,\"start\":\"2024-05-03T08:00:00\",\"due\":\"2024-"
                      "05-04T08:00:00\","
                      "\"reminder\":\"2024-05-03T07:00:00\",\"reminderSet\":true}\n"
                      "{\"subject\":\"\",\"importance\":1,\"start\":\"2024-05-03T08:00:00\",\"due\":\"2024-"
                      "05-04T08:00:00\","
                      "\"reminder\":null,\"reminderSet\":false}\n");
}

TEST_F(ovPimToolTest, TextsAreEscapedForJsonAndKeptAsUtf8) {
    ASSERT_EQ(run({"add-contact", "--file-as", "Say \"hi\"\\\n\tCafé ☕ 😀\x01"}), 0) << errors;
    ASSERT_EQ(run({"list", "contacts"}), 0);
    EXPECT_EQ(output.substr(0, output.find(",\"firstName\"")),
              "{\"fileAs\":\"Say \\\"hi\\\"\\\\\\n\\tCafé ☕ 😀\\u0001\"");
}

TEST_F(ovPimToolTest, BadCommandsOptionsAndDatesExitWithTwoAndWriteNothing) {
    const std::vector<std::vector<std::string>> refused = {
        {},
        {"frobnicate"},
        {"list"},
        {"list", "notes"},
        {"list", "contacts", "extra"},
        {"add-contact", "--nickname", "x"},
        {"add-contact", "--file-as"},
        {"add-contact", "--file-as", "\xFF\xFE"},
        {"add-appointment", "--start", "2024-05-01T09:00:00"},
        {"add-appointment", "--start", "tomorrow", "--end", "2024-05-01T09:00:00"},
        {"add-appointment", "--start", "2024-02-30T09:00:00", "--end", "2024-03-01T09:00:00"},
        {"add-appointment", "--start", "2024-05-01T09:00", "--end", "2024-05-01T10:00:00"},
        {"add-appointment", "--start", "2024-05-01T10:00:00", "--end", "2024-05-01T09:00:00"},
        {"add-appointment", "--start", "2024-05-01T09:00:00", "--end", "2024-05-01T10:00:00", "--reminder",
         "-5"},
        {"add-task", "--start", "2024-05-01T09:00:00", "--due", "2024-05-01T10:00:00", "--importance", "3"},
        {"add-task", "--start", "2024-05-01T09:00:00", "--due", "2024-05-01T10:00:00", "--reminder", "soon"},
        {"add-task", "--due", "2024-05-01T10:00:00"},
    };
    for (const auto& args : refused) {
        std::string shown;
        for (const auto& a : args)
            shown += a + " ";
        EXPECT_EQ(run(args), 2) << shown;
        EXPECT_NE(errors.find("orvida pim: "), std::string::npos) << shown;
        EXPECT_EQ(output, "") << shown;
    }
    EXPECT_FALSE(fs::exists(data)) << "a refused command must not create the store";

    std::ostringstream out, err;
    EXPECT_EQ(ovRunPimTool({"pim", "--verbose", "list", "contacts"}, out, err), 2);
    EXPECT_EQ(ovRunPimTool({"pim", "--data"}, out, err), 2);
}

TEST_F(ovPimToolTest, AStoreThatWillNotOpenExitsWithOneNamingTheFile) {
    fs::create_directories(data);
    std::ofstream(data + "/orvida.sqlite") << std::string(300, '#');
    EXPECT_EQ(run({"list", "contacts"}), 1);
    EXPECT_NE(errors.find(data + "/orvida.sqlite"), std::string::npos) << errors;
}

TEST_F(ovPimToolTest, ArgvEntryPrintsToStandardOutputAndFindsTheDefaultFolder) {
    const char* saved = std::getenv("XDG_DATA_HOME");
    const std::string keep = saved != nullptr ? saved : "";
    setenv("XDG_DATA_HOME", root_.c_str(), 1);
    std::vector<std::string> add = {"pim", "add-contact", "--file-as", "Default"};
    std::vector<std::string> list = {"pim", "list", "contacts"};
    auto argv = [](std::vector<std::string>& args) {
        std::vector<char*> out;
        for (auto& a : args)
            out.push_back(a.data());
        return out;
    };
    auto addArgv = argv(add);
    auto listArgv = argv(list);
    EXPECT_EQ(ovRunPimTool(static_cast<int>(addArgv.size()), addArgv.data()), 0);
    testing::internal::CaptureStdout();
    EXPECT_EQ(ovRunPimTool(static_cast<int>(listArgv.size()), listArgv.data()), 0);
    const std::string printed = testing::internal::GetCapturedStdout();
    if (saved != nullptr)
        setenv("XDG_DATA_HOME", keep.c_str(), 1);
    else
        unsetenv("XDG_DATA_HOME");
    EXPECT_TRUE(fs::exists(root_ + "/orvida/orvida.sqlite"));
    EXPECT_EQ(printed.substr(0, 22), "{\"fileAs\":\"Default\",\"f");
}
