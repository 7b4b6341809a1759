#include "toolkit/core/IniText.h"

#include "framework/AsciiText.h"

namespace ini_text {

namespace {

std::string_view Unquote(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

enum class Kind { Blank, Section, Value, Other };

// One line of the text: where it starts, where its content ends (before "\r\n" or "\n"), where the
// next one starts; what it is, its name, and for a value line where the value lies.
struct Line {
    std::size_t begin = 0, end = 0, next = 0;
    Kind kind = Kind::Blank;
    std::string_view name;
    std::size_t valueBegin = 0, valueEnd = 0;
};

Line ReadLine(const std::string& text, std::size_t begin)
{
    Line line;
    line.begin = begin;
    const std::size_t newline = text.find('\n', begin);
    line.next = newline == std::string::npos ? text.size() : newline + 1;
    line.end = newline == std::string::npos ? text.size() : newline;
    if (line.end > begin && text[line.end - 1] == '\r')
        --line.end;

    const std::string_view content(text.data() + begin, line.end - begin);
    const std::string_view trimmed = ascii::Trimmed(content);
    if (trimmed.empty()) {
        line.kind = Kind::Blank;
    } else if (trimmed.front() == '[') {
        line.kind = Kind::Section;
        const std::size_t close = trimmed.find(']');
        line.name =
            ascii::Trimmed(trimmed.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
    } else if (trimmed.front() == ';' || content.find('=') == std::string_view::npos) {
        line.kind = Kind::Other;
    } else {
        line.kind = Kind::Value;
        const std::size_t equals = content.find('=');
        line.name = ascii::Trimmed(content.substr(0, equals));
        const std::string_view value = ascii::Trimmed(content.substr(equals + 1));
        line.valueBegin = value.empty() ? line.end : static_cast<std::size_t>(value.data() - text.data());
        line.valueEnd = line.valueBegin + value.size();
    }
    return line;
}

std::string_view StoredValue(const std::string& text, const Line& line)
{
    return std::string_view(text).substr(line.valueBegin, line.valueEnd - line.valueBegin);
}

// Where the first line starts: after a UTF-8 byte-order mark.
std::size_t FirstLine(const std::string& text)
{
    return text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
}

} // namespace

std::optional<std::string> Document::Get(std::string_view section, std::string_view key) const
{
    bool inSection = false;
    for (std::size_t at = FirstLine(text_); at < text_.size();) {
        const Line line = ReadLine(text_, at);
        at = line.next;
        if (line.kind == Kind::Section) {
            if (inSection)
                return std::nullopt; // only the first section of the name counts
            inSection = ascii::SameName(line.name, section);
        } else if (line.kind == Kind::Value && inSection && ascii::SameName(line.name, key)) {
            return std::string(Unquote(StoredValue(text_, line)));
        }
    }
    return std::nullopt;
}

bool Document::Set(std::string_view section, std::string_view key, std::string_view value)
{
    bool inSection = false, found = false;
    std::size_t insertAt = 0; // after the section's last line that is not blank
    for (std::size_t at = FirstLine(text_); at < text_.size();) {
        const Line line = ReadLine(text_, at);
        at = line.next;
        if (line.kind == Kind::Section) {
            if (inSection)
                break;
            inSection = found = ascii::SameName(line.name, section);
            insertAt = line.next;
            continue;
        }
        if (!inSection)
            continue;
        if (line.kind == Kind::Value && ascii::SameName(line.name, key)) {
            if (Unquote(StoredValue(text_, line)) == value)
                return false;
            text_.replace(line.valueBegin, line.valueEnd - line.valueBegin, value);
            return true;
        }
        if (line.kind != Kind::Blank)
            insertAt = line.next;
    }

    std::string added;
    if (!found) {
        insertAt = text_.size();
        if (!text_.empty() && text_.back() != '\n')
            added += "\r\n";
        if (!text_.empty())
            added += "\r\n"; // a blank line between sections
        added.append("[").append(section).append("]\r\n");
    } else if (insertAt > 0 && text_[insertAt - 1] != '\n') {
        added += "\r\n"; // the section's last line ends the text without a line break
    }
    added.append(key).append("=").append(value).append("\r\n");
    text_.insert(insertAt, added);
    return true;
}

bool IsUtf8(std::string_view text)
{
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p < end) {
        const unsigned char lead = *p;
        if (lead < 0x80) {
            ++p;
            continue;
        }
        std::size_t length;
        std::uint32_t code;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            code = lead & 0x1Fu;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            code = lead & 0x0Fu;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            code = lead & 0x07u;
        } else {
            return false; // a continuation byte, an overlong lead (C0, C1) or above U+10FFFF (F5-FF)
        }
        if (static_cast<std::size_t>(end - p) < length)
            return false;
        for (std::size_t i = 1; i < length; ++i) {
            if ((p[i] & 0xC0u) != 0x80u)
                return false;
            code = (code << 6) | (p[i] & 0x3Fu);
        }
        if ((length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF)) ||
            (code >= 0xD800 && code <= 0xDFFF))
            return false;
        p += length;
    }
    return true;
}

std::int32_t LeadingNumber(std::string_view value)
{
    std::size_t at = 0;
    const bool negative = !value.empty() && value[0] == '-';
    if (!value.empty() && (value[0] == '-' || value[0] == '+'))
        ++at;
    std::uint32_t number = 0;
    for (; at < value.size() && value[at] >= '0' && value[at] <= '9'; ++at)
        number = number * 10u + static_cast<std::uint32_t>(value[at] - '0');
    return static_cast<std::int32_t>(negative ? 0u - number : number);
}

} // namespace ini_text
