#pragma once
// CDialog: a dialog from a template, run modally by its own message loop, with data exchange
// between its controls and the object's fields.

#include <windows.h>

#include "framework/String.h"
#include "framework/Wnd.h"

// One pass of data exchange: from the fields to the window (m_bSaveAndValidate FALSE) or back.
class CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate) : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}
    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
};

// The text of control id and a string field. Setting a text that the control already shows
// changes nothing, so a periodic exchange does not make the window flicker.
void DDX_Text(CDataExchange* dx, int id, CString& value);
// Binds control id to a window object (subclassing it) the first time; later passes do nothing.
void DDX_Control(CDataExchange* dx, int id, CWnd& control);

class CDialog : public CWnd {
public:
    static const MessageMap messageMap;

    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    const MessageMap* GetMessageMap() const override { return &messageMap; }

    // Creates the dialog, disables its owner, and runs the modal loop until EndDialog.
    virtual INT_PTR DoModal();
    // Ends the modal loop with result; the dialog closes when control returns to the loop.
    void EndDialog(int result);
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    // Gives keyboard messages of the dialog and its controls to IsDialogMessage (Tab, Enter, Escape).
    BOOL PreTranslateMessage(MSG* msg) override;
    bool OnCmdMsg(UINT id, UINT code, CCmdUI* cmdUI) override;
    bool HasCommandHandler(UINT id) const override;

    UINT TemplateId() const { return m_nIDTemplate; }

protected:
    virtual void DoDataExchange(CDataExchange*) {}

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void RunModalLoop();
    // Offers msg to the PreTranslateMessage of its window and then of each parent in turn.
    bool PreTranslateTree(MSG* msg);

    bool endModal_ = false;
    INT_PTR modalResult_ = -1;
};
