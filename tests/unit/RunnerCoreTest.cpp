// The test bundle's runner: what it reads from the bundle and what it hands each test program.
#include <gtest/gtest.h>

#include "bundle/RunnerCore.h"

namespace {

using namespace runner;

TEST(RunnerCore, ManifestAndSmokeList)
{
    int bad = 0;
    const auto programs = ParseManifest("# comment\r\n\r\ne2e_libraries\ttests\\e2e\\e2e_libraries.exe\ttests\\e2e\t300\t"
                                        "A=1|B=x,y=n,b\r\nunit_app\tunit_app.exe\t\t120\t\t--gtest_filter=-*Tray\t--x\n");
    ASSERT_TRUE(programs);
    ASSERT_EQ(programs->size(), 2u);
    EXPECT_EQ((*programs)[0].exe, "tests\\e2e\\e2e_libraries.exe");
    EXPECT_EQ((*programs)[0].timeoutSeconds, 300u);
    EXPECT_EQ((*programs)[0].environment, (std::vector<std::string>{"A=1", "B=x,y=n,b"}));
    EXPECT_TRUE((*programs)[0].arguments.empty());
    EXPECT_EQ((*programs)[1].arguments, (std::vector<std::string>{"--gtest_filter=-*Tray", "--x"}));
    for (const char* wrong : {"a\tb\tc\t120", "a\tb\tc\tsoon\t", "a\tb\tc\t0\t", "\tb\tc\t120\t"}) {
        EXPECT_FALSE(ParseManifest(std::string("ok\tok.exe\t\t1\t\n") + wrong, &bad)) << wrong;
        EXPECT_EQ(bad, 2) << wrong;
    }
    EXPECT_EQ(ParseSmokeList("win32_dpi Dpi.A:Dpi.B # the fast ones\n# e2e_tray Tray.*\nonly_a_name\n"),
              (std::map<std::string, std::string>{{"win32_dpi", "Dpi.A:Dpi.B"}}));
}

TEST(RunnerCore, FirstListedTestIsTheFilterOfOneTest)
{
    EXPECT_EQ(FirstListedTest("Running main() from gtest_main.cc\nQuitExitAndOk/EndingWithoutSave.  # TypeParam\n"
                              "  Ends/0  # GetParam() = 1007\r\n  Ends/1\n"),
              "QuitExitAndOk/EndingWithoutSave.Ends/0");
    EXPECT_EQ(FirstListedTest("Running main() from gtest_main.cc\n"), "");
}

TEST(RunnerCore, CommandLineAndEnvironmentOfATestProgram)
{
    EXPECT_EQ(CommandLine("C:\\b d\\t.exe", WithFilter({"--gtest_filter=-*Tray", "a b", "q\"x", "d\\", "x\\\\\"", ""}, "T.*")),
              "\"C:\\b d\\t.exe\" \"a b\" \"q\\\"x\" d\\ \"x\\\\\\\\\\\"\" \"\" --gtest_filter=T.*");
    const std::vector<std::string> own{"Path=C:\\w", "WINEDLLOVERRIDES=mshtml="};
    EXPECT_EQ(MergeEnvironment(own, {"PATH=D:\\", "SPINDREL_EXTRA_DLLOVERRIDES=wininet=n,b"}),
              (std::vector<std::string>{"PATH=D:\\", "WINEDLLOVERRIDES=mshtml=", "SPINDREL_EXTRA_DLLOVERRIDES=wininet=n,b"}));
    EXPECT_EQ(DllOverrides({"A=1", "spindrel_extra_dlloverrides=iphlpapi,wininet=n,b;mscoree=;x=b"}),
              (std::vector<std::pair<std::string, std::string>>{
                  {"iphlpapi", "native,builtin"}, {"wininet", "native,builtin"}, {"mscoree", ""}, {"x", "builtin"}}));
}

} // namespace
