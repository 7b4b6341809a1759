#include "controls/HyperLink.h"

const MessageMap CHyperLink::messageMap{&CStatic::messageMap, {}};

void CHyperLink::SetURL(LPCSTR) {}
void CHyperLink::SetBackgroundColor(COLORREF) {}
