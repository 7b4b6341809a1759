#include "framework/SystemLibrary.h"

namespace system_library {
SystemLibrary ntdll{"ntdll.dll", SystemLibrary::Source::Imported};
SystemLibrary kernel{"kernel32.dll", SystemLibrary::Source::Imported};
SystemLibrary user{"user32.dll", SystemLibrary::Source::Imported};
SystemLibrary advapi{"advapi32.dll", SystemLibrary::Source::Imported};
SystemLibrary commonControls{"comctl32.dll", SystemLibrary::Source::Imported};
SystemLibrary ipHelper{"Iphlpapi.dll", SystemLibrary::Source::SystemFolder};
SystemLibrary internet{"wininet.dll", SystemLibrary::Source::SystemFolder};
SystemLibrary automation{"oleaut32.dll", SystemLibrary::Source::SystemFolder};
SystemLibrary accessibility{"oleacc.dll", SystemLibrary::Source::SystemFolder};
} // namespace system_library

HMODULE SystemLibrary::Module()
{
    if (!tried_) {
        tried_ = true;
        module_ = source_ == Source::Imported ? ::GetModuleHandleA(name_) : LoadSystemLibrary(name_);
    }
    return module_;
}
