// `orvida pim list appointments --from --to`: what a script reading someone's week meets.
#include "hosts/pim/ovPimToolFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

class ovPimListRangeTest : public ovPimToolFixture {
protected:
    std::string file(const char* name, const std::string& text) {
        const std::string path = root + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
};

// Floating times, so that the test reads the same in any zone the machine is in.
constexpr char kCourse[] = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//elsewhere//EN\r\n"
                           "BEGIN:VEVENT\r\nUID:course-1\r\nDTSTAMP:20261201T000000Z\r\n"
                           "DTSTART:20261207T090000\r\nDTEND:20261207T103000\r\n"
                           "RRULE:FREQ=WEEKLY;BYDAY=MO,TH\r\nEXDATE:20261210T090000\r\n"
                           "SUMMARY:Course\r\nLOCATION:Room 1\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";

TEST_F(ovPimListRangeTest, RepeatingEventsListEveryOccurrenceInTheRangeByStart) {
    ASSERT_EQ(run({"import", file("course.ics", kCourse)}), 0) << errors;
    ASSERT_EQ(run({"add-appointment", "--start", "2026-12-14T12:00:00", "--end", "2026-12-14T13:00:00",
                   "--subject", "Lunch"}),
              0)
        << errors;
    ASSERT_EQ(run({"list", "appointments", "--from", "2026-12-08T00:00:00", "--to", "2026-12-18T00:00:00"}),
              0)
        << errors;
    // The 10th is left out by EXDATE; the series began before the range and has no end.
    std::vector<std::string> lines;
    std::istringstream in(output);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 3u) << output;
    EXPECT_EQ(lines[0],
              "{\"start\":\"2026-12-14T09:00:00\",\"end\":\"2026-12-14T10:30:00\",\"subject\":\"Course\","
              "\"location\":\"Room 1\",\"uid\":\"course-1\",\"recurrenceId\":\"2026-12-14T09:00:00\"}");
    // An item made here does not repeat: it has a uid and no recurrenceId.
    EXPECT_EQ(lines[1].rfind("{\"start\":\"2026-12-14T12:00:00\",\"end\":\"2026-12-14T13:00:00\",\"subject\":"
                             "\"Lunch\",\"location\":\"\",\"uid\":\"",
                             0),
              0u)
        << lines[1];
    EXPECT_EQ(lines[1].find("recurrenceId"), std::string::npos) << lines[1];
    EXPECT_EQ(lines[2],
              "{\"start\":\"2026-12-17T09:00:00\",\"end\":\"2026-12-17T10:30:00\",\"subject\":\"Course\","
              "\"location\":\"Room 1\",\"uid\":\"course-1\",\"recurrenceId\":\"2026-12-17T09:00:00\"}");
    // Without a range the items are listed as before: the series once, at its first start.
    ASSERT_EQ(run({"list", "appointments"}), 0) << errors;
    EXPECT_EQ(output.rfind("{\"start\":\"2026-12-07T09:00:00\"", 0), 0u) << output;
    EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 2);
}

TEST_F(ovPimListRangeTest, AMovedInstanceInTheSameFileShowsAtItsNewTimeOnly) {
    ASSERT_EQ(run({"import", file("moved.ics", "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//elsewhere//EN\r\n"
                                               "BEGIN:VEVENT\r\nUID:c1\r\nDTSTART:20261207T090000\r\n"
                                               "DTEND:20261207T100000\r\nRRULE:FREQ=WEEKLY;COUNT=3\r\n"
                                               "SUMMARY:Course\r\nEND:VEVENT\r\n"
                                               "BEGIN:VEVENT\r\nUID:c1\r\nRECURRENCE-ID:20261214T090000\r\n"
                                               "DTSTART:20261215T140000\r\nDTEND:20261215T150000\r\n"
                                               "SUMMARY:Course moved\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n")}),
              0)
        << errors;
    ASSERT_EQ(run({"list", "appointments", "--from", "2026-12-01T00:00:00", "--to", "2027-01-01T00:00:00"}),
              0)
        << errors;
    EXPECT_EQ(output,
              "{\"start\":\"2026-12-07T09:00:00\",\"end\":\"2026-12-07T10:00:00\",\"subject\":\"Course\","
              "\"location\":\"\",\"uid\":\"c1\",\"recurrenceId\":\"2026-12-07T09:00:00\"}\n"
              "{\"start\":\"2026-12-15T14:00:00\",\"end\":\"2026-12-15T15:00:00\",\"subject\":\"Course "
              "moved\",\"location\":\"\",\"uid\":\"c1\",\"recurrenceId\":\"2026-12-14T09:00:00\"}\n"
              "{\"start\":\"2026-12-21T09:00:00\",\"end\":\"2026-12-21T10:00:00\",\"subject\":\"Course\","
              "\"location\":\"\",\"uid\":\"c1\",\"recurrenceId\":\"2026-12-21T09:00:00\"}\n");
}

TEST_F(ovPimListRangeTest, ARangeNeedsBothEndsInOrder) {
    EXPECT_EQ(run({"list", "appointments", "--from", "2026-12-08T00:00:00"}), 2);
    EXPECT_EQ(run({"list", "appointments", "--from", "2026-12-08T00:00:00", "--to", "2026-12-01T00:00:00"}),
              2);
    EXPECT_EQ(run({"list", "contacts", "--from", "2026-12-08T00:00:00", "--to", "2026-12-09T00:00:00"}), 2);
    EXPECT_EQ(run({"list", "appointments", "--from", "tomorrow", "--to", "2026-12-09T00:00:00"}), 2);
}

} // namespace
