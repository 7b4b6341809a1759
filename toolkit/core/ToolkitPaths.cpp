#include "toolkit/core/ToolkitPaths.h"

#include <cstring>

namespace toolkit_paths {

namespace {

bool Compose(const char* head, std::size_t headLength, const char* tail, char* out, std::size_t size)
{
    const std::size_t tailLength = std::strlen(tail);
    if (size == 0)
        return false;
    if (headLength + tailLength >= size) {
        out[0] = '\0';
        return false;
    }
    std::memcpy(out, head, headLength);
    std::memcpy(out + headLength, tail, tailLength + 1);
    return true;
}

} // namespace

bool NoLeadBytes(unsigned char)
{
    return false;
}

const char* FindLastChar(const char* text, char c, LeadBytePredicate isLeadByte)
{
    const char* last = nullptr;
    for (const char* p = text; *p != '\0';) {
        if (isLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0') {
            p += 2;
            continue;
        }
        if (*p == c)
            last = p;
        ++p;
    }
    return last;
}

bool BuildSettingsPath(const char* modulePath, char* out, std::size_t size, LeadBytePredicate isLeadByte)
{
    std::size_t keep = std::strlen(modulePath);
    const char* dot = FindLastChar(modulePath, '.', isLeadByte);
    if (dot) {
        const char* slash = FindLastChar(modulePath, '\\', isLeadByte);
        if (!slash || dot > slash)
            keep = static_cast<std::size_t>(dot - modulePath);
    }
    return Compose(modulePath, keep, ".ini", out, size);
}

bool BuildServicesPath(const char* modulePath, char* out, std::size_t size, LeadBytePredicate isLeadByte)
{
    const char* slash = FindLastChar(modulePath, '\\', isLeadByte);
    const std::size_t keep = slash ? static_cast<std::size_t>(slash - modulePath) + 1 : 0;
    return Compose(modulePath, keep, "services", out, size);
}

} // namespace toolkit_paths
