#pragma once
// CHyperLink: a static text that paints itself as a link and opens its address when clicked.

#include "framework/Controls.h"

class CHyperLink : public CStatic {
public:
    static const MessageMap messageMap;
    const MessageMap* GetMessageMap() const override { return &messageMap; }

    CHyperLink() = default;

    void SetURL(LPCSTR address);
    void SetBackgroundColor(COLORREF color);
};
