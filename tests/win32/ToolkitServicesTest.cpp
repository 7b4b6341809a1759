// The services file in the executable's folder, read when the table is made.
#include "toolkit/ServicesParser.h"

#include <gtest/gtest.h>

#include "tests/win32/ToolkitTestFiles.h"

namespace {

using namespace toolkit_test;

TEST(ServicesBesideExe, ReadAtConstruction)
{
    const std::string path = BesideExe("services");
    WriteBytes(path, "# services\r\nftp 21/tcp\r\ndomain 53/udp\r\nping 0/icmp\r\nlast 99/TCP");
    {
        CServicesParser services;
        EXPECT_EQ(services.ServicesPath(), path);
        services.EnableLookup(1);
        EXPECT_STREQ(services.FindService(21, 6), "ftp");
        EXPECT_STREQ(services.FindService(53, 17), "domain");
        EXPECT_STREQ(services.FindService(99, 6), "last");
        EXPECT_EQ(services.FindService(0, 1), nullptr);
    }
    ::DeleteFileA(path.c_str());
    CServicesParser none;
    EXPECT_EQ(none.Entries(), nullptr);
}

} // namespace
