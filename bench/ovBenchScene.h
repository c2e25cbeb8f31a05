#pragma once
// What the screen benches set up alike: nodes placed beside the home screen, and a home
// screen's 48-hour time line with an appointment in every hour.
#include "shell/ovHyperNode.h"
#include "store/ovPoomSession.h"
#include "system/ovDateTime.h"

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
