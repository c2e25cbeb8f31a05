#pragma once
// iCalendar (RFC 5545) files to and from the store's appointments and tasks, through
// libical.
//
// Reading: each VEVENT becomes an appointment and each VTODO a task. Times with a TZID
// or in UTC are turned into the process's local time, which is what the store keeps; an
// all-day event becomes an appointment from 00:00 to 00:00 of the day after its last.
// Writing starts from the text the item was read from, when there is one, and replaces
// only what the store holds, so the properties, parameters and components it has no
// field for survive a round trip.
#include "data/formats/ovDecoded.h"

#include <string>
#include <string_view>
#include <vector>

class ovPimAppointment;
class ovPimTask;

ovDecoded ovDecodeICalendar(std::string_view text);
// A whole VCALENDAR with one VEVENT.
std::string ovEncodeAppointment(const ovPimAppointment& item);
// A whole VCALENDAR with one VTODO.
std::string ovEncodeTask(const ovPimTask& item);
// Joins calendars (ovEncodeAppointment's and ovEncodeTask's) into one VCALENDAR holding
// all their items, each time zone once.
std::string ovJoinCalendars(const std::vector<std::string>& calendars);
