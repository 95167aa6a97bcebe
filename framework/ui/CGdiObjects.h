// Pens, brushes, fonts, bitmaps and regions: what a device context draws
// with. A device context copies a pen's, brush's or font's attributes when
// it selects them, so deleting one that is still selected is harmless.
#pragma once
#include <memory>
#include <string>

#include "framework/ui/WinTypes.h"

class CDC;
class CSurface;

// Pen styles.
enum : int { PS_SOLID = 0, PS_DASH = 1, PS_DOT = 2, PS_DASHDOT = 3, PS_DASHDOTDOT = 4, PS_NULL = 5, PS_INSIDEFRAME = 6 };

// Brush styles.
enum : int { BS_SOLID = 0, BS_NULL = 1, BS_HOLLOW = 1 };

// Stock objects.
enum : int {
    WHITE_BRUSH = 0, LTGRAY_BRUSH = 1, GRAY_BRUSH = 2, DKGRAY_BRUSH = 3, BLACK_BRUSH = 4,
    NULL_BRUSH = 5, HOLLOW_BRUSH = NULL_BRUSH,
    WHITE_PEN = 6, BLACK_PEN = 7, NULL_PEN = 8,
    OEM_FIXED_FONT = 10, ANSI_FIXED_FONT = 11, ANSI_VAR_FONT = 12, SYSTEM_FONT = 13,
    DEVICE_DEFAULT_FONT = 14, SYSTEM_FIXED_FONT = 16, DEFAULT_GUI_FONT = 17
};

// Font weights, character sets and the rest of a font request.
enum : int {
    FW_DONTCARE = 0, FW_THIN = 100, FW_EXTRALIGHT = 200, FW_LIGHT = 300, FW_NORMAL = 400,
    FW_REGULAR = 400, FW_MEDIUM = 500, FW_SEMIBOLD = 600, FW_DEMIBOLD = 600, FW_BOLD = 700,
    FW_EXTRABOLD = 800, FW_HEAVY = 900
};
enum : BYTE {
    ANSI_CHARSET = 0, DEFAULT_CHARSET = 1, SYMBOL_CHARSET = 2, RUSSIAN_CHARSET = 204, OEM_CHARSET = 255
};
enum : BYTE {
    OUT_DEFAULT_PRECIS = 0, OUT_STRING_PRECIS = 1, OUT_CHARACTER_PRECIS = 2, OUT_STROKE_PRECIS = 3,
    OUT_TT_PRECIS = 4, OUT_DEVICE_PRECIS = 5, OUT_RASTER_PRECIS = 6, OUT_TT_ONLY_PRECIS = 7,
    OUT_OUTLINE_PRECIS = 8
};
enum : BYTE { CLIP_DEFAULT_PRECIS = 0, CLIP_CHARACTER_PRECIS = 1, CLIP_STROKE_PRECIS = 2 };
enum : BYTE {
    DEFAULT_QUALITY = 0, DRAFT_QUALITY = 1, PROOF_QUALITY = 2, NONANTIALIASED_QUALITY = 3,
    ANTIALIASED_QUALITY = 4
};
enum : BYTE {
    DEFAULT_PITCH = 0, FIXED_PITCH = 1, VARIABLE_PITCH = 2,
    FF_DONTCARE = 0x00, FF_ROMAN = 0x10, FF_SWISS = 0x20, FF_MODERN = 0x30, FF_SCRIPT = 0x40,
    FF_DECORATIVE = 0x50
};

constexpr int LF_FACESIZE = 32;

struct LOGFONT {
    LONG lfHeight;       // > 0: cell height; < 0: character height; 0: default
    LONG lfWidth;        // average character width; 0: the face's own
    LONG lfEscapement;   // tenths of a degree, counter-clockwise
    LONG lfOrientation;  // ignored: the escapement turns the characters too
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    char lfFaceName[LF_FACESIZE];  // UTF-8
};

struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    void* bmBits;
};

// What a clipping call leaves: the kind of the clip region.
enum : int { ERROR = 0, NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3 };

class CGdiObject {
public:
    enum Kind { KindNone, KindPen, KindBrush, KindFont, KindBitmap };

    virtual ~CGdiObject() = default;
    Kind GetKind() const { return m_kind; }
    // Non-null once the object has been created.
    const void* GetSafeHandle() const { return m_bCreated ? this : nullptr; }
    virtual BOOL DeleteObject() { m_bCreated = false; return TRUE; }

    // The shared stock object, or null for an unknown id.
    static CGdiObject* GetStockObjectPtr(int id);

protected:
    explicit CGdiObject(Kind kind) : m_kind(kind) {}
    CGdiObject(const CGdiObject&) = default;
    CGdiObject& operator=(const CGdiObject&) = default;
    Kind m_kind;
    bool m_bCreated = false;
};

class CPen : public CGdiObject {
public:
    CPen() : CGdiObject(KindPen) {}
    CPen(int style, int width, COLORREF color) : CGdiObject(KindPen) { CreatePen(style, width, color); }
    BOOL CreatePen(int style, int width, COLORREF color);

    int GetStyle() const { return m_style; }
    int GetWidth() const { return m_width; }
    COLORREF GetColor() const { return m_color; }

private:
    int m_style = PS_SOLID;
    int m_width = 1;
    COLORREF m_color = 0;
};

class CBrush : public CGdiObject {
public:
    CBrush() : CGdiObject(KindBrush) {}
    explicit CBrush(COLORREF color) : CGdiObject(KindBrush) { CreateSolidBrush(color); }
    BOOL CreateSolidBrush(COLORREF color);
    BOOL CreateNullBrush();

    bool IsNull() const { return m_style == BS_NULL; }
    COLORREF GetColor() const { return m_color; }

private:
    int m_style = BS_SOLID;
    COLORREF m_color = RGB(255, 255, 255);
};

class CFont : public CGdiObject {
public:
    CFont() : CGdiObject(KindFont) {}
    // The face is matched to an installed one that can show Cyrillic:
    // the name itself, the name without its " Cyr" suffix, a face of the
    // same family kind (sans, serif, fixed), else any Cyrillic face.
    // Fails only when no face at all can be found.
    BOOL CreateFont(int height, int width, int escapement, int orientation, int weight,
                    BYTE italic, BYTE underline, BYTE strikeOut, BYTE charSet,
                    BYTE outPrecision, BYTE clipPrecision, BYTE quality, BYTE pitchAndFamily,
                    const char* faceName);
    BOOL CreateFontIndirect(const LOGFONT* lf);
    // Tenths of a point at 96 pixels per inch.
    BOOL CreatePointFont(int pointSize, const char* faceName, CDC* pDC = nullptr);
    int GetLogFont(LOGFONT* lf) const;

    const LOGFONT& LogFont() const { return m_lf; }
    // The installed face chosen for the request (UTF-8).
    const std::string& ResolvedFace() const;

private:
    LOGFONT m_lf{};
    mutable std::string m_face;
};

class CBitmap : public CGdiObject {
public:
    CBitmap();
    ~CBitmap() override;
    CBitmap(const CBitmap&) = delete;
    CBitmap& operator=(const CBitmap&) = delete;

    // A colour picture of cx x cy, black, for a memory device context.
    BOOL CreateCompatibleBitmap(CDC* pDC, int cx, int cy);
    int GetBitmap(BITMAP* pBitmap) const;
    CSize GetSize() const;
    BOOL DeleteObject() override;

    CSurface* Surface() { return m_surface.get(); }
    const CSurface* Surface() const { return m_surface.get(); }

private:
    friend class CDC;
    std::unique_ptr<CSurface> m_surface;
    CDC* m_pSelectedInto = nullptr;
};
