// The rules that turn wizard steps into an item's values.
#include "wizards/ovScheduleRules.h"
#include "wizards/ovContactSystem.h"

#include "shell/ovHyperNode.h"

#include <gtest/gtest.h>

#include <string>

namespace {
ovSystemTime at(int year, int month, int day) {
    ovSystemTime t;
    t.year = static_cast<uint16_t>(year);
    t.month = static_cast<uint16_t>(month);
    t.day = static_cast<uint16_t>(day);
    t.hour = 17;
    t.minute = 42;
    t.second = 37;
    t.milliseconds = 250;
    return t;
}
std::string date(const ovSystemTime& t) {
    return std::to_string(t.year) + "-" + std::to_string(t.month) + "-" + std::to_string(t.day);
}
} // namespace

TEST(ScheduleRules, DayChoicesCarryOverMonthAndYearEnds) {
    EXPECT_EQ(date(ovDateFromChoice(at(2026, 12, 31), u"Tomorrow")), "2027-1-1");
    EXPECT_EQ(date(ovDateFromChoice(at(2026, 12, 31), u"Day After")), "2027-1-2");
    EXPECT_EQ(date(ovDateFromChoice(at(2028, 2, 28), u"Tomorrow")), "2028-2-29");
    EXPECT_EQ(date(ovDateFromChoice(at(2027, 2, 28), u"Tomorrow")), "2027-3-1");
    EXPECT_EQ(date(ovDateFromChoice(at(2100, 2, 28), u"Tomorrow")), "2100-3-1");
    EXPECT_EQ(date(ovDateFromChoice(at(2000, 2, 28), u"Tomorrow")), "2000-2-29");
    EXPECT_EQ(date(ovDateFromChoice(at(2026, 4, 30), u"Day After")), "2026-5-2");
    EXPECT_EQ(date(ovDateFromChoice(at(2026, 4, 30), u"Today")), "2026-4-30");
    EXPECT_EQ(date(ovDateFromChoice(at(2026, 4, 30), u"Someday")), "2026-4-30");
}

TEST(ScheduleRules, TheMomentOfTheChoiceKeepsItsTimeOfDay) {
    const ovSystemTime t = ovDateFromChoice(at(2026, 12, 31), u"Tomorrow");
    EXPECT_EQ(t.hour, 17);
    EXPECT_EQ(t.minute, 42);
    EXPECT_EQ(t.second, 37);
    EXPECT_EQ(t.milliseconds, 250);
}

TEST(ScheduleRules, ComposedTextsAreCutAtTheFieldWithoutSplittingACharacter) {
    ovFixedText<256> out;
    ovComposeText(out, u"Lunch with ", u"Bob");
    EXPECT_EQ(out.str(), u"Lunch with Bob");
    ovComposeText(out, u"", u"");
    EXPECT_TRUE(out.empty());

    // A keyboard may hold 511 characters; the field keeps 255.
    ovComposeText(out, u"Conference: ", std::u16string(511, u'x'));
    EXPECT_EQ(out.length(), 255u);
    EXPECT_EQ(out.view().substr(0, 12), u"Conference: ");
    // A character outside the basic plane across the cut is left out whole.
    ovComposeText(out, u"Call ", std::u16string(249, u'y') + u"\U0001F600");
    EXPECT_EQ(out.length(), 254u);
    EXPECT_EQ(out.view().back(), u'y');
}

TEST(ScheduleRules, OtherContributesNoPrefix) {
    ovHyperNode other;
    other.label = u"Other";
    EXPECT_TRUE(ovPrefixOf(other).empty());
    ovHyperNode restaurant;
    restaurant.label = u"Restaurant: ";
    EXPECT_EQ(ovPrefixOf(restaurant), u"Restaurant: ");
}

TEST(ContactSummary, ShortLongAndEmptyFields) {
    ovFixedText<256> label;
    ovContactSystem::summarise(label, u"M:", u"0123456", u"Mobile Number");
    EXPECT_EQ(label.str(), u"M:0123456");
    ovContactSystem::summarise(label, u"M:", u"01234567", u"Mobile Number");
    EXPECT_EQ(label.str(), u"M:01234567..");
    ovContactSystem::summarise(label, u"M:", u"012345678901", u"Mobile Number");
    EXPECT_EQ(label.str(), u"M:01234567..");
    ovContactSystem::summarise(label, u"M:", u"", u"Mobile Number");
    EXPECT_EQ(label.str(), u"Mobile Number");
    // Eight code units ending inside a pair: the pair is left out, not halved.
    ovContactSystem::summarise(label, u"@:", u"abcdefg\U0001F600", u"eMail Address");
    EXPECT_EQ(label.str(), u"@:abcdefg..");
}
