// Every test program, and every program a test starts, sees no system bus unless a test
// names one (the ModemManager stand-in's): on a phone, a test's SMS would otherwise
// reach the real modem, and the spool tests would not test the spool.
#include <cstdlib>

namespace {
[[maybe_unused]] const bool noSystemBus =
    setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/orvida-test-system-bus", 1) == 0;
} // namespace
