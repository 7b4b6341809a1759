#pragma once
// The portable rules of the test bundle's runner (run-tests.exe): reading the bundle's list of
// test programs and its smoke list, choosing what each program runs, writing the command line
// and the environment it gets, and the report of a program that could not write its own.

#include <map>
#include <optional>
#include <utility>
#include <string>
#include <vector>

namespace runner {

// One test program of the bundle, as tests.txt lists it: one line, tab-separated,
//   name, exe, folder, timeout in seconds, environment, arguments...
// exe and folder relative to the bundle (folder: where it runs), the environment as NAME=VALUE
// entries separated by '|' (or empty).
struct TestProgram {
    std::string name;
    std::string exe;
    std::string folder;
    unsigned timeoutSeconds = 120;
    std::vector<std::string> environment;
    std::vector<std::string> arguments;
};

// The programs of tests.txt, in its order; blank lines and lines starting with '#' are skipped.
// nullopt, with the line's number in badLine, when a line is not a program.
std::optional<std::vector<TestProgram>> ParseManifest(const std::string& text, int* badLine = nullptr);

// smoke.txt: "name filter" a line ('#' starts a comment): the tests that a smoke run takes from
// that program, as a GoogleTest filter.
std::map<std::string, std::string> ParseSmokeList(const std::string& text);

// The first test of a program's `--gtest_list_tests` output, as a filter naming it ("Suite.Test",
// "Prefix/Suite.Test/0"); empty when it lists none.
std::string FirstListedTest(const std::string& listing);

// The arguments with `--gtest_filter=filter` in place of any filter they had.
std::vector<std::string> WithFilter(std::vector<std::string> arguments, const std::string& filter);

// A command line that the C runtime's argument parser splits back into exe and arguments.
std::string CommandLine(const std::string& exe, const std::vector<std::string>& arguments);

// The environment of a test program: the runner's own (NAME=VALUE entries) with the program's
// entries set over it, names compared without case as Windows does.
std::vector<std::string> MergeEnvironment(std::vector<std::string> current, const std::vector<std::string>& entries);

// A program's SPINDREL_EXTRA_DLLOVERRIDES entry, in WINEDLLOVERRIDES' form ("a,b=n,b;c=d"), as
// the values of Wine's DllOverrides registry key: {"a", "native,builtin"}, ..., {"c", ""}. Under
// Wine the runner sets them there for that program: Wine takes WINEDLLOVERRIDES from the Unix
// environment that started it, not from the one a Windows program hands its child.
std::vector<std::pair<std::string, std::string>> DllOverrides(const std::vector<std::string>& environment);

// A JUnit report of one failed test, for a program that ended without writing its own
// (it did not start, crashed or ran out of time).
std::string FailureReport(const std::string& program, const std::string& reason);

} // namespace runner
