#pragma once
// Message maps: one static table per class, chained to its base class's table.
//
// An entry pairs a message, a command identifier (or range), a control notification or a menu-item
// update with a member function of the class. The builders below check the member's signature
// against the message at compile time and crack wParam/lParam into typed arguments.
//
//   const MessageMap CMyDlg::messageMap{&CDialog::messageMap, {
//       OnMessage<WM_TIMER>(&CMyDlg::OnTimer),
//       OnCommand(IDCANCEL, &CMyDlg::OnHide),
//       OnNotify(1024, CBN_SELCHANGE, &CMyDlg::OnSelChange),
//       OnUpdateCommand(32785, &CMyDlg::OnUpdateFlag),
//   }};

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <type_traits>
#include <vector>

#include "framework/Dpi.h"
#include "framework/Geometry.h"

class CCmdTarget;
class CCmdUI;
class CDC;
class CMenu;
class CWnd;

// The four WM_CTLCOLORxxx messages reach one handler under this number; the kind (CTLCOLOR_STATIC,
// ...) is passed as its third argument.
constexpr UINT WM_CTLCOLOR_ANY = 0x0019;

// What a handler is called with.
struct MessageCall {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    UINT id = 0;          // command identifier (commands, notifications, updates)
    CCmdUI* cmdUI = nullptr;
};

struct MessageMapEntry {
    enum class Kind { Message, RegisteredMessage, Command, Notify, UpdateCommand };
    using Handler = std::function<LRESULT(CCmdTarget&, const MessageCall&)>;

    Kind kind = Kind::Message;
    UINT message = 0;                  // Message
    const UINT* registered = nullptr;  // RegisteredMessage: where the number is kept at run time
    UINT firstId = 0;                  // Command, Notify, UpdateCommand
    UINT lastId = 0;
    UINT code = 0;                     // Notify: the notification code
    Handler handler;
};

struct MessageMap {
    MessageMap(const MessageMap* baseMap, std::initializer_list<MessageMapEntry> list)
        : base(baseMap), entries(list) {}

    const MessageMap* base;
    std::vector<MessageMapEntry> entries;

    // Searches this table and then its bases; null when no entry answers.
    const MessageMapEntry* FindMessage(UINT message) const;
    const MessageMapEntry* FindCommand(UINT id, UINT code) const;
    const MessageMapEntry* FindUpdate(UINT id) const;
};

namespace message_map_detail {
template <typename F> struct MemberOf;
template <typename R, typename C, typename... A> struct MemberOf<R (C::*)(A...)> { using Class = C; };
} // namespace message_map_detail

// How each message's wParam and lParam become the handler's arguments. Messages without a
// specialisation take the raw pair: LRESULT Handler(WPARAM, LPARAM).
template <UINT Msg> struct MessageCracker {
    template <class T> using Handler = LRESULT (T::*)(WPARAM, LPARAM);
    template <class T> static LRESULT Call(T& t, Handler<T> f, const MessageCall& c) { return (t.*f)(c.wParam, c.lParam); }
};

#define FRAMEWORK_CRACKER(msg, signature, body)                                              \
    template <> struct MessageCracker<msg> {                                                 \
        template <class T> using Handler = signature;                                        \
        template <class T> static LRESULT Call(T& t, Handler<T> f, const MessageCall& c)     \
        {                                                                                    \
            (void)c;                                                                         \
            body                                                                             \
        }                                                                                    \
    };

FRAMEWORK_CRACKER(WM_PAINT, void (T::*)(), (t.*f)(); return 0;)
FRAMEWORK_CRACKER(WM_DESTROY, void (T::*)(), (t.*f)(); return 0;)
FRAMEWORK_CRACKER(WM_MOUSELEAVE, void (T::*)(), (t.*f)(); return 0;)
FRAMEWORK_CRACKER(WM_TIMER, void (T::*)(UINT_PTR), (t.*f)(static_cast<UINT_PTR>(c.wParam)); return 0;)
FRAMEWORK_CRACKER(WM_SYSCOMMAND, void (T::*)(UINT, LPARAM), (t.*f)(static_cast<UINT>(c.wParam), c.lParam); return 0;)
FRAMEWORK_CRACKER(WM_QUERYDRAGICON, HCURSOR (T::*)(), return reinterpret_cast<LRESULT>((t.*f)());)
FRAMEWORK_CRACKER(WM_SETTINGCHANGE, void (T::*)(UINT, LPCSTR),
                  (t.*f)(static_cast<UINT>(c.wParam), reinterpret_cast<LPCSTR>(c.lParam)); return 0;)
FRAMEWORK_CRACKER(WM_ENABLE, void (T::*)(BOOL), (t.*f)(static_cast<BOOL>(c.wParam)); return 0;)
FRAMEWORK_CRACKER(WM_CREATE, int (T::*)(LPCREATESTRUCTA), return (t.*f)(reinterpret_cast<LPCREATESTRUCTA>(c.lParam));)
// A top-level window's new scale (the DPI is the same in both words of wParam) and the window
// rectangle the system suggests for it; then each child's notice, after its parent's.
FRAMEWORK_CRACKER(dpi::kChanged, void (T::*)(UINT, const RECT&),
                  (t.*f)(LOWORD(c.wParam), *reinterpret_cast<const RECT*>(c.lParam)); return 0;)
FRAMEWORK_CRACKER(dpi::kChangedAfterParent, void (T::*)(), (t.*f)(); return 0;)
FRAMEWORK_CRACKER(WM_SIZE, void (T::*)(UINT, int, int),
                  (t.*f)(static_cast<UINT>(c.wParam), static_cast<short>(LOWORD(c.lParam)), static_cast<short>(HIWORD(c.lParam))); return 0;)

#define FRAMEWORK_MOUSE_CRACKER(msg)                                                                           \
    FRAMEWORK_CRACKER(msg, void (T::*)(UINT, CPoint),                                                          \
                      (t.*f)(static_cast<UINT>(c.wParam),                                                      \
                             CPoint(static_cast<short>(LOWORD(c.lParam)), static_cast<short>(HIWORD(c.lParam)))); \
                      return 0;)
FRAMEWORK_MOUSE_CRACKER(WM_MOUSEMOVE)
FRAMEWORK_MOUSE_CRACKER(WM_LBUTTONDOWN)
FRAMEWORK_MOUSE_CRACKER(WM_LBUTTONUP)
FRAMEWORK_MOUSE_CRACKER(WM_LBUTTONDBLCLK)
FRAMEWORK_MOUSE_CRACKER(WM_RBUTTONUP)
#undef FRAMEWORK_MOUSE_CRACKER
#undef FRAMEWORK_CRACKER

// Crackers whose arguments are wrapper objects are defined where those wrappers are complete
// (Wnd.h: WM_CAPTURECHANGED, WM_CTLCOLOR_ANY, WM_ERASEBKGND, WM_INITMENUPOPUP, WM_SETCURSOR).

namespace message_map_detail {
template <typename F, typename Expected>
constexpr void CheckSignature()
{
    static_assert(std::is_same<F, Expected>::value, "the handler's signature does not fit this message map entry");
}
} // namespace message_map_detail

// A window message with its cracked arguments.
template <UINT Msg, typename F>
MessageMapEntry OnMessage(F handler)
{
    using T = typename message_map_detail::MemberOf<F>::Class;
    message_map_detail::CheckSignature<F, typename MessageCracker<Msg>::template Handler<T>>();
    MessageMapEntry e;
    e.kind = MessageMapEntry::Kind::Message;
    e.message = Msg;
    e.handler = [handler](CCmdTarget& target, const MessageCall& call) {
        return MessageCracker<Msg>::Call(static_cast<T&>(target), handler, call);
    };
    return e;
}

// A message whose number is known only at run time (RegisterWindowMessage): LRESULT(WPARAM, LPARAM).
template <typename F>
MessageMapEntry OnRegisteredMessage(const UINT* message, F handler)
{
    using T = typename message_map_detail::MemberOf<F>::Class;
    message_map_detail::CheckSignature<F, LRESULT (T::*)(WPARAM, LPARAM)>();
    MessageMapEntry e;
    e.kind = MessageMapEntry::Kind::RegisteredMessage;
    e.registered = message;
    e.handler = [handler](CCmdTarget& target, const MessageCall& call) {
        return (static_cast<T&>(target).*handler)(call.wParam, call.lParam);
    };
    return e;
}

// A command (menu item, accelerator, or a control's notification code 0 such as BN_CLICKED).
template <typename F>
MessageMapEntry OnCommand(UINT id, F handler)
{
    using T = typename message_map_detail::MemberOf<F>::Class;
    message_map_detail::CheckSignature<F, void (T::*)()>();
    MessageMapEntry e;
    e.kind = MessageMapEntry::Kind::Command;
    e.firstId = e.lastId = id;
    e.handler = [handler](CCmdTarget& target, const MessageCall&) {
        (static_cast<T&>(target).*handler)();
        return LRESULT{0};
    };
    return e;
}

// A range of commands handled by one member that receives the identifier.
template <typename F>
MessageMapEntry OnCommandRange(UINT first, UINT last, F handler)
{
    using T = typename message_map_detail::MemberOf<F>::Class;
    message_map_detail::CheckSignature<F, void (T::*)(UINT)>();
    MessageMapEntry e;
    e.kind = MessageMapEntry::Kind::Command;
    e.firstId = first;
    e.lastId = last;
    e.handler = [handler](CCmdTarget& target, const MessageCall& call) {
        (static_cast<T&>(target).*handler)(call.id);
        return LRESULT{0};
    };
    return e;
}

// A control notification (WM_COMMAND with a notification code) from one control.
template <typename F>
MessageMapEntry OnNotify(UINT id, UINT code, F handler)
{
    using T = typename message_map_detail::MemberOf<F>::Class;
    message_map_detail::CheckSignature<F, void (T::*)()>();
    MessageMapEntry e;
    e.kind = MessageMapEntry::Kind::Notify;
    e.firstId = e.lastId = id;
    e.code = code;
    e.handler = [handler](CCmdTarget& target, const MessageCall&) {
        (static_cast<T&>(target).*handler)();
        return LRESULT{0};
    };
    return e;
}

// The update handler of a command: sets a menu item's check mark, enabled state or text.
template <typename F>
MessageMapEntry OnUpdateCommand(UINT id, F handler)
{
    using T = typename message_map_detail::MemberOf<F>::Class;
    message_map_detail::CheckSignature<F, void (T::*)(CCmdUI*)>();
    MessageMapEntry e;
    e.kind = MessageMapEntry::Kind::UpdateCommand;
    e.firstId = e.lastId = id;
    e.handler = [handler](CCmdTarget& target, const MessageCall& call) {
        (static_cast<T&>(target).*handler)(call.cmdUI);
        return LRESULT{0};
    };
    return e;
}

// The base of everything that owns a message map: windows and the application object.
class CCmdTarget {
public:
    static const MessageMap messageMap;

    CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;
    virtual ~CCmdTarget() = default;

    virtual const MessageMap* GetMessageMap() const { return &messageMap; }

    // Routes a command (cmdUI null) or a menu-item update (cmdUI set) to this object's map.
    // Returns true when an entry handled it.
    virtual bool OnCmdMsg(UINT id, UINT code, CCmdUI* cmdUI);

    // True when this object's map has a command handler for id.
    virtual bool HasCommandHandler(UINT id) const;
};
