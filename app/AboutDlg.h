#pragma once
// CAboutDlg: the About box (template 100).

#include "controls/ButtonST.h"
#include "framework/Dialog.h"

class CAboutDlg : public CDialog {
public:
    static const MessageMap messageMap;
    const MessageMap* GetMessageMap() const override { return &messageMap; }

    CAboutDlg();

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;

    CButtonST okButton;
};
