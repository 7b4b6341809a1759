// A static object of another file, made with the default priority (as the notification-area
// icon's objects are), linked after the file of the process-wide objects.
#include "tests/win32/ToolkitStartupProbe.h"

namespace {

struct OtherStatic {
    OtherStatic() { startup_probe::Record("after made"); }
    ~OtherStatic()
    {
        startup_probe::Record(std::string("after destroyed, settings file ") +
                              (startup_probe::SettingsFileExists() ? "written" : "missing"));
    }
} other;

} // namespace
