#pragma once
// The code pages the program's 8-bit text meets.
//
// The program's strings are 8-bit text in the process's ANSI code page. Where Windows honours the
// manifest's activeCodePage (Windows 10 version 1903 and later) that code page is UTF-8 and every
// ...A call takes and gives any character. Elsewhere it is the system's code page, and a path the
// system gives may hold characters that code page lacks: such a path is taken in its short (8.3)
// form, which is plain ASCII where the volume keeps short names.

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace code_page {

// A buffer for a path of MAX_PATH characters in UTF-8: three bytes hold any character of the
// UTF-16 path, two any half of a surrogate pair.
inline constexpr std::size_t kPathBufferSize = MAX_PATH * 3;

// The system's ANSI code page, which the manifest does not change: the code page of 8-bit text
// that earlier releases, and programs without the manifest, wrote.
UINT SystemCodePage();

// 8-bit text of `codePage` in UTF-16, and back. `exact` (when given) tells whether every
// character had a form in the target code page and the text was valid in its own.
std::wstring ToWide(std::string_view text, UINT codePage = CP_ACP, bool* exact = nullptr);
std::string FromWide(std::wstring_view text, UINT codePage = CP_ACP, bool* exact = nullptr);

// A path the system gave in UTF-16, as 8-bit text of `codePage`: as it is when every character
// has a form there; else in its short (8.3) form when the system has one that does, with the
// file's own name kept where the code page holds it; else as the conversion gives it. The path
// must exist. `codePage` is the process's own; a test may name another.
std::string PathFromWide(const std::wstring& path, UINT codePage = CP_ACP);

// The full path of a module (null: the executable) in its long form, however long; empty when the
// system cannot say. ModuleFileName gives it as 8-bit text by PathFromWide.
std::wstring ModuleFileNameW(HMODULE module = nullptr);
std::string ModuleFileName(HMODULE module = nullptr);

// The number of UTF-16 units of 8-bit text of `codePage`: the characters that MAX_PATH counts.
std::size_t CharacterCount(std::string_view text, UINT codePage = CP_ACP);

// The longest start of `text` of at most maxCharacters UTF-16 units and maxBytes bytes that does
// not split a character.
std::string CharacterPrefix(std::string_view text, std::size_t maxCharacters, std::size_t maxBytes,
                            UINT codePage = CP_ACP);

} // namespace code_page
