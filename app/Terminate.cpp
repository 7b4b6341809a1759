// What ends the process when an exception finds no handler, or leaves a function that cannot pass
// it on. The C++ library's own handler writes the exception's type, demangled, to a standard error
// stream that a GUI program does not have, then aborts; for that it links the library's whole
// demangler into the program. The program's own definition of that handler, below, takes its
// place (the library's is then never linked): it aborts at once, which is all the user ever saw of
// the other.
#include <cxxabi.h>

#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler()
{
    std::abort();
}

} // namespace __gnu_cxx
