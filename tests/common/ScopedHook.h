#pragma once
// A test hook for one scope: set through its setter, which answers the hook it replaces, and the
// previous one put back when the scope ends, also after a failed assertion, so that no hook leaks
// into the next test.
#include <type_traits>

namespace test_support {

template <class Hook>
class ScopedHook {
public:
    using Same = typename std::common_type<Hook>::type; // the hook's type, not deduced from the new hook
    ScopedHook(Hook (*set)(Hook), Same hook) : set_(set), previous_(set(hook)) {}
    ~ScopedHook() { set_(previous_); }
    ScopedHook(const ScopedHook&) = delete;
    ScopedHook& operator=(const ScopedHook&) = delete;
    Hook Previous() const { return previous_; }

private:
    Hook (*set_)(Hook);
    Hook previous_;
};

} // namespace test_support
