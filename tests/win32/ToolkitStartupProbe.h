#pragma once
// A small process with Spindrel.exe's start-up objects (ToolkitStartupProbe*.cpp). It writes
// what it makes and destroys, in order, to "<exe>.events" beside itself; win32_toolkit starts
// it and reads the record.

#include <string>

namespace startup_probe {

void Record(const std::string& event);
// Whether the probe's settings file exists now.
bool SettingsFileExists();

} // namespace startup_probe
