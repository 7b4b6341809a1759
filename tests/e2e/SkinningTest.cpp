// The skinning component: absent, the program starts with the system's look; present, it receives
// exactly four calls, in order, before the main window exists.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include <shlwapi.h>

#include "tests/common/Process.h"
#include "res/resource.h"

namespace {

const char kClsid[] = "{6B1E3C52-8D4A-4F0E-9C3B-5A7D2E1F9B04}";
const char kProgId[] = "SkinCrafter.SCSkin3";

void SetDefault(const std::string& key, const std::string& value, const char* name = nullptr)
{
    HKEY handle = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>(value.size() + 1));
    ::RegCloseKey(handle);
}

void Unregister()
{
    ::SHDeleteKeyA(HKEY_CLASSES_ROOT, kProgId);
    ::SHDeleteKeyA(HKEY_CLASSES_ROOT, (std::string("CLSID\\") + kClsid).c_str());
}

std::vector<std::string> RecordedCalls(const std::string& log)
{
    std::vector<std::string> lines;
    std::ifstream in(log);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

class Skinning : public ::testing::Test {
protected:
    void SetUp() override
    {
        Unregister();
        ::DeleteFileA(log.c_str());
    }
    void TearDown() override
    {
        Unregister();
        ::DeleteFileA(log.c_str());
    }
    const std::string log = test_support::OwnFolder() + "skin-calls.log";
};

TEST_F(Skinning, WithoutTheComponentTheProgramStartsNormally)
{
    test_support::SpindrelProcess spindrel;
    ASSERT_TRUE(spindrel.Start());
    HWND window = spindrel.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(::IsWindowVisible(window));
    spindrel.PostCommand(IDC_QUIT);
    EXPECT_TRUE(spindrel.WaitForExit(15000));
}

TEST_F(Skinning, TheComponentReceivesFourCallsBeforeTheWindowExists)
{
    const std::string clsidKey = std::string("CLSID\\") + kClsid;
    SetDefault(clsidKey, "Spindrel skin recorder");
    SetDefault(clsidKey + "\\InprocServer32", test_support::OwnFolder() + "SkinRecorder.dll");
    SetDefault(clsidKey + "\\InprocServer32", "Apartment", "ThreadingModel");
    SetDefault(std::string(kProgId) + "\\CLSID", kClsid);

    test_support::SpindrelProcess spindrel;
    ASSERT_TRUE(spindrel.Start());
    ASSERT_NE(spindrel.WaitForMainWindow(), nullptr);
    spindrel.PostCommand(IDC_QUIT);
    ASSERT_TRUE(spindrel.WaitForExit(15000));

    // DISPID, flags (1 = DISPATCH_METHOD), argument, and whether the main window existed.
    const std::vector<std::string> expected = {
        "17 1 I4:0 no-window",
        "1 1 I4:1 no-window",
        "2 1 BSTR:Skin.skf no-window",
        "18 1 none no-window",
    };
    EXPECT_EQ(RecordedCalls(log), expected);
}

} // namespace
