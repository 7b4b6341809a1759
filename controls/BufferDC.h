#pragma once
// CBufferDC: a paint device context that draws into an off-screen bitmap and copies the finished
// picture to the window in one BitBlt when it is destroyed. Construct it in a WM_PAINT handler in
// place of a CPaintDC.

#include <windows.h>

#include "framework/Gdi.h"
#include "framework/Handles.h"

class CWnd;

class CBufferDC : public CPaintDC {
public:
    explicit CBufferDC(CWnd* window);
    ~CBufferDC() override;

    // Makes the buffer cover rect (client coordinates) when rect is at least as wide and as high as
    // the buffer; otherwise the buffer keeps its size. Either way the bitmap is re-created with
    // what was drawn so far. Then the system's SetBoundsRect on this context.
    UINT SetBoundsRect(LPCRECT rect, UINT flags);
    // Restores a saved state and keeps the current buffer selected, also one made after the save.
    BOOL RestoreDC(int savedDC) override;

    const RECT& BufferRect() const { return bufferRect; }

private:
    void Flush();

    HDC paintDC = nullptr;
    HDC paintAttribDC = nullptr;
    UniqueMemoryDC memoryDC;
    UniqueBitmap bufferBitmap;
    HGDIOBJ previousBitmap = nullptr;
    RECT bufferRect{0, 0, 0, 0};
    bool bufferReplaced = false;
};
