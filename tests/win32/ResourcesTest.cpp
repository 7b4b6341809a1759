// The resources as the program ships them: the main dialog's template control by control, the
// two small dialogs, the Settings menu, the strings, the icons and the version.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/common/IconSize.h"

namespace {

// A reader of extended dialog templates (DLGTEMPLATEEX and its DLGITEMTEMPLATEEX items).
class TemplateReader {
public:
    explicit TemplateReader(UINT id)
    {
        HRSRC found = ::FindResourceA(nullptr, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));
        if (found)
            p_ = static_cast<const BYTE*>(::LockResource(::LoadResource(nullptr, found)));
    }
    bool Valid() const { return p_ != nullptr; }
    WORD Word() { WORD w; memcpy(&w, p_, 2); p_ += 2; return w; }
    DWORD Dword() { DWORD d; memcpy(&d, p_, 4); p_ += 4; return d; }
    short Short() { return static_cast<short>(Word()); }
    BYTE Byte() { return *p_++; }
    // A string, or "#<ordinal>" for an ordinal, or "" for none.
    std::string SzOrOrd()
    {
        WORD first = Word();
        if (first == 0)
            return "";
        if (first == 0xFFFF)
            return "#" + std::to_string(Word());
        std::string s(1, static_cast<char>(first));
        for (WORD c = Word(); c != 0; c = Word())
            s += static_cast<char>(c);
        return s;
    }
    void AlignDword()
    {
        while (reinterpret_cast<uintptr_t>(p_) % 4)
            ++p_;
    }
    void Skip(std::size_t n) { p_ += n; }

private:
    const BYTE* p_ = nullptr;
};

struct Item {
    DWORD exStyle, style;
    short x, y, cx, cy;
    DWORD id;
    std::string cls, text;
};

struct Dialog {
    DWORD exStyle, style;
    short x, y, cx, cy;
    std::string menu, cls, title, face;
    WORD points;
    std::vector<Item> items;
};

// A control's class, named the same whether the template holds its atom or its name.
std::string ClassName(std::string cls)
{
    if (cls == "#128") return "BUTTON";
    if (cls == "#130") return "STATIC";
    if (cls == "#133") return "COMBOBOX";
    for (char& c : cls)
        c = static_cast<char>(::toupper(static_cast<unsigned char>(c)));
    return cls;
}

Dialog Read(UINT id)
{
    TemplateReader r(id);
    Dialog d{};
    if (!r.Valid())
        return d;
    EXPECT_EQ(r.Word(), 1);      // dlgVer
    EXPECT_EQ(r.Word(), 0xFFFF); // signature of the extended template
    r.Dword();                   // help id
    d.exStyle = r.Dword();
    d.style = r.Dword();
    const WORD count = r.Word();
    d.x = r.Short(); d.y = r.Short(); d.cx = r.Short(); d.cy = r.Short();
    d.menu = r.SzOrOrd();
    d.cls = r.SzOrOrd();
    d.title = r.SzOrOrd();
    if (d.style & DS_SETFONT) {
        d.points = r.Word();
        r.Word(); r.Byte(); r.Byte();
        d.face = r.SzOrOrd();
    }
    for (WORD i = 0; i < count; ++i) {
        r.AlignDword();
        Item item{};
        r.Dword(); // help id
        item.exStyle = r.Dword();
        item.style = r.Dword();
        item.x = r.Short(); item.y = r.Short(); item.cx = r.Short(); item.cy = r.Short();
        item.id = r.Dword();
        item.cls = ClassName(r.SzOrOrd());
        item.text = r.SzOrOrd();
        r.Skip(r.Word());
        d.items.push_back(item);
    }
    return d;
}

const char* const kButton = "BUTTON";
const char* const kStatic = "STATIC";
const char* const kCombo = "COMBOBOX";

TEST(Resources, MainDialogTemplate)
{
    const Dialog d = Read(IDD_SPINDREL_DIALOG);
    EXPECT_EQ(d.style, 0x90C808C8u);
    EXPECT_EQ(d.exStyle, 0x00040200u);
    EXPECT_EQ(d.cx, 359);
    EXPECT_EQ(d.cy, 178);
    EXPECT_EQ(d.title, "Spindrel");
    EXPECT_EQ(d.menu, "");
    EXPECT_EQ(d.face, "MS Shell Dlg");
    EXPECT_EQ(d.points, 8);

    struct Expected {
        DWORD id;
        const char* cls;
        const char* text;
        short x, y, cx, cy;
    };
    const Expected expected[] = {
        {1001, kButton, "ACCELLERATE!", 12, 10, 150, 33},
        {3, kButton, "&Run your Tarvo", 18, 54, 138, 24},
        {2, kButton, "&Minimize to Tray", 18, 90, 138, 24},
        {1007, kButton, "&Quit Application", 18, 126, 138, 24},
        {0xFFFFFFFF, kStatic, "Connected Time:", 180, 66, 55, 8},
        {0xFFFFFFFF, kStatic, "Network Interface", 12, 162, 60, 8},
        {0xFFFFFFFF, kStatic, "Total Bytes Sent:", 180, 90, 66, 8},
        {0xFFFFFFFF, kStatic, "Total Bytes Received:", 180, 114, 72, 8},
        {1009, kStatic, "Static", 252, 66, 84, 10},
        {1011, kStatic, "Static", 252, 114, 84, 10},
        {1012, kStatic, "Static", 252, 90, 84, 10},
        {1015, kStatic, "Status", 252, 42, 84, 10},
        {0xFFFFFFFF, kStatic, "Connection Status:", 180, 42, 62, 8},
        {1016, kStatic, "Status", 252, 18, 84, 10},
        {1017, kStatic, "Connection Type:", 180, 18, 58, 8},
        {0xFFFFFFFF, kButton, "", 168, 6, 180, 150},
        {0xFFFFFFFF, kStatic, "Accelerated mode:", 180, 138, 66, 8},
        {1022, kStatic, "Static", 252, 138, 84, 10},
        {0xFFFFFFFF, kButton, "", 12, 42, 150, 114},
        {1024, kCombo, "", 90, 160, 258, 124},
    };
    ASSERT_EQ(d.items.size(), std::size(expected));
    for (std::size_t i = 0; i < d.items.size(); ++i) {
        const Item& item = d.items[i];
        const Expected& e = expected[i];
        SCOPED_TRACE(e.text);
        EXPECT_EQ(item.id, e.id);
        EXPECT_EQ(item.cls, e.cls);
        EXPECT_EQ(item.text, e.text);
        EXPECT_EQ(item.x, e.x);
        EXPECT_EQ(item.y, e.y);
        EXPECT_EQ(item.cx, e.cx);
        EXPECT_EQ(item.cy, e.cy);
        EXPECT_TRUE(item.style & WS_CHILD);
        EXPECT_TRUE(item.style & WS_VISIBLE);
    }
    // The toggle: a push-like automatic check box of several lines.
    const DWORD toggle = d.items[0].style;
    EXPECT_EQ(toggle & BS_TYPEMASK, static_cast<DWORD>(BS_AUTOCHECKBOX));
    EXPECT_TRUE(toggle & BS_PUSHLIKE);
    EXPECT_TRUE(toggle & BS_MULTILINE);
    EXPECT_TRUE(toggle & WS_TABSTOP);
    // The three command buttons are plain push buttons (not default), centred, tab stops.
    for (int i : {1, 2, 3}) {
        EXPECT_EQ(d.items[i].style & BS_TYPEMASK, static_cast<DWORD>(BS_PUSHBUTTON));
        EXPECT_EQ(d.items[i].style & BS_CENTER, static_cast<DWORD>(BS_CENTER));
        EXPECT_TRUE(d.items[i].style & WS_TABSTOP);
    }
    // The six value fields are sunken.
    for (int i : {8, 9, 10, 11, 13, 17})
        EXPECT_TRUE(d.items[i].style & SS_SUNKEN) << d.items[i].id;
    EXPECT_EQ(d.items[15].style & BS_TYPEMASK, static_cast<DWORD>(BS_GROUPBOX));
    EXPECT_TRUE(d.items[15].style & BS_FLAT);
    EXPECT_EQ(d.items[18].style & BS_TYPEMASK, static_cast<DWORD>(BS_GROUPBOX));
    EXPECT_EQ(d.items[19].style & 0x3u, static_cast<DWORD>(CBS_DROPDOWN));
    EXPECT_TRUE(d.items[19].style & WS_VSCROLL);
    EXPECT_TRUE(d.items[19].style & WS_TABSTOP);
}

TEST(Resources, AboutAndErrorTemplates)
{
    const Dialog about = Read(IDD_ABOUTBOX);
    EXPECT_EQ(about.title, "Spindrel");
    EXPECT_EQ(about.cx, 211);
    EXPECT_EQ(about.cy, 76);
    EXPECT_TRUE(about.exStyle & WS_EX_TOPMOST);
    EXPECT_TRUE(about.exStyle & WS_EX_CLIENTEDGE);
    EXPECT_TRUE(about.style & DS_MODALFRAME);
    ASSERT_EQ(about.items.size(), 4u);
    EXPECT_EQ(about.items[0].id, 128u);
    EXPECT_EQ(about.items[0].style & SS_TYPEMASK, static_cast<DWORD>(SS_ICON));
    EXPECT_EQ(about.items[1].text, "Spindrel Version 5.5.6");
    EXPECT_FALSE(about.items[2].text.empty());
    EXPECT_EQ(about.items[3].id, static_cast<DWORD>(IDOK));
    EXPECT_EQ(about.items[3].text, "&OK");

    const Dialog error = Read(IDD_ERROR_DIALOG);
    EXPECT_EQ(error.title, "Error");
    EXPECT_EQ(error.cx, 230);
    EXPECT_EQ(error.cy, 62);
    EXPECT_TRUE(error.exStyle & WS_EX_TOPMOST);
    ASSERT_EQ(error.items.size(), 5u);
    EXPECT_EQ(error.items[0].style & BS_TYPEMASK, static_cast<DWORD>(BS_DEFPUSHBUTTON));
    EXPECT_EQ(error.items[1].text, "#176");
    EXPECT_EQ(error.items[2].id, 1025u);
    EXPECT_EQ(error.items[3].id, 1026u);
    EXPECT_EQ(error.items[3].text, "Click here to download Tarvo");
    EXPECT_TRUE(error.items[3].style & SS_NOTIFY);
    EXPECT_EQ(error.items[4].id, 1027u);
}

TEST(Resources, SettingsMenuAndHiddenAbout)
{
    HMENU menu = ::LoadMenuA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_SETTINGS_MENU));
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(::GetMenuItemCount(menu), 2);
    EXPECT_EQ(::GetMenuItemID(menu, 1), static_cast<UINT>(ID_ABOUT));
    HMENU settings = ::GetSubMenu(menu, 0);
    const std::vector<std::pair<UINT, std::string>> expected = {
        {32785, "&Auto Resume Downloads"}, {32790, "Auto&Run Tarvo"}, {32781, "Run at &Startup"}, {0, ""},
        {32793, "P2P Security - Tips and Tricks"}, {32795, "All About File Sharing"},
        {32796, "Download Torrents Anonymously !"}, {32797, "eMusic: 25 Free MP3 Downloads!"},
        {32798, "Music, Games, Photos"}, {32794, "Help"}, {32776, "&About"}, {0, ""}, {32786, "&Exit"},
    };
    ASSERT_EQ(::GetMenuItemCount(settings), static_cast<int>(expected.size()));
    for (int i = 0; i < static_cast<int>(expected.size()); ++i) {
        EXPECT_EQ(::GetMenuItemID(settings, i), expected[i].first) << i;
        char text[64] = {};
        ::GetMenuStringA(settings, i, text, sizeof text, MF_BYPOSITION);
        EXPECT_EQ(text, expected[i].second) << i;
    }
    ::DestroyMenu(menu);
}

TEST(Resources, StringsIconsAndVersion)
{
    char text[64] = {};
    ASSERT_GT(::LoadStringA(::GetModuleHandleA(nullptr), IDS_ABOUTBOX, text, sizeof text), 0);
    EXPECT_STREQ(text, "&About Spindrel...");

    const std::vector<int> sizes = {16, 20, 24, 32, 40, 48, 64, 256};
    for (UINT icon : {IDR_MAINFRAME, IDI_ERROR_ICON}) {
        // The group's directory: one image drawn for each size, none left for the system to scale;
        // the largest stored as PNG (its width byte is 0).
        HRSRC group = ::FindResourceA(nullptr, MAKEINTRESOURCEA(icon), MAKEINTRESOURCEA(14)); // RT_GROUP_ICON
        ASSERT_NE(group, nullptr);
        const BYTE* directory = static_cast<const BYTE*>(::LockResource(::LoadResource(nullptr, group)));
        WORD count = 0;
        memcpy(&count, directory + 4, 2);
        std::vector<int> listed;
        for (WORD i = 0; i < count; ++i) {
            const BYTE* entry = directory + 6 + 14 * i; // GRPICONDIRENTRY, packed
            const int width = entry[0] ? entry[0] : 256;
            EXPECT_EQ(entry[1] ? entry[1] : 256, width);
            listed.push_back(width);
            WORD id = 0;
            memcpy(&id, entry + 12, 2);
            HRSRC image = ::FindResourceA(nullptr, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(3)); // RT_ICON
            ASSERT_NE(image, nullptr);
            const BYTE* data = static_cast<const BYTE*>(::LockResource(::LoadResource(nullptr, image)));
            EXPECT_EQ(memcmp(data, "\x89PNG", 4) == 0, width == 256) << "icon " << icon << " at " << width;
        }
        std::sort(listed.begin(), listed.end());
        EXPECT_EQ(listed, sizes) << "icon " << icon;

        for (int size : sizes) {
            HICON h = static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(icon), IMAGE_ICON,
                                                      size, size, 0));
            ASSERT_NE(h, nullptr) << icon << " " << size;
            EXPECT_EQ(test_support::IconWidth(h), size) << "icon " << icon << " has no image of its own at this size";
            ::DestroyIcon(h);
        }
    }

    HRSRC version = ::FindResourceA(nullptr, MAKEINTRESOURCEA(VS_VERSION_INFO), MAKEINTRESOURCEA(16));
    ASSERT_NE(version, nullptr);
    const BYTE* data = static_cast<const BYTE*>(::LockResource(::LoadResource(nullptr, version)));
    const DWORD size = ::SizeofResource(nullptr, version);
    // VS_FIXEDFILEINFO begins with its signature 0xFEEF04BD; the file version follows the struct version.
    const BYTE signature[] = {0xBD, 0x04, 0xEF, 0xFE};
    const BYTE* found = std::search(data, data + size, signature, signature + 4);
    ASSERT_NE(found, data + size);
    VS_FIXEDFILEINFO info;
    memcpy(&info, found, sizeof info);
    EXPECT_EQ(info.dwFileVersionMS, MAKELONG(5, 5));
    EXPECT_EQ(HIWORD(info.dwFileVersionLS), 6);
}

} // namespace
