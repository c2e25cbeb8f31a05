#include "hosts/common/ovOptions.h"

#include <gtest/gtest.h>
#include <vector>

namespace {
ovResult<ovOptions> parse(std::vector<const char*> args) {
    args.insert(args.begin(), "orvida");
    return ovParseOptions(static_cast<int>(args.size()), args.data());
}
} // namespace

TEST(Options, DefaultsAndEveryOption) {
    ovResult<ovOptions> r = parse({});
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.value().screenWidth, 480);
    EXPECT_EQ(r.value().screenHeight, 640);
    EXPECT_FALSE(r.value().headless);

    r = parse({"--headless", "--screen", "240x320", "--data", "/d", "--config", "/c", "--debug", "--script",
               "-", "--now", "2026-12-09T08:30:00"});
    ASSERT_TRUE(r.ok()) << r.reason();
    EXPECT_EQ(r.value().screenWidth, 240);
    EXPECT_EQ(r.value().screenHeight, 320);
    EXPECT_EQ(r.value().dataDir, "/d");
    EXPECT_EQ(r.value().configDir, "/c");
    EXPECT_TRUE(r.value().debug);
    EXPECT_EQ(r.value().script, "-");
    ASSERT_TRUE(r.value().now);
    EXPECT_EQ(r.value().now->hour, 8);
}

TEST(Options, BadValuesAreRefusedWithAReason) {
    EXPECT_NE(parse({"--screen", "480"}).reason().find("WIDTHxHEIGHT"), std::string::npos);
    EXPECT_FALSE(parse({"--screen", "0x640"}).ok());
    EXPECT_FALSE(parse({"--screen", "-4x640"}).ok());
    EXPECT_FALSE(parse({"--screen"}).ok());
    EXPECT_FALSE(parse({"--headless", "--now", "tomorrow"}).ok());
    EXPECT_FALSE(parse({"--headless", "--now", "+202-12-09T10:00:00"}).ok());
    EXPECT_FALSE(parse({"--headless", "--now", "2026- 1-09T10:00:00"}).ok());
    EXPECT_FALSE(parse({"--headless", "--now", " 2026-12-09T10:00:00"}).ok());
    EXPECT_NE(parse({"--script", "x"}).reason().find("--headless"), std::string::npos);
    EXPECT_NE(parse({"--frobnicate"}).reason().find("unknown option"), std::string::npos);
    EXPECT_NE(parse({"--window", "--fullscreen"}).reason().find("exclude"), std::string::npos);
}
