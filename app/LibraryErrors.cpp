// How the C++ library reports its errors in the shipped program. The library's own reporting
// functions build each error (std::length_error, std::out_of_range, ...) around a second,
// reference-counted string type, and formatting for it, which bring a third of the string code of
// the program with them. The program never tells these errors apart: where it catches one at all it
// catches everything. So here each is thrown as a small error of its own that keeps the library's
// text, and the errors the library reports without text keep their standard types.
#include <exception>
#include <new>
#include <typeinfo>

namespace {

class LibraryError final : public std::exception {
public:
    explicit LibraryError(const char* text) noexcept : text_(text ? text : "C++ library error") {}
    const char* what() const noexcept override { return text_; }

private:
    const char* text_; // the library's texts are literals
};

} // namespace

namespace std {

void __throw_bad_exception() { throw bad_exception(); }
void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_bad_cast() { throw bad_cast(); }
void __throw_bad_typeid() { throw bad_typeid(); }
void __throw_logic_error(const char* text) { throw LibraryError(text); }
void __throw_domain_error(const char* text) { throw LibraryError(text); }
void __throw_invalid_argument(const char* text) { throw LibraryError(text); }
void __throw_length_error(const char* text) { throw LibraryError(text); }
void __throw_out_of_range(const char* text) { throw LibraryError(text); }
// The format's arguments (positions and sizes) are left out: the text says what went wrong.
void __throw_out_of_range_fmt(const char* format, ...) { throw LibraryError(format); }
void __throw_runtime_error(const char* text) { throw LibraryError(text); }
void __throw_range_error(const char* text) { throw LibraryError(text); }
void __throw_overflow_error(const char* text) { throw LibraryError(text); }
void __throw_underflow_error(const char* text) { throw LibraryError(text); }

} // namespace std
