#include "shell/ovPaths.h"

#include <gtest/gtest.h>

TEST(Paths, BesideTheExecutableWithItsOwnSeparator) {
    EXPECT_EQ(ovImagePathFor("\\Program Files\\App\\app.exe", "nodeStart.bmp"),
              "\\Program Files\\App\\images\\wm5\\nodeStart.bmp");
    EXPECT_EQ(ovSoundPathFor("\\Program Files\\App\\app.exe", "open.wav"),
              "\\Program Files\\App\\sounds\\open.wav");
    EXPECT_EQ(ovImagePathFor("/usr/lib/orvida/orvida", "nodeStart.bmp"),
              "/usr/lib/orvida/images/wm5/nodeStart.bmp");
    EXPECT_EQ(ovSoundPathFor("/opt/o/bin/orvida", "open.wav"), "/opt/o/bin/sounds/open.wav");
}

TEST(Paths, FolderIsEverythingBeforeTheLastSeparator) {
    EXPECT_EQ(ovExecutableFolder("/a/b/c"), "/a/b");
    EXPECT_EQ(ovExecutableFolder("\\a\\b/c"), "\\a\\b");
    EXPECT_EQ(ovExecutableFolder("/orvida"), "");
    EXPECT_EQ(ovExecutableFolder("app.exe"), "app.exe"); // no separator: the whole name
}

TEST(Paths, EachResultStaysValid) {
    // Callers may hold an earlier result while asking for another one.
    const std::string first = ovImagePathFor("/x/app", "a.bmp");
    const std::string second = ovImagePathFor("/x/app", "b.bmp");
    EXPECT_EQ(first, "/x/images/wm5/a.bmp");
    EXPECT_EQ(second, "/x/images/wm5/b.bmp");
}
