// The probe's process-wide objects, declared as in app/Main.cpp, and its entry point.
#include "tests/win32/ToolkitStartupProbe.h"

#include <cstdio>

#include "framework/WinApp.h"
#include "toolkit/ModulePath.h"
#include "toolkit/ServicesParser.h"
#include "toolkit/Settings.h"

namespace startup_probe {

void Record(const std::string& event)
{
    const std::string path = toolkit::ModulePath() + ".events";
    if (std::FILE* file = std::fopen(path.c_str(), "ab")) {
        std::fprintf(file, "%s\n", event.c_str());
        std::fclose(file);
    }
}

bool SettingsFileExists()
{
    return ::GetFileAttributesA(CIniFile().FileName()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace startup_probe

namespace {

using startup_probe::Record;

struct ProbeApp : CWinApp {
    ProbeApp() { Record("app made"); }
    ~ProbeApp() override { Record("app destroyed"); }
};

struct ProbeServices : CServicesParser {
    ProbeServices()
    {
        int count = 0;
        for (const Entry* e = Entries(); e; e = e->next)
            ++count;
        Record("services made with " + std::to_string(count) + " entries");
    }
    ~ProbeServices() override
    {
        Record(std::string("services destroyed, settings file ") +
               (startup_probe::SettingsFileExists() ? "written" : "missing"));
    }
};

struct ProbeSettings : CSettings {
    ProbeSettings() { Record("settings made"); }
    ~ProbeSettings() override { Record("settings writing"); }
};

} // namespace

ProbeApp theApp __attribute__((init_priority(201)));
ProbeServices theServices __attribute__((init_priority(202)));
ProbeSettings theSettings __attribute__((init_priority(203)));

int main()
{
    Record("main");
    return 0;
}
