#include "app/core/StartupTask.h"

namespace startup_task {

namespace {

std::uint32_t Crc32(std::wstring_view text)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    const auto add = [&crc](unsigned byte) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    };
    for (const wchar_t c : text) {
        add(static_cast<unsigned>(c) & 0xFFu);
        add((static_cast<unsigned>(c) >> 8) & 0xFFu);
    }
    return ~crc;
}

// Element text: a path may hold '&'; none can hold '<' or '>', but a name could.
void AppendEscaped(std::wstring& xml, std::wstring_view text)
{
    for (const wchar_t c : text) {
        const wchar_t* escaped = c == L'&' ? L"&amp;" : c == L'<' ? L"&lt;" : c == L'>' ? L"&gt;" : nullptr;
        if (escaped)
            xml += escaped;
        else
            xml += c;
    }
}

} // namespace

std::wstring TaskName(std::wstring_view product, std::wstring_view upperCasePath)
{
    static constexpr wchar_t digits[] = L"0123456789ABCDEF";
    std::wstring name(product);
    name += L' ';
    const std::uint32_t crc = Crc32(upperCasePath);
    for (int shift = 28; shift >= 0; shift -= 4)
        name += digits[(crc >> shift) & 0xFu];
    return name;
}

std::wstring TaskXml(const Definition& task)
{
    // The definition's text, kept in 8 bits (it is ASCII), and between its pieces the values, escaped.
    const std::string_view text[] = {
        "<?xml version=\"1.0\" encoding=\"UTF-16\"?>"
        "<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">"
        "<RegistrationInfo><Author>",
        "</Author><Description>", " from ", ", started at logon with administrator rights</Description>"
        "</RegistrationInfo><Triggers><LogonTrigger><Enabled>true</Enabled><UserId>",
        "</UserId></LogonTrigger></Triggers><Principals><Principal id=\"Author\"><UserId>",
        "</UserId><LogonType>InteractiveToken</LogonType><RunLevel>HighestAvailable</RunLevel></Principal>"
        "</Principals><Settings><MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>"
        "<DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>"
        "<StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>"
        "<IdleSettings><StopOnIdleEnd>false</StopOnIdleEnd><RestartOnIdle>false</RestartOnIdle></IdleSettings>"
        "<AllowStartOnDemand>true</AllowStartOnDemand><Enabled>true</Enabled>"
        "<ExecutionTimeLimit>PT0S</ExecutionTimeLimit><Priority>4</Priority></Settings>"
        "<Actions Context=\"Author\"><Exec><Command>",
        "</Command><Arguments>-tray</Arguments><WorkingDirectory>", "</WorkingDirectory></Exec></Actions></Task>"};
    const std::wstring_view values[] = {task.product, task.product, task.folder, task.userSid, task.userSid,
                                        task.executable, task.folder};
    static_assert(sizeof text / sizeof text[0] == sizeof values / sizeof values[0] + 1, "a value between two texts");
    std::wstring xml;
    for (std::size_t i = 0; i < sizeof text / sizeof text[0]; ++i) {
        if (i > 0)
            AppendEscaped(xml, values[i - 1]);
        for (const char c : text[i])
            xml += static_cast<wchar_t>(c);
    }
    return xml;
}

} // namespace startup_task
