#include "hosts/headless/ovScript.h"

#include <gtest/gtest.h>

namespace {
ovScriptCommand parse(const std::string& line) {
    ovResult<ovScriptCommand> c = ovParseScriptLine(line);
    EXPECT_TRUE(c.ok()) << line << ": " << c.reason();
    return c ? c.take() : ovScriptCommand();
}
std::string refusal(const std::string& line) {
    const ovResult<ovScriptCommand> c = ovParseScriptLine(line);
    EXPECT_FALSE(c.ok()) << line;
    return c ? std::string() : c.reason();
}
} // namespace

TEST(Script, EveryLineKind) {
    EXPECT_EQ(parse("").kind, ovScriptCommand::Blank);
    EXPECT_EQ(parse("   # a comment").kind, ovScriptCommand::Blank);
    ovScriptCommand down = parse("down 10 -20");
    EXPECT_EQ(down.kind, ovScriptCommand::Down);
    EXPECT_EQ(down.x, 10);
    EXPECT_EQ(down.y, -20);
    EXPECT_EQ(parse("move 1 2").kind, ovScriptCommand::Move);
    EXPECT_EQ(parse("up 1 2").kind, ovScriptCommand::Up);
    EXPECT_EQ(parse("wait 250").ms, 250);
    EXPECT_EQ(parse("tap 3 4").kind, ovScriptCommand::Tap);
    ovScriptCommand hold = parse("hold 3 4 1500");
    EXPECT_EQ(hold.kind, ovScriptCommand::Hold);
    EXPECT_EQ(hold.ms, 1500);
    EXPECT_EQ(parse("key ctrl+q").command, 40000);
    EXPECT_EQ(parse("key ctrl+a").command, 40002);
    EXPECT_EQ(parse("command 32771").command, 32771);
    EXPECT_EQ(parse("shot out/my shot.png").file, "out/my shot.png");
    EXPECT_EQ(parse("winshot w.png").kind, ovScriptCommand::WinShot);
    EXPECT_EQ(parse("state").kind, ovScriptCommand::State);
    EXPECT_EQ(parse("\tstate\r").kind, ovScriptCommand::State);
}

TEST(Script, MalformedLinesSayWhy) {
    EXPECT_NE(refusal("jump 1 2").find("unknown line 'jump'"), std::string::npos);
    EXPECT_NE(refusal("tap 1").find("takes 2 arguments"), std::string::npos);
    EXPECT_NE(refusal("tap 1 2 3").find("got 3"), std::string::npos);
    EXPECT_NE(refusal("tap x 2").find("whole numbers"), std::string::npos);
    refusal("tap 1.5 2");
    refusal("down 40000 2");
    refusal("wait -1");
    refusal("wait 10ms");
    refusal("wait 999999999999");
    refusal("hold 1 2");
    refusal("key ctrl+z");
    refusal("command 1");
    refusal("shot");
    refusal("state now");
    refusal("Tap 1 2");
}
