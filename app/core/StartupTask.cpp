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
        switch (c) {
        case L'&': xml += L"&amp;"; break;
        case L'<': xml += L"&lt;"; break;
        case L'>': xml += L"&gt;"; break;
        default: xml += c; break;
        }
    }
}

void AppendElement(std::wstring& xml, const wchar_t* name, std::wstring_view text)
{
    xml.append(L"<").append(name).append(L">");
    AppendEscaped(xml, text);
    xml.append(L"</").append(name).append(L">");
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
    std::wstring xml = L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>"
                       L"<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">"
                       L"<RegistrationInfo>";
    AppendElement(xml, L"Author", task.product);
    std::wstring description(task.product);
    description.append(L" from ").append(task.folder).append(L", started at logon with administrator rights");
    AppendElement(xml, L"Description", description);
    xml += L"</RegistrationInfo><Triggers><LogonTrigger><Enabled>true</Enabled>";
    AppendElement(xml, L"UserId", task.userSid);
    xml += L"</LogonTrigger></Triggers><Principals><Principal id=\"Author\">";
    AppendElement(xml, L"UserId", task.userSid);
    xml += L"<LogonType>InteractiveToken</LogonType><RunLevel>HighestAvailable</RunLevel></Principal></Principals>"
           L"<Settings><MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>"
           L"<DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>"
           L"<StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>"
           L"<IdleSettings><StopOnIdleEnd>false</StopOnIdleEnd><RestartOnIdle>false</RestartOnIdle></IdleSettings>"
           L"<AllowStartOnDemand>true</AllowStartOnDemand><Enabled>true</Enabled>"
           L"<ExecutionTimeLimit>PT0S</ExecutionTimeLimit><Priority>4</Priority></Settings>"
           L"<Actions Context=\"Author\"><Exec>";
    AppendElement(xml, L"Command", task.executable);
    xml += L"<Arguments>-tray</Arguments>";
    AppendElement(xml, L"WorkingDirectory", task.folder);
    xml += L"</Exec></Actions></Task>";
    return xml;
}

} // namespace startup_task
