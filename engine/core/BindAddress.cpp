#include "engine/core/BindAddress.h"

#include <cstring>

namespace engine {

namespace {
bool Is(const LocalAddress& entry, const char* text)
{
    return std::strncmp(entry.text, text, sizeof entry.text) == 0;
}
} // namespace

int ChooseBindAddress(const LocalAddress* table, int count)
{
    if (!table || count <= 0)
        return -1;
    for (int i = 0; i < count; ++i) {
        if (!Is(table[i], "127.0.0.1") && !Is(table[i], "0.0.0.0"))
            return i;
    }
    return 0;
}

} // namespace engine
