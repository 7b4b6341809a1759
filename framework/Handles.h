#pragma once
// One owner per handle: small move-only holders that release what they hold in their destructor,
// and the same for a reference to a COM interface.

#include <windows.h>
#include <winsock2.h>


template <typename Handle, typename Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::invalid(); }

    Handle release()
    {
        Handle handle = handle_;
        handle_ = Traits::invalid();
        return handle;
    }

    void reset(Handle handle = Traits::invalid())
    {
        if (handle_ != Traits::invalid())
            Traits::close(handle_);
        handle_ = handle;
    }

    // For APIs that hand a handle out through a pointer.
    Handle* put()
    {
        reset();
        return &handle_;
    }

private:
    Handle handle_ = Traits::invalid();
};

namespace handle_traits {
template <typename H> struct NullInvalid { static H invalid() { return nullptr; } };
struct Icon : NullInvalid<HICON> { static void close(HICON h) { ::DestroyIcon(h); } };
template <typename H> struct GdiObject : NullInvalid<H> { static void close(H h) { ::DeleteObject(h); } };
struct MemoryDC : NullInvalid<HDC> { static void close(HDC h) { ::DeleteDC(h); } };
struct RegistryKey : NullInvalid<HKEY> { static void close(HKEY h) { ::RegCloseKey(h); } };
struct Module : NullInvalid<HMODULE> { static void close(HMODULE h) { ::FreeLibrary(h); } };
struct Menu : NullInvalid<HMENU> { static void close(HMENU h) { ::DestroyMenu(h); } };
struct Kernel : NullInvalid<HANDLE> { static void close(HANDLE h) { ::CloseHandle(h); } };
struct File {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { ::CloseHandle(h); }
};
struct Socket {
    static SOCKET invalid() { return INVALID_SOCKET; }
    static void close(SOCKET s) { ::closesocket(s); }
};
} // namespace handle_traits

// One reference to a COM interface, released in the destructor: a handle whose close is Release.
namespace handle_traits {
template <typename Interface>
struct ComInterface : NullInvalid<Interface*> {
    static void close(Interface* object) { object->Release(); }
};
} // namespace handle_traits

template <typename Interface>
class UniqueInterface : public UniqueHandle<Interface*, handle_traits::ComInterface<Interface>> {
public:
    // Takes over the reference that an object given to the constructor carries.
    using UniqueHandle<Interface*, handle_traits::ComInterface<Interface>>::UniqueHandle;

    Interface* operator->() const { return this->get(); }
    // For the calls that take the interface's place as void** (CoCreateInstance, QueryInterface).
    void** putVoid() { return reinterpret_cast<void**>(this->put()); }
};

using UniqueIcon = UniqueHandle<HICON, handle_traits::Icon>;
using UniqueFont = UniqueHandle<HFONT, handle_traits::GdiObject<HFONT>>;
using UniqueBitmap = UniqueHandle<HBITMAP, handle_traits::GdiObject<HBITMAP>>;
using UniqueBrush = UniqueHandle<HBRUSH, handle_traits::GdiObject<HBRUSH>>;
using UniquePen = UniqueHandle<HPEN, handle_traits::GdiObject<HPEN>>;
using UniqueMemoryDC = UniqueHandle<HDC, handle_traits::MemoryDC>;
using UniqueKey = UniqueHandle<HKEY, handle_traits::RegistryKey>;
using UniqueModule = UniqueHandle<HMODULE, handle_traits::Module>;
using UniqueMenu = UniqueHandle<HMENU, handle_traits::Menu>;
using UniqueKernelHandle = UniqueHandle<HANDLE, handle_traits::Kernel>;
using UniqueFile = UniqueHandle<HANDLE, handle_traits::File>;
using UniqueSocket = UniqueHandle<SOCKET, handle_traits::Socket>;
