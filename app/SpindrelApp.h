#pragma once
// CSpindrelApp: the application object. It prepares the process, hands the look of every window
// to the skinning component, and runs the main window modally.

#include "framework/Afx.h"

class CSpindrelApp : public CWinApp {
public:
    static const MessageMap messageMap;
    const MessageMap* GetMessageMap() const override { return &messageMap; }

    CSpindrelApp() = default;
    ~CSpindrelApp() override = default;

    BOOL InitInstance() override;
    int ExitInstance() override;

    // The skinning component; made in InitInstance and kept until the process ends.
    COleDispatchDriver* skinDriver = nullptr;
};

// The ProgID of the skinning component and the skin it loads.
inline constexpr const char kSkinProgId[] = "SkinCrafter.SCSkin3";
inline constexpr const char kSkinFile[] = "Skin.skf";
