// A device context: draws into a window's surface or into a bitmap with the
// platform's pixel rules. Coordinates are logical (MM_TEXT: a pixel each,
// shifted by the window and viewport origins); colours are 0x00BBGGRR.
#pragma once
#include <memory>

#include "framework/ui/CGdiObjects.h"
#include "framework/ui/WinTypes.h"

class CSurface;

// Background modes.
enum : int { TRANSPARENT = 1, OPAQUE = 2 };

// Mixing of pen and brush with the picture (bitwise on the colour); any of
// the sixteen binary mixes 1…16 works, these are the ones the suite names.
enum : int { R2_NOT = 6, R2_XORPEN = 7, R2_NOTXORPEN = 10, R2_COPYPEN = 13, R2_MERGEPEN = 15 };

// Text alignment: where the reference point lies on the text's cell.
enum : UINT {
    TA_NOUPDATECP = 0, TA_UPDATECP = 1,
    TA_LEFT = 0, TA_RIGHT = 2, TA_CENTER = 6,
    TA_TOP = 0, TA_BOTTOM = 8, TA_BASELINE = 24
};

// DrawText formats.
enum : UINT {
    DT_TOP = 0x0, DT_LEFT = 0x0, DT_CENTER = 0x1, DT_RIGHT = 0x2, DT_VCENTER = 0x4,
    DT_BOTTOM = 0x8, DT_WORDBREAK = 0x10, DT_SINGLELINE = 0x20, DT_EXPANDTABS = 0x40,
    DT_NOCLIP = 0x100, DT_CALCRECT = 0x400, DT_NOPREFIX = 0x800
};

// Ternary raster operations of the block transfers.
constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr DWORD SRCPAINT = 0x00EE0086;
constexpr DWORD SRCAND = 0x008800C6;
constexpr DWORD SRCINVERT = 0x00660046;
constexpr DWORD PATCOPY = 0x00F00021;
constexpr DWORD DSTINVERT = 0x00550009;

// Mapping modes: only the pixel one is drawn.
enum : int { MM_TEXT = 1 };

class CDC {
public:
    // An empty context: make it a memory one with CreateCompatibleDC.
    CDC();
    // A context over a window's surface; the surface must outlive it.
    explicit CDC(CSurface* pSurface);
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    // A memory context with a 1 x 1 picture until a bitmap is selected.
    BOOL CreateCompatibleDC(CDC* pDC);
    BOOL DeleteDC();
    // Where drawing lands now (the selected bitmap's picture for a memory
    // context); null for an empty context.
    CSurface* GetSurface() const;

    // Selection returns what was selected before.
    CPen* SelectObject(CPen* pPen);
    CBrush* SelectObject(CBrush* pBrush);
    CFont* SelectObject(CFont* pFont);
    // Null when the bitmap is selected into another context already.
    CBitmap* SelectObject(CBitmap* pBitmap);
    CGdiObject* SelectObject(CGdiObject* pObject);
    CGdiObject* SelectStockObject(int id);

    COLORREF SetTextColor(COLORREF color);
    COLORREF SetBkColor(COLORREF color);
    int SetBkMode(int mode);
    int SetROP2(int mode);
    UINT SetTextAlign(UINT flags);
    UINT GetTextAlign() const;

    int SetMapMode(int mode);
    CPoint SetViewportOrg(int x, int y);
    CPoint SetViewportOrg(POINT p) { return SetViewportOrg(p.x, p.y); }

    // Lines leave out their last point.
    CPoint MoveTo(int x, int y);
    CPoint MoveTo(POINT p) { return MoveTo(p.x, p.y); }
    BOOL LineTo(int x, int y);
    BOOL LineTo(POINT p) { return LineTo(p.x, p.y); }
    BOOL Polyline(const POINT* points, int count);

    // Outline in the pen, inside in the brush, both mixed by the ROP2 mode;
    // covers [l, r) x [t, b). Without a pen the inside is one pixel smaller
    // on the right and at the bottom, as on the platform.
    BOOL Rectangle(int l, int t, int r, int b);
    BOOL Rectangle(LPCRECT rect) { return Rectangle(rect->left, rect->top, rect->right, rect->bottom); }

    // Plain copies, whatever the ROP2 mode.
    int FillRect(LPCRECT rect, CBrush* pBrush);
    // Leaves the background colour set to the fill colour, as the platform's does.
    void FillSolidRect(LPCRECT rect, COLORREF color);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF color);

    // Returns the colour set, or CLR_INVALID outside the picture or clip.
    COLORREF SetPixel(int x, int y, COLORREF color);
    COLORREF SetPixel(POINT p, COLORREF color) { return SetPixel(p.x, p.y, color); }
    COLORREF GetPixel(int x, int y) const;
    COLORREF GetPixel(POINT p) const { return GetPixel(p.x, p.y); }

    BOOL PatBlt(int x, int y, int cx, int cy, DWORD rop);
    BOOL BitBlt(int x, int y, int cx, int cy, CDC* pSrc, int xSrc, int ySrc, DWORD rop);
    BOOL StretchBlt(int x, int y, int cx, int cy, CDC* pSrc, int xSrc, int ySrc, int cxSrc,
                    int cySrc, DWORD rop);
    // A 24- or 32-bit BI_RGB picture; the source rectangle counts rows from
    // the picture's first row in memory. Nearest pixel when stretching.
    // Returns the number of rows drawn, 0 on failure.
    int StretchDIBits(int xDest, int yDest, int cxDest, int cyDest, int xSrc, int ySrc, int cxSrc,
                      int cySrc, const void* bits, const BITMAPINFO* bmi, UINT usage, DWORD rop);

    // Text is UTF-8; count is in bytes, -1 for the whole string.
    BOOL TextOut(int x, int y, const char* text, int count = -1);
    CSize GetTextExtent(const char* text, int count = -1) const;
    int DrawText(const char* text, int count, LPRECT rect, UINT format);
    int DrawText(const char* text, LPRECT rect, UINT format) { return DrawText(text, -1, rect, format); }

    // Clipping in logical coordinates; each returns the region kind.
    int ExcludeClipRect(int l, int t, int r, int b);
    int ExcludeClipRect(LPCRECT rect) { return ExcludeClipRect(rect->left, rect->top, rect->right, rect->bottom); }
    int IntersectClipRect(int l, int t, int r, int b);
    int IntersectClipRect(LPCRECT rect) { return IntersectClipRect(rect->left, rect->top, rect->right, rect->bottom); }

    // Saves pens, colours, modes, origin, clipping; RestoreDC(-1) is the last.
    int SaveDC();
    BOOL RestoreDC(int saved);

    // A printer's context: views leave out what only a screen shows.
    BOOL IsPrinting() const { return m_bPrinting; }

protected:
    bool m_bPrinting = false;
    // Limits drawing to this device rectangle, beyond any clipping the
    // caller selects (a paint context's invalid area); empty removes it.
    void SetDeviceLimit(const CRect& rect);
    void SetTargetSurface(CSurface* pSurface);

private:
    friend class CBitmap;
    void ForgetBitmap(CBitmap* pBitmap);

    struct Impl;
    std::unique_ptr<Impl> m;
};
