#include "toolkit/Settings.h"

#include <cstring>
#include <iterator>

std::int32_t logSizeLimit = 0;

namespace {

// Every key in the order it is read and written. The plain integers go through GetNumber and
// PutNumber; the others are named by their kind.
enum class Kind { Number, Seconds, Text };

struct Key {
    const char* section;
    const char* name;
    Kind kind;
    int CSettings::*field;  // Number keys only
    int defaultValue;
    bool ranged;            // when set, a value outside [low, high] becomes the default
    int low, high;
};

constexpr Key Number(const char* section, const char* name, int CSettings::*field, int defaultValue)
{
    return {section, name, Kind::Number, field, defaultValue, false, 0, 0};
}

constexpr Key Ranged(const char* section, const char* name, int CSettings::*field, int defaultValue, int low, int high)
{
    return {section, name, Kind::Number, field, defaultValue, true, low, high};
}

const Key kKeys[] = {
    Number("main", "alwaysontop", &CSettings::alwaysOnTop, 0),
    Number("main", "nsresolve", &CSettings::nameResolve, 0),
    Number("main", "portresolve", &CSettings::portResolve, 0),
    {"main", "idleseconds", Kind::Seconds, nullptr, 10, false, 0, 0},
    Number("filters", "filtertcp", &CSettings::filterTcp, 0),
    Number("filters", "filterudp", &CSettings::filterUdp, 0),
    Number("filters", "filtericmp", &CSettings::filterIcmp, 0),
    Number("mainwindow", "status", &CSettings::windowStatus, -1),
    Number("mainwindow", "top", &CSettings::windowTop, -1),
    Number("mainwindow", "bottom", &CSettings::windowBottom, -1),
    Number("mainwindow", "left", &CSettings::windowLeft, -1),
    Number("mainwindow", "right", &CSettings::windowRight, -1),
    Number("list", "srcaddr", &CSettings::srcAddr, 120),
    Number("list", "destaddr", &CSettings::destAddr, 120),
    Number("list", "srcport", &CSettings::srcPort, 80),
    Number("list", "destport", &CSettings::destPort, 80),
    Number("list", "proto", &CSettings::proto, 50),
    Number("list", "traffic", &CSettings::traffic, 100),
    Number("list", "bs", &CSettings::bs, 80),
    Number("list", "abs", &CSettings::abs, 80),
    Number("log", "uselogfile", &CSettings::useLogFile, 0),
    Number("log", "autodelete", &CSettings::autoDelete, 0),
    Ranged("log", "mbdelete", &CSettings::logLimitMegabytes, 1, 1, 999),
    Ranged("log", "logtype", &CSettings::logType, 0, 0, 6),
    {"log", "logfile", Kind::Text, nullptr, 0, false, 0, 0},
};

} // namespace

CSettings::CSettings()
{
    Load();
}

CSettings::CSettings(const char* path) : CIniFile(path)
{
    Load();
}

CSettings::~CSettings()
{
    Save();
}

void CSettings::Load()
{
    RemoveUnfinishedWrite();
    readAtStart = Readable();
    read.clear();
    corrected.assign(std::size(kKeys), false);
    for (std::size_t i = 0; i < std::size(kKeys); ++i) {
        const Key& key = kKeys[i];
        read.push_back(Stored(key.section, key.name));
        switch (key.kind) {
        case Kind::Number: {
            int value = GetNumber(key.section, key.name, key.defaultValue);
            if (key.ranged && (value < key.low || value > key.high)) {
                value = key.defaultValue;
                corrected[i] = true;
            }
            this->*key.field = value;
            break;
        }
        case Kind::Seconds:
            idleMilliseconds = GetUnsigned(key.section, key.name, static_cast<UINT>(key.defaultValue)) * 1000u;
            break;
        case Kind::Text: {
            GetText(key.section, key.name, "", logFileName, sizeof logFileName);
            const std::string cut =
                code_page::CharacterPrefix(logFileName, kLogFileNameCharacters, sizeof logFileName - 1);
            std::memcpy(logFileName, cut.c_str(), cut.size() + 1);
            break;
        }
        }
    }
    logSizeLimit = static_cast<std::int32_t>(logLimitMegabytes) << 20;
}

void CSettings::Save() const
{
    // Failures (a read-only file or folder) are ignored: the file then stays as it was.
    if (!readAtStart || read.size() != std::size(kKeys))
        return;
    for (std::size_t i = 0; i < std::size(kKeys); ++i) {
        const Key& key = kKeys[i];
        // A value someone else wrote since the start is theirs to keep.
        if ((read[i] && !corrected[i]) || Stored(key.section, key.name) != read[i])
            continue;
        switch (key.kind) {
        case Kind::Number:
            PutNumber(key.section, key.name, this->*key.field);
            break;
        case Kind::Seconds:
            PutUnsigned(key.section, key.name, idleMilliseconds / 1000u);
            break;
        case Kind::Text:
            PutText(key.section, key.name, logFileName);
            break;
        }
    }
    Flush();
}
