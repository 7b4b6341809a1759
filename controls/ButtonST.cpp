#include "controls/ButtonST.h"

const MessageMap CButtonST::messageMap{&CButton::messageMap, {}};

void CButtonST::SetTooltipText(LPCSTR, BOOL) {}

BOOL CButtonST::PreTranslateMessage(MSG* msg)
{
    return CButton::PreTranslateMessage(msg);
}
