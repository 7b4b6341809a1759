#pragma once
// CButtonST: a system-drawn push button with a tooltip, on which a double click counts as a
// second click.

#include "framework/Controls.h"
#include "framework/Dpi.h"

class CButtonST : public CButton {
public:
    static const MessageMap messageMap;
    const MessageMap* GetMessageMap() const override { return &messageMap; }

    CButtonST() = default;

    // Sets the tip text (a null text does nothing) and activates or deactivates the tip. The tip
    // answers to the button's client rectangle as it is at the first call, and again after each
    // move of its dialog to another display scale.
    void SetTooltipText(LPCSTR text, BOOL activate = TRUE);

    // Relays every message to the tooltip and turns a double click into a second press.
    BOOL PreTranslateMessage(MSG* msg) override;

    const CToolTipCtrl& ToolTip() const { return toolTip; }

protected:
    // Makes the tooltip window on first need: inactive, tips wrapped at 400 pixels at 96 DPI.
    void InitToolTip();
    // The dialog has moved to another scale and laid the button out anew.
    void OnDpiChangedAfterParent();

    CToolTipCtrl toolTip;
    DWORD toolTipStyle = 0;
};
