#pragma once
// The ASCII rules of the names and values that the program reads from files, the registry and its
// command line: blanks, trimming and case-insensitive names. Plain text, without <windows.h>: the
// portable cores use them for 8-bit and UTF-16 text alike. Letters outside ASCII compare as they
// are, so no code page or locale can change what a name matches.

#include <cstddef>
#include <string_view>

namespace ascii {

template <class Char>
constexpr bool IsBlank(Char c)
{
    return c == Char(' ') || c == Char('\t');
}

template <class Char>
constexpr Char Lower(Char c)
{
    return c >= Char('A') && c <= Char('Z') ? static_cast<Char>(c - Char('A') + Char('a')) : c;
}

// Text without the blanks around it.
template <class Char>
constexpr std::basic_string_view<Char> Trimmed(std::basic_string_view<Char> text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The same name, whatever the case of its ASCII letters.
template <class Char>
constexpr bool SameName(std::basic_string_view<Char> a, std::basic_string_view<Char> b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

} // namespace ascii
