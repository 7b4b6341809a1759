#pragma once
// The executable's full path, and the lead-byte test of the process's ANSI code page.

#include <string>

namespace toolkit {

// The full path of the process's executable in the process's code page, however long; in its
// short form where that code page lacks some of its characters (framework/CodePage.h). Empty
// when the system cannot say.
std::string ModulePath();

// IsDBCSLeadByte for the toolkit's path rules.
bool IsAnsiLeadByte(unsigned char byte);

} // namespace toolkit
