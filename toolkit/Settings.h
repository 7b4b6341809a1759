#pragma once
// CSettings: the capture toolkit's options, loaded from the settings file when the object is
// made. The process has one, made before the application starts and destroyed after the main
// window has closed (app/Main.cpp).
//
// Values outside their range are corrected on loading: "mbdelete" to 1 unless it is 1 to 999,
// "logtype" to 0 unless it is 0 to 6. "idleseconds" is held in milliseconds (the product taken
// modulo 2^32). "logfile" keeps at most 259 characters.
//
// The program runs all day, and the user, the toolkit's own tools or a second copy may change the
// file meanwhile. So what is written at exit is only what this object changed against what it
// read: the keys that were missing, with their defaults, and the corrected values; each only
// while the file still holds what was read. A file that could not be read at start is never
// written.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/IniFile.h"

class CSettings : public CIniFile {
public:
    // A path of MAX_PATH characters in UTF-8; the value keeps 259 of them at most.
    static constexpr std::size_t kLogFileNameSize = code_page::kPathBufferSize;
    static constexpr std::size_t kLogFileNameCharacters = 259;

    // The settings file beside the executable.
    CSettings();
    // The settings file at `path`.
    explicit CSettings(const char* path);
    ~CSettings() override;

    // [main]
    int alwaysOnTop = 0;
    int nameResolve = 0;
    int portResolve = 0;
    std::uint32_t idleMilliseconds = 10000;
    // [filters]: nonzero leaves those packets out
    int filterUdp = 0;
    int filterTcp = 0;
    int filterIcmp = 0;
    // [mainwindow]: -1 when nothing is stored
    int windowStatus = -1;
    int windowTop = -1;
    int windowBottom = -1;
    int windowLeft = -1;
    int windowRight = -1;
    // [list]: the capture list's values
    int srcAddr = 120;
    int destAddr = 120;
    int srcPort = 80;
    int destPort = 80;
    int proto = 50;
    int traffic = 100;
    int bs = 80;
    int abs = 80;
    // [log]
    int useLogFile = 0;
    int autoDelete = 0;
    int logLimitMegabytes = 1;
    int logType = 0;
    char logFileName[kLogFileNameSize] = {};

private:
    void Load();
    void Save() const;

    // Per key (in the order of the table in Settings.cpp): what the file held at start, and
    // whether the value was corrected.
    std::vector<std::optional<std::string>> read;
    std::vector<bool> corrected;
    bool readAtStart = false; // the file was missing or was read whole
};

// The log size in bytes beyond which the log is started afresh: "mbdelete" megabytes.
// Set when the settings are loaded.
extern std::int32_t logSizeLimit;
