#pragma once
// The text of an ini-format file, read and changed one value at a time the way the system's
// profile functions do, except that a change touches nothing but the value it changes: every
// other byte of the file (comments, other programs' sections, their text in whatever code page,
// the layout of the lines) stays as it was.
//
// Lookup rules: a section starts at a line "[name]"; a value is a line "key=value" of the first
// section of that name. Names match without regard to ASCII case, and blanks (spaces and tabs)
// around names and values do not count; a value in a pair of double or single quotes is read
// without them. Lines starting with ';' are comments. Lines end in "\n" or "\r\n"; new lines are
// written with "\r\n".

#include <cstdint>
#include <optional>
#include <utility>
#include <string>
#include <string_view>

namespace ini_text {

class Document {
public:
    Document() = default;
    explicit Document(std::string text) : text_(std::move(text)) {}

    // The value of `key` in section `section`, as stored; nothing when there is none.
    std::optional<std::string> Get(std::string_view section, std::string_view key) const;
    // Gives `key` of `section` this value: replaces the stored one in its line, or adds the key at
    // the end of the section, or the section at the end of the text. False when the value was
    // already this one: the text is then unchanged.
    bool Set(std::string_view section, std::string_view key, std::string_view value);

    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

// True when the bytes are well-formed UTF-8 (ASCII included): no stray continuation byte, no
// cut sequence, no overlong form, no surrogate, nothing above U+10FFFF.
bool IsUtf8(std::string_view text);

// The leading number of a value: an optional sign, then decimal digits, taken modulo 2^32;
// 0 when the value does not begin with a digit.
std::int32_t LeadingNumber(std::string_view value);

} // namespace ini_text
