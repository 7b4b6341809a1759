// A static object of another file, made with the default priority (as the notification-area
// icon's objects are), linked before the file of the process-wide objects.
#include "tests/win32/ToolkitStartupProbe.h"

namespace {

struct OtherStatic {
    OtherStatic() { startup_probe::Record("before made"); }
    ~OtherStatic()
    {
        startup_probe::Record(std::string("before destroyed, settings file ") +
                              (startup_probe::SettingsFileExists() ? "written" : "missing"));
    }
} other;

} // namespace
