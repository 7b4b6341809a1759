#pragma once
// CErrorMessageDlg: says that Tarvo is missing and links to its home page (template 173).

#include "controls/HyperLink.h"
#include "framework/Dialog.h"

class CErrorMessageDlg : public CDialog {
public:
    static const MessageMap messageMap;
    const MessageMap* GetMessageMap() const override { return &messageMap; }

    CErrorMessageDlg();

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnLinkClicked();
    // A high-contrast theme switched on or off, or its colours changed: passed on to the link.
    LRESULT OnThemeChange(WPARAM, LPARAM);
    void OnSettingChange(UINT setting, LPCSTR section);

    CHyperLink link;
    CString message;
    CString urlText;
};
