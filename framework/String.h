#pragma once
// CString: the 8-bit, zero-terminated text the windows hold, with printf-style formatting.

#include <cstdarg>
#include <cstddef>
#include <string>

class CString {
public:
    CString() = default;
    CString(const char* text) : value_(text ? text : "") {}
    CString(const char* text, std::size_t length) : value_(text ? std::string(text, length) : std::string()) {}
    CString(const std::string& text) : value_(text) {}

    CString& operator=(const char* text) { value_ = text ? text : ""; return *this; }
    CString& operator+=(const char* text) { if (text) value_ += text; return *this; }
    CString& operator+=(const CString& other) { value_ += other.value_; return *this; }

    operator const char*() const { return value_.c_str(); }
    const char* c_str() const { return value_.c_str(); }
    const std::string& str() const { return value_; }

    int GetLength() const { return static_cast<int>(value_.size()); }
    bool IsEmpty() const { return value_.empty(); }
    void Empty() { value_.clear(); }

    // Formats with a printf-style format; the text grows to whatever the format needs.
    void Format(const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;
    void FormatV(const char* format, va_list args);

    friend bool operator==(const CString& a, const CString& b) { return a.value_ == b.value_; }
    friend bool operator==(const CString& a, const char* b) { return a.value_ == (b ? b : ""); }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, const char* b) { return !(a == b); }

private:
    std::string value_;
};
