// orvida.conf as its sections' readers see it: comments after values, quoted #s, and
// the lines a reader must name.
#include "system/ovIniSection.h"

#include <gtest/gtest.h>

TEST(IniSection, ValuesLoseTheirCommentsButQuotedHashesStay) {
    const ovIniSection sms = ovReadIniSection("[sms]\n"
                                              "provider = command             # or spool (the default)\n"
                                              "command = /bin/send \"room #4\" --tag#1 # the modem\n"
                                              "timeout=30\n",
                                              "orvida.conf", "sms");
    ASSERT_EQ(sms.settings.size(), 3u);
    EXPECT_EQ(sms.settings[0].value, "command");
    EXPECT_EQ(sms.settings[1].value, "/bin/send \"room #4\" --tag#1");
    EXPECT_EQ(sms.settings[2].key, "timeout");
    EXPECT_EQ(sms.settings[2].value, "30");
    EXPECT_EQ(sms.headerLine, 1);
}

TEST(IniSection, OnlyTheSectionAskedForIsReadAndBadLinesAreNamedInPlace) {
    const ovIniSection vdir = ovReadIniSection("top = 1\n[sms]\nprovider = spool\n[vdir\npath = /x\n"
                                               "[vdir]\n; note\npath = /cal\nnothing here\ntasks = t\n",
                                               "orvida.conf", "vdir");
    // The broken header ends [sms] without starting [vdir].
    ASSERT_EQ(vdir.settings.size(), 3u);
    EXPECT_EQ(vdir.settings[0].value, "/cal");
    EXPECT_EQ(vdir.settings[1].problem, "orvida.conf:9: expected 'name = value', found 'nothing here'");
    EXPECT_EQ(vdir.settings[2].line, 10);
    EXPECT_EQ(vdir.headerLine, 6);
    ASSERT_EQ(vdir.headerProblems.size(), 1u);
    EXPECT_EQ(vdir.headerProblems[0], "orvida.conf:4: a section header looks like [name], not '[vdir'");

    EXPECT_EQ(ovReadIniSection("top = 1\n[sms]\n", "f", "").settings.size(), 1u);
}
