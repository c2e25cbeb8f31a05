#include "hosts/common/ovOptions.h"

#include <gtest/gtest.h>
#include <vector>

namespace {
ovOptionsResult parse(std::vector<const char*> args) {
    args.insert(args.begin(), "orvida");
    return ovParseOptions(static_cast<int>(args.size()), args.data());
}
} // namespace

TEST(Options, DefaultsAndEveryOption) {
    ovOptionsResult r = parse({});
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.options.screenWidth, 480);
    EXPECT_EQ(r.options.screenHeight, 640);
    EXPECT_FALSE(r.options.headless);

    r = parse({"--headless", "--screen", "240x320", "--data", "/d", "--config", "/c", "--debug", "--script",
               "-", "--now", "2026-12-09T08:30:00"});
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.options.screenWidth, 240);
    EXPECT_EQ(r.options.screenHeight, 320);
    EXPECT_EQ(r.options.dataDir, "/d");
    EXPECT_EQ(r.options.configDir, "/c");
    EXPECT_TRUE(r.options.debug);
    EXPECT_EQ(r.options.script, "-");
    ASSERT_TRUE(r.options.now);
    EXPECT_EQ(r.options.now->hour, 8);
}

TEST(Options, BadValuesAreRefusedWithAReason) {
    EXPECT_NE(parse({"--screen", "480"}).error.find("WIDTHxHEIGHT"), std::string::npos);
    EXPECT_FALSE(parse({"--screen", "0x640"}).ok);
    EXPECT_FALSE(parse({"--screen", "-4x640"}).ok);
    EXPECT_FALSE(parse({"--screen"}).ok);
    EXPECT_FALSE(parse({"--headless", "--now", "tomorrow"}).ok);
    EXPECT_NE(parse({"--script", "x"}).error.find("--headless"), std::string::npos);
    EXPECT_NE(parse({"--frobnicate"}).error.find("unknown option"), std::string::npos);
}
