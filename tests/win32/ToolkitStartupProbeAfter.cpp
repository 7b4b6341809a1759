// A static object of another file, linked after the file of the process-wide objects.
#include "tests/win32/ToolkitStartupProbe.h"

namespace {
startup_probe::OtherStatic other("after");
} // namespace
