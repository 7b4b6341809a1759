#pragma once
// CButtonST: a system-drawn push button with a tooltip, on which a double click counts as a
// second click.

#include "framework/Controls.h"

class CButtonST : public CButton {
public:
    static const MessageMap messageMap;
    const MessageMap* GetMessageMap() const override { return &messageMap; }

    CButtonST() = default;

    // Sets the tip text (a null text does nothing) and activates or deactivates the tip.
    void SetTooltipText(LPCSTR text, BOOL activate = TRUE);

    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    CToolTipCtrl toolTip;
    DWORD toolTipStyle = 0;
};
