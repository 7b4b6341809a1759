#include "bundle/RunnerCore.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <sstream>

namespace runner {

namespace {

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    for (;;) {
        const std::string::size_type end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return parts;
        start = end + 1;
    }
}

std::string WithoutLineEnd(std::string line)
{
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.pop_back();
    return line;
}

// The text before a "  #" comment of a test listing, without surrounding blanks.
std::string ListedName(const std::string& line)
{
    std::string name = line.substr(0, line.find('#'));
    const std::string::size_type first = name.find_first_not_of(" \t");
    if (first == std::string::npos)
        return "";
    name.erase(name.find_last_not_of(" \t\r") + 1);
    return name.substr(first);
}

std::string Name(const std::string& entry)
{
    std::string name = entry.substr(0, entry.find('='));
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::toupper(c); });
    return name;
}

std::string EscapeXml(const std::string& text)
{
    std::string escaped;
    for (const char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

} // namespace

std::optional<std::vector<TestProgram>> ParseManifest(const std::string& text, int* badLine)
{
    std::vector<TestProgram> programs;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        line = WithoutLineEnd(line);
        if (line.empty() || line[0] == '#')
            continue;
        const std::vector<std::string> fields = Split(line, '\t');
        char* end = nullptr;
        const unsigned long timeout = fields.size() >= 5 ? std::strtoul(fields[3].c_str(), &end, 10) : 0;
        if (fields.size() < 5 || fields[0].empty() || fields[1].empty() || !end || *end || timeout == 0) {
            if (badLine)
                *badLine = number;
            return std::nullopt;
        }
        TestProgram program{fields[0], fields[1], fields[2], static_cast<unsigned>(timeout), {}, {}};
        if (!fields[4].empty())
            program.environment = Split(fields[4], '|');
        program.arguments.assign(fields.begin() + 5, fields.end());
        programs.push_back(std::move(program));
    }
    return programs;
}

std::map<std::string, std::string> ParseSmokeList(const std::string& text)
{
    std::map<std::string, std::string> filters;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line.substr(0, line.find('#')));
        std::string name, filter;
        if (words >> name >> filter)
            filters[name] = filter;
    }
    return filters;
}

std::string FirstListedTest(const std::string& listing)
{
    std::istringstream lines(listing);
    std::string line, suite;
    while (std::getline(lines, line)) {
        const std::string name = ListedName(line);
        if (name.empty())
            continue;
        if (line[0] != ' ' && name.back() == '.')
            suite = name;
        else if (line[0] == ' ' && !suite.empty())
            return suite + name;
    }
    return "";
}

std::vector<std::string> WithFilter(std::vector<std::string> arguments, const std::string& filter)
{
    const std::string option = "--gtest_filter=";
    arguments.erase(std::remove_if(arguments.begin(), arguments.end(),
                                   [&](const std::string& argument) { return argument.rfind(option, 0) == 0; }),
                    arguments.end());
    arguments.push_back(option + filter);
    return arguments;
}

std::string CommandLine(const std::string& exe, const std::vector<std::string>& arguments)
{
    // The program's name is taken up to the next quote, without escapes: a path holds no quote.
    std::string line = "\"" + exe + "\"";
    for (const std::string& argument : arguments) {
        line += ' ';
        if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) {
            line += argument;
            continue;
        }
        // Backslashes are literal except before a quote: those are doubled, and the quote escaped.
        line += '"';
        std::string::size_type backslashes = 0;
        for (const char c : argument) {
            if (c == '\\') {
                ++backslashes;
                continue;
            }
            line.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
            backslashes = 0;
            line += c;
        }
        line.append(backslashes * 2, '\\');
        line += '"';
    }
    return line;
}

std::vector<std::string> MergeEnvironment(std::vector<std::string> current, const std::vector<std::string>& entries)
{
    for (const std::string& entry : entries) {
        const std::string name = Name(entry);
        const auto same = std::find_if(current.begin(), current.end(),
                                       [&](const std::string& existing) { return Name(existing) == name; });
        if (same != current.end())
            *same = entry;
        else
            current.push_back(entry);
    }
    return current;
}

std::vector<std::pair<std::string, std::string>> DllOverrides(const std::vector<std::string>& environment)
{
    std::vector<std::pair<std::string, std::string>> overrides;
    for (const std::string& entry : environment) {
        if (Name(entry) != "SPINDREL_EXTRA_DLLOVERRIDES")
            continue;
        for (const std::string& part : Split(entry.substr(entry.find('=') + 1), ';')) {
            const std::string::size_type equals = part.find('=');
            if (equals == std::string::npos || equals == 0)
                continue;
            std::string order;
            for (const std::string& letter : Split(part.substr(equals + 1), ','))
                if (letter == "n" || letter == "b")
                    order += (order.empty() ? "" : ",") + std::string(letter == "n" ? "native" : "builtin");
            for (const std::string& library : Split(part.substr(0, equals), ','))
                if (!library.empty())
                    overrides.emplace_back(library, order);
        }
    }
    return overrides;
}

std::string FailureReport(const std::string& program, const std::string& reason)
{
    const std::string name = EscapeXml(program), message = EscapeXml(reason);
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<testsuites tests=\"1\" failures=\"1\" errors=\"0\" name=\"" + name + "\">\n"
           "  <testsuite name=\"" + name + "\" tests=\"1\" failures=\"1\" errors=\"0\">\n"
           "    <testcase name=\"(program)\" classname=\"" + name + "\" result=\"completed\">\n"
           "      <failure message=\"" + message + "\" type=\"\"></failure>\n"
           "    </testcase>\n"
           "  </testsuite>\n"
           "</testsuites>\n";
}

} // namespace runner
