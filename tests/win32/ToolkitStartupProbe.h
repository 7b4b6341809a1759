#pragma once
// A small process with Spindrel.exe's start-up objects (ToolkitStartupProbe*.cpp). It writes
// what it makes and destroys, in order, to "<exe>.events" beside itself; win32_toolkit starts
// it and reads the record.

#include <string>

namespace startup_probe {

void Record(const std::string& event);
// Whether the probe's settings file exists now.
bool SettingsFileExists();

// A static object of another file, made with the default priority (as the notification-area
// icon's objects are): it records when it is made and destroyed, and whether the settings file
// was there then.
struct OtherStatic {
    explicit OtherStatic(const char* which) : name(which) { Record(name + " made"); }
    ~OtherStatic() { Record(name + " destroyed, settings file " + (SettingsFileExists() ? "written" : "missing")); }
    const std::string name;
};

} // namespace startup_probe
