#include "base/ovResult.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

enum class Code { ok, refused, missing };

ovResult<std::unique_ptr<int>> make(int value) {
    if (value < 0)
        return ovFail(Code::refused, "no negative values: " + std::to_string(value));
    return std::make_unique<int>(value);
}

TEST(Result, CarriesAMoveOnlyValueOrTheReasonAndCode) {
    ovResult<std::unique_ptr<int>> good = make(7);
    ASSERT_TRUE(good.ok());
    EXPECT_EQ(good.code<Code>(), Code::ok) << "a success has the zero code";
    std::unique_ptr<int> taken = good.take();
    ASSERT_NE(taken, nullptr);
    EXPECT_EQ(*taken, 7);

    const ovResult<std::unique_ptr<int>> bad = make(-2);
    ASSERT_FALSE(bad);
    EXPECT_EQ(bad.reason(), "no negative values: -2");
    EXPECT_EQ(bad.code<Code>(), Code::refused);
    EXPECT_EQ(bad.error().code, static_cast<int>(Code::refused));
}

TEST(Result, VoidResultsPassFailuresOnUnchanged) {
    const ovResult<> done;
    EXPECT_TRUE(done.ok());
    EXPECT_TRUE(ovResult<>::success().ok());

    // The shape every caller uses: a failure of one step becomes the caller's own.
    auto step = [](bool fail) -> ovResult<> {
        if (fail)
            return ovFail(Code::missing, "step failed");
        return {};
    };
    auto both = [&](bool failFirst) -> ovResult<int> {
        if (ovResult<> r = step(failFirst); !r)
            return r.error();
        return 42;
    };
    EXPECT_EQ(both(false).value(), 42);
    const ovResult<int> failed = both(true);
    ASSERT_FALSE(failed.ok());
    EXPECT_EQ(failed.reason(), "step failed");
    EXPECT_EQ(failed.code<Code>(), Code::missing);

    // A failure without a code of its own says 0.
    const ovResult<> plain = ovFail("plain");
    EXPECT_EQ(plain.code(), 0);
    EXPECT_EQ(plain.reason(), "plain");
}

} // namespace
