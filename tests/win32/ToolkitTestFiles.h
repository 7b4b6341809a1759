#pragma once
// Files beside the test executable, for the capture toolkit's tests.

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/common/Process.h"

namespace toolkit_test {

inline std::string BesideExe(const std::string& name)
{
    return test_support::OwnFolder() + name;
}

inline void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return;
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

inline std::string ReadBytes(const std::string& path)
{
    std::string bytes;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return bytes;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        bytes.append(buffer, n);
    std::fclose(file);
    return bytes;
}

// The file's lines without line breaks, blank lines left out.
inline std::vector<std::string> Lines(const std::string& path)
{
    std::vector<std::string> lines;
    std::string line;
    for (char c : ReadBytes(path)) {
        if (c == '\r')
            continue;
        if (c != '\n') {
            line += c;
        } else if (!line.empty()) {
            lines.push_back(line);
            line.clear();
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

// Removes a file, first dropping what the profile functions may hold of it in memory.
inline void Forget(const std::string& path)
{
    ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA(path.c_str());
}

// A settings file with every key at its default, as written at exit.
inline std::vector<std::string> DefaultSettingsLines()
{
    return {"[main]",     "alwaysontop=0", "nsresolve=0",   "portresolve=0", "idleseconds=10", "[filters]",
            "filtertcp=0", "filterudp=0",   "filtericmp=0",  "[mainwindow]",  "status=-1",      "top=-1",
            "bottom=-1",   "left=-1",       "right=-1",      "[list]",        "srcaddr=120",    "destaddr=120",
            "srcport=80",  "destport=80",   "proto=50",      "traffic=100",   "bs=80",          "abs=80",
            "[log]",       "uselogfile=0",  "autodelete=0",  "mbdelete=1",    "logtype=0",      "logfile="};
}

} // namespace toolkit_test
