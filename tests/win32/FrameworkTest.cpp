// The framework under the real window manager: message maps and their chaining, command routing,
// data exchange, the modal loop's pre-translation, where a dialog opens, and the menu-update walk.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/Afx.h"

namespace {

constexpr UINT kDialog = 500;
constexpr int kEdit = 10;
constexpr int kButton = 11;

UINT registeredMessage = ::RegisterWindowMessageA("FrameworkTestMessage");

// A window whose map answers a timer, a command, a registered message and WM_SETTEXT.
class BaseWnd : public CWnd {
public:
    static const MessageMap messageMap;
    const MessageMap* GetMessageMap() const override { return &messageMap; }

    std::vector<std::string> log;

    void OnTimer(UINT_PTR id) { log.push_back("base timer " + std::to_string(id)); }
    void OnHundred() { log.push_back("base 100"); }
    LRESULT OnRegistered(WPARAM w, LPARAM l) { log.push_back("registered " + std::to_string(w + l)); return 42; }
    LRESULT OnSetText(WPARAM, LPARAM) { log.push_back("settext"); return Default(); }
};

const MessageMap BaseWnd::messageMap{&CWnd::messageMap, {
    OnMessage<WM_TIMER>(&BaseWnd::OnTimer),
    OnCommand(100, &BaseWnd::OnHundred),
    OnRegisteredMessage(&registeredMessage, &BaseWnd::OnRegistered),
    OnMessage<WM_SETTEXT>(&BaseWnd::OnSetText),
}};

// Its derived class takes over command 100 and adds a range, a notification and an update handler.
class DerivedWnd : public BaseWnd {
public:
    static const MessageMap messageMap;
    const MessageMap* GetMessageMap() const override { return &messageMap; }

    void OnHundred() { log.push_back("derived 100"); }
    void OnRange(UINT id) { log.push_back("range " + std::to_string(id)); }
    void OnSelChange() { log.push_back("selchange"); }
    void OnUpdate101(CCmdUI* item) { item->SetCheck(1); log.push_back("update 101"); }
};

const MessageMap DerivedWnd::messageMap{&BaseWnd::messageMap, {
    OnCommand(100, &DerivedWnd::OnHundred),
    OnCommandRange(200, 205, &DerivedWnd::OnRange),
    OnNotify(300, CBN_SELCHANGE, &DerivedWnd::OnSelChange),
    OnUpdateCommand(101, &DerivedWnd::OnUpdate101),
}};

struct WindowFixture : ::testing::Test {
    void SetUp() override
    {
        ASSERT_TRUE(window.CreateEx(0, AfxRegisterWndClass(0), "test", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    }
    DerivedWnd window;
};

TEST_F(WindowFixture, MessagesReachTheMostDerivedEntryThenTheBaseMap)
{
    EXPECT_EQ(CWnd::FromHandlePermanent(window.m_hWnd), &window);
    window.SendMessage(WM_TIMER, 7);
    window.SendMessage(WM_COMMAND, MAKEWPARAM(100, 0));
    window.SendMessage(WM_COMMAND, MAKEWPARAM(100, 1));              // an accelerator is a command
    window.SendMessage(WM_COMMAND, MAKEWPARAM(203, 0));
    window.SendMessage(WM_COMMAND, MAKEWPARAM(206, 0));              // outside the range: nobody
    window.SendMessage(WM_COMMAND, MAKEWPARAM(300, CBN_SELCHANGE), 1);
    window.SendMessage(WM_COMMAND, MAKEWPARAM(300, CBN_DROPDOWN), 1); // other code: nobody
    EXPECT_EQ(window.SendMessage(registeredMessage, 1, 2), 42);
    const std::vector<std::string> expected = {"base timer 7", "derived 100", "derived 100", "range 203", "selchange",
                                               "registered 3"};
    EXPECT_EQ(window.log, expected);
}

TEST_F(WindowFixture, DefaultHandsTheMessageToTheOriginalProcedure)
{
    window.SetWindowText("hello");
    EXPECT_EQ(window.log, std::vector<std::string>{"settext"});
    EXPECT_EQ(std::string(window.GetWindowText()), "hello");
    // Unmapped messages go to the original procedure too.
    EXPECT_EQ(window.SendMessage(WM_GETTEXTLENGTH), 5);
}

TEST_F(WindowFixture, TheObjectLetsGoOfItsWindowWhenTheWindowIsDestroyed)
{
    HWND hwnd = window.m_hWnd;
    ::DestroyWindow(hwnd);
    EXPECT_EQ(window.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), nullptr);
}

// The update walk over a pop-up: handlers run once per item, also when one removes items.
class MenuOwner : public CWnd {
public:
    static const MessageMap messageMap;
    const MessageMap* GetMessageMap() const override { return &messageMap; }

    CMenu* menu = nullptr;
    std::vector<UINT> updated;

    void Update(CCmdUI* item)
    {
        updated.push_back(item->m_nID);
        if (item->m_nID == 2) // removes itself
            menu->RemoveMenu(2, MF_BYCOMMAND);
        if (item->m_nID == 4) // removes itself and the item after it
        {
            menu->RemoveMenu(4, MF_BYCOMMAND);
            menu->RemoveMenu(5, MF_BYCOMMAND);
        }
        if (item->m_nID == 7)
            item->SetCheck(1);
    }
    void OnSeven() {}
    void OnNestedFirst() {}
};

const MessageMap MenuOwner::messageMap{&CWnd::messageMap, {
    OnUpdateCommand(1, &MenuOwner::Update), OnUpdateCommand(2, &MenuOwner::Update),
    OnUpdateCommand(3, &MenuOwner::Update), OnUpdateCommand(4, &MenuOwner::Update),
    OnUpdateCommand(5, &MenuOwner::Update), OnUpdateCommand(6, &MenuOwner::Update),
    OnUpdateCommand(7, &MenuOwner::Update), OnCommand(7, &MenuOwner::OnSeven),
    OnCommand(20, &MenuOwner::OnNestedFirst),
}};

TEST(MenuUpdate, EveryItemIsUpdatedOnceWhenHandlersRemoveItems)
{
    MenuOwner owner;
    CMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    for (UINT id : {1u, 2u, 3u})
        menu.AppendMenu(MF_STRING, id, "item");
    menu.AppendMenu(MF_SEPARATOR);
    for (UINT id : {4u, 5u, 6u, 7u, 8u})
        menu.AppendMenu(MF_STRING, id, "item");
    owner.menu = &menu;

    owner.UpdateMenuItems(&menu);

    EXPECT_EQ(owner.updated, (std::vector<UINT>{1, 2, 3, 4, 6, 7}));
    EXPECT_EQ(menu.GetMenuItemCount(), 6); // 1, 3, separator, 6, 7, 8
    EXPECT_TRUE(menu.GetMenuState(7, MF_BYCOMMAND) & MF_CHECKED);
    // An item without an update entry keeps its state.
    EXPECT_FALSE(menu.GetMenuState(8, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED));
}

TEST(MenuUpdate, ANestedPopupIsDisabledOnlyWhenNothingHandlesItsFirstCommand)
{
    MenuOwner owner;
    CMenu menu, handled, unhandled;
    ASSERT_TRUE(menu.CreatePopupMenu() && handled.CreatePopupMenu() && unhandled.CreatePopupMenu());
    handled.AppendMenu(MF_STRING, 20, "handled");
    unhandled.AppendMenu(MF_STRING, 30, "unhandled");
    menu.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(handled.Detach()), "with handler");
    menu.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(unhandled.Detach()), "without");
    owner.menu = &menu;

    owner.UpdateMenuItems(&menu);

    EXPECT_FALSE(menu.GetMenuState(0, MF_BYPOSITION) & MF_GRAYED);
    EXPECT_TRUE(menu.GetMenuState(1, MF_BYPOSITION) & MF_GRAYED);
}

// A control that rewrites double clicks into presses before the dialog sees them, and records the
// order in which pre-translation reaches it and the dialog.
std::vector<std::string> order;

class RewritingButton : public CButton {
public:
    BOOL PreTranslateMessage(MSG* msg) override
    {
        if (msg->message == WM_LBUTTONDBLCLK || msg->message == WM_LBUTTONDOWN || msg->message == WM_KEYDOWN)
            order.push_back("button " + std::to_string(msg->message));
        if (msg->message == WM_LBUTTONDBLCLK)
            msg->message = WM_LBUTTONDOWN;
        return CButton::PreTranslateMessage(msg);
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK)
            order.push_back("received " + std::to_string(message));
        return CButton::WindowProc(message, wParam, lParam);
    }
};

class TestDialog : public CDialog {
public:
    static const MessageMap messageMap;
    const MessageMap* GetMessageMap() const override { return &messageMap; }

    TestDialog() : CDialog(kDialog) {}

    CString text = "from the field";
    RewritingButton button;
    std::string shownAtStart;
    std::string readBack;
    bool buttonAttached = false;
    int clicks = 0;

    BOOL PreTranslateMessage(MSG* msg) override
    {
        if (msg->message == WM_LBUTTONDOWN || msg->message == WM_LBUTTONDBLCLK || msg->message == WM_KEYDOWN)
            order.push_back("dialog " + std::to_string(msg->message));
        return CDialog::PreTranslateMessage(msg);
    }

protected:
    void DoDataExchange(CDataExchange* dx) override
    {
        DDX_Text(dx, kEdit, text);
        DDX_Control(dx, kButton, button);
    }
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        char shown[64] = {};
        ::GetDlgItemTextA(m_hWnd, kEdit, shown, sizeof shown);
        shownAtStart = shown;
        buttonAttached = CWnd::FromHandlePermanent(GetDlgItem(kButton)) == &button;
        // Queued input for the modal loop: a double click on the button, a key for the edit.
        const HWND b = GetDlgItem(kButton);
        ::PostMessageA(b, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
        ::PostMessageA(b, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        PostMessage(WM_APP);
        return TRUE;
    }
    LRESULT OnFinish(WPARAM, LPARAM)
    {
        ::SetDlgItemTextA(m_hWnd, kEdit, "typed by the user");
        UpdateData(TRUE);
        readBack = text.c_str();
        EndDialog(77);
        return 0;
    }
    void OnButton() { ++clicks; }
};

const MessageMap TestDialog::messageMap{&CDialog::messageMap, {
    OnMessage<WM_APP>(&TestDialog::OnFinish),
    OnCommand(kButton, &TestDialog::OnButton),
}};

TEST(Dialog, DataExchangeGoesBothWaysAndBindsControls)
{
    order.clear();
    TestDialog dialog;
    EXPECT_EQ(dialog.DoModal(), 77);
    EXPECT_EQ(dialog.shownAtStart, "from the field");
    EXPECT_TRUE(dialog.buttonAttached);
    EXPECT_EQ(dialog.readBack, "typed by the user");
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    EXPECT_EQ(dialog.button.m_hWnd, nullptr);
}

TEST(Dialog, TheControlPreTranslatesBeforeTheDialogAndItsRewriteIsWhatIsDispatched)
{
    order.clear();
    TestDialog dialog;
    dialog.DoModal();
    const std::string dbl = std::to_string(WM_LBUTTONDBLCLK);
    const std::string down = std::to_string(WM_LBUTTONDOWN);
    const std::vector<std::string> expected = {"button " + dbl, "dialog " + down, "received " + down};
    EXPECT_EQ(order, expected);
    EXPECT_EQ(dialog.clicks, 1); // the rewritten press and the release make a click
}

TEST(Dialog, OkAndCancelEndTheDialogThroughTheBaseMap)
{
    for (int command : {IDOK, IDCANCEL}) {
        class Ending : public CDialog {
        public:
            explicit Ending(int c) : CDialog(kDialog), command_(c) {}
            BOOL OnInitDialog() override
            {
                CDialog::OnInitDialog();
                PostMessage(WM_COMMAND, MAKEWPARAM(command_, BN_CLICKED));
                return TRUE;
            }
            int command_;
        } dialog(command);
        EXPECT_EQ(dialog.DoModal(), command);
    }
}

TEST(Dialog, EndDialogDuringInitialisationSkipsTheLoop)
{
    class Early : public CDialog {
    public:
        Early() : CDialog(kDialog) {}
        BOOL OnInitDialog() override
        {
            CDialog::OnInitDialog();
            EndDialog(1);
            return TRUE;
        }
    } dialog;
    EXPECT_EQ(dialog.DoModal(), 1);
}

TEST(Dialog, AMissingTemplateFailsWithoutAWindow)
{
    CDialog dialog(4242);
    EXPECT_EQ(dialog.DoModal(), -1);
}

// Records where it opens, at the moment it would be shown, and ends there unshown: hiding a shown
// window makes Wine wait some two seconds for a window manager, which Xvfb does not have.
class PlacedDialog : public CDialog {
public:
    PlacedDialog(CWnd* owner, bool placeItself) : CDialog(kDialog, owner), placeItself_(placeItself) {}
    RECT opened{};

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        if (placeItself_)
            ::SetWindowPos(m_hWnd, nullptr, 30, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return TRUE;
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
        if (message == WM_WINDOWPOSCHANGING && (pos->flags & SWP_SHOWWINDOW)) {
            pos->flags &= ~SWP_SHOWWINDOW;
            GetWindowRect(&opened);
            EndDialog(IDOK);
        }
        return CDialog::WindowProc(message, wParam, lParam);
    }
    bool placeItself_;
};

TEST(Dialog, OpensCentredOverAShownOwnerElseOnTheWorkAreaUnlessItPlacedItself)
{
    RECT work;
    ASSERT_TRUE(::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)); // one monitor here
    const RECT ownerRect{120, 90, 600, 450};
    enum class Expect { OwnerCentre, WorkCentre, WorkCorner, WhereItPutItself };
    struct Case {
        const char* name;
        bool hasOwner;
        int ownerX, ownerY, show;
        bool placeItself;
        Expect expect;
    };
    const Case cases[] = {
        {"owner shown", true, ownerRect.left, ownerRect.top, SW_SHOWNOACTIVATE, false, Expect::OwnerCentre},
        {"owner off the top-left edge", true, -400, -300, SW_SHOWNOACTIVATE, false, Expect::WorkCorner},
        {"no owner", false, 0, 0, SW_HIDE, false, Expect::WorkCentre},
        {"owner hidden", true, ownerRect.left, ownerRect.top, SW_HIDE, false, Expect::WorkCentre},
        {"placed itself", false, 0, 0, SW_HIDE, true, Expect::WhereItPutItself},
    };
    const auto centre = [](const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CWnd owner;
        if (c.hasOwner) {
            ASSERT_TRUE(owner.CreateEx(0, "STATIC", "owner", WS_POPUP | WS_BORDER, c.ownerX, c.ownerY,
                                       ownerRect.right - ownerRect.left, ownerRect.bottom - ownerRect.top,
                                       nullptr, nullptr));
            owner.ShowWindow(c.show);
        }
        PlacedDialog dialog(c.hasOwner ? &owner : nullptr, c.placeItself);
        ASSERT_EQ(dialog.DoModal(), IDOK);
        const POINT opened = centre(dialog.opened);
        switch (c.expect) {
        case Expect::OwnerCentre:
        case Expect::WorkCentre: {
            RECT over = work;
            if (c.expect == Expect::OwnerCentre)
                owner.GetWindowRect(&over);
            EXPECT_NEAR(opened.x, centre(over).x, 1);
            EXPECT_NEAR(opened.y, centre(over).y, 1);
            break;
        }
        case Expect::WorkCorner:
            EXPECT_EQ(dialog.opened.left, work.left);
            EXPECT_EQ(dialog.opened.top, work.top);
            break;
        case Expect::WhereItPutItself:
            EXPECT_EQ(dialog.opened.left, 30);
            EXPECT_EQ(dialog.opened.top, 40);
            break;
        }
    }
}

} // namespace
