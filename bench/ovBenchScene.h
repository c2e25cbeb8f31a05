#pragma once
// What the screen benches set up alike: a headless program's options, nodes placed beside
// the home screen, and a home screen's 48-hour time line with an appointment in every hour.
#include "hosts/common/ovOptions.h"
#include "shell/ovHyperNode.h"
#include "store/ovPoomSession.h"
#include "system/ovDateTime.h"

#include <string>

// A headless start on a screen of this size, its clock at `now`, its store in `dataDir`.
inline ovOptions ovBenchOptions(int width, int height, const std::string& dataDir,
                                const char* now = "2026-12-09T10:00:00") {
    ovOptions options;
    options.headless = true;
    options.screenWidth = width;
    options.screenHeight = height;
    options.now = ovParseIsoLocal(now);
    options.dataDir = dataDir;
    return options;
}

// Makes a node ready to be drawn and entered as the navigator's child.
inline ovHyperNode* ovBenchNode(ovHyperNode* node, int id) {
    node->x = node->y = 0;
    node->valid = 1;
    node->nodeId = id;
    return node;
}

// One 40-minute appointment at the start of every hour from a day before `now` to a day after.
inline void ovBenchFillTimeLine(ovPoomSession& session, const ovSystemTime& now) {
    double day = 0.0;
    ovSystemTimeToVariantTime(now, day);
    for (int hour = -24; hour < 24; ++hour) {
        ovSystemTime start;
        ovVariantTimeToSystemTime(day + hour / 24.0, start);
        (void)session.addAppointment(start, u"Meeting with the whole team", u"Room 4", 40, 0);
    }
}
