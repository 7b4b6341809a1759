#include "controls/BufferDC.h"

#include "framework/Wnd.h"

CBufferDC::CBufferDC(CWnd* window) : CPaintDC(window)
{
    if (!window || !window->m_hWnd || !m_hDC)
        return;
    paintDC = m_hDC;
    paintAttribDC = m_hAttribDC;
    window->GetClientRect(&bufferRect);
    memoryDC.reset(::CreateCompatibleDC(paintDC));
    bufferBitmap.reset(::CreateCompatibleBitmap(paintDC, bufferRect.right - bufferRect.left,
                                                bufferRect.bottom - bufferRect.top));
    previousBitmap = ::SelectObject(memoryDC.get(), bufferBitmap.get());
    m_hDC = m_hAttribDC = memoryDC.get();
}

CBufferDC::~CBufferDC()
{
    if (paintDC) {
        Flush();
        if (memoryDC && previousBitmap)
            ::SelectObject(memoryDC.get(), previousBitmap);
        bufferBitmap.reset();
        m_hDC = paintDC;
        m_hAttribDC = paintAttribDC;
        memoryDC.reset();
    }
    // ~CPaintDC ends the paint.
}

void CBufferDC::Flush()
{
    ::BitBlt(paintDC, bufferRect.left, bufferRect.top, bufferRect.right - bufferRect.left,
             bufferRect.bottom - bufferRect.top, memoryDC.get(), 0, 0, SRCCOPY);
}

UINT CBufferDC::SetBoundsRect(LPCRECT rect, UINT flags)
{
    if (!rect || !paintDC)
        return ::SetBoundsRect(m_hDC, rect, flags);

    const LONG width = bufferRect.right - bufferRect.left;
    const LONG height = bufferRect.bottom - bufferRect.top;
    const bool grows = rect->right - rect->left >= width && rect->bottom - rect->top >= height;
    const RECT chosen = grows ? *rect : bufferRect;

    // A new bitmap holding what has been drawn so far.
    HBITMAP replacement = ::CreateCompatibleBitmap(paintDC, chosen.right - chosen.left, chosen.bottom - chosen.top);
    {
        UniqueMemoryDC copyDC(::CreateCompatibleDC(paintDC));
        const HGDIOBJ before = ::SelectObject(copyDC.get(), replacement);
        ::BitBlt(copyDC.get(), bufferRect.left, bufferRect.top, width, height, memoryDC.get(), 0, 0, SRCCOPY);
        ::SelectObject(copyDC.get(), before);
    }

    const HGDIOBJ out = ::SelectObject(memoryDC.get(), replacement);
    if (out && out != bufferBitmap.get() && out != previousBitmap)
        ::DeleteObject(out);
    bufferBitmap.reset(replacement);
    bufferRect = chosen;
    bufferReplaced = true;

    return ::SetBoundsRect(m_hDC, &chosen, flags);
}

BOOL CBufferDC::RestoreDC(int savedDC)
{
    const BOOL result = CPaintDC::RestoreDC(savedDC);
    if (bufferReplaced && bufferBitmap)
        ::SelectObject(m_hDC, bufferBitmap.get());
    return result;
}
