// The picture a window keeps of itself. Everything a device context draws
// for the window lands here; the window only shows it.
#pragma once
#include <functional>
#include <memory>

#include "framework/ui/WinTypes.h"

class CSurface {
public:
    CSurface();
    CSurface(int cx, int cy, COLORREF fill = RGB(255, 255, 255));
    ~CSurface();
    CSurface(const CSurface&) = delete;
    CSurface& operator=(const CSurface&) = delete;

    int Width() const;
    int Height() const;
    CSize GetSize() const { return CSize(Width(), Height()); }
    CRect GetRect() const { return CRect(0, 0, Width(), Height()); }

    // A new size. With bKeep the old picture stays at the top-left corner
    // and only the uncovered part takes the fill colour.
    void Resize(int cx, int cy, bool bKeep = true, COLORREF fill = RGB(255, 255, 255));
    void Fill(COLORREF color);

    // CLR_INVALID outside the picture.
    COLORREF GetPixel(int x, int y) const;

    // Drawing reports the area it touched; the window collects it to know
    // what to show again. The listener, when set, hears every report.
    void NoteChanged(const CRect& rect);
    CRect TakeChangedRect();
    void SetChangeListener(std::function<void(const CRect&)> listener);

    // The underlying QImage (Format_RGB32), for the window layer's own code.
    void* NativeImage();
    const void* NativeImage() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};
