#include "framework/ui/CGdiObjects.h"

#include <cstring>
#include <map>

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>

#include "framework/ui/CDC.h"
#include "framework/ui/CSurface.h"

namespace {

enum class FaceKind { Sans, Serif, Mono };

FaceKind KindOf(const QString& name, BYTE pitchAndFamily)
{
    const QString n = name.toLower();
    if (n.contains("courier") || n.contains("mono") || n.contains("console") || n.contains("fixed"))
        return FaceKind::Mono;
    if ((n.contains("times") || n.contains("roman") || n.contains("serif")) && !n.contains("sans"))
        return FaceKind::Serif;
    if (!n.isEmpty()) return FaceKind::Sans;
    if ((pitchAndFamily & 0xF0) == FF_ROMAN) return FaceKind::Serif;
    if ((pitchAndFamily & 0xF0) == FF_MODERN || (pitchAndFamily & 0x0F) == FIXED_PITCH)
        return FaceKind::Mono;
    return FaceKind::Sans;
}

QString FindIn(const QStringList& list, const QString& name)
{
    for (const QString& f : list)
        if (f.compare(name, Qt::CaseInsensitive) == 0) return f;
    return {};
}

// Empty when no face is installed at all.
std::string ResolveFace(const char* face, BYTE pitchAndFamily)
{
    static std::map<std::pair<std::string, int>, std::string> cache;
    const auto key = std::make_pair(std::string(face), int(pitchAndFamily));
    if (auto it = cache.find(key); it != cache.end()) return it->second;

    const QStringList cyrillic = QFontDatabase::families(QFontDatabase::Cyrillic);
    QString req = QString::fromUtf8(face).trimmed();
    QString found = FindIn(cyrillic, req);
    if (found.isEmpty() && req.endsWith(" Cyr", Qt::CaseInsensitive)) {
        req.chop(4);
        found = FindIn(cyrillic, req);
    }
    if (found.isEmpty()) {
        const FaceKind kind = KindOf(req, pitchAndFamily);
        static const char* const generic[] = {"sans-serif", "serif", "monospace"};
        static const QFont::StyleHint hints[] = {QFont::SansSerif, QFont::Serif, QFont::Monospace};
        const int k = int(kind);
        QFont probe(QString::fromLatin1(generic[k]));
        probe.setStyleHint(hints[k]);
        found = FindIn(cyrillic, QFontInfo(probe).family());
        if (found.isEmpty()) {
            static const char* const words[] = {"sans", "serif", "mono"};
            for (const QString& f : cyrillic) {
                const QString l = f.toLower();
                const bool sans = l.contains("sans");
                if (l.contains(words[k]) && (kind != FaceKind::Serif || !sans)) {
                    found = f;
                    break;
                }
            }
        }
        if (found.isEmpty() && !cyrillic.isEmpty()) found = cyrillic.first();
        if (found.isEmpty()) {
            const QStringList all = QFontDatabase::families();
            if (!all.isEmpty()) found = all.first();
        }
    }
    std::string result = found.toStdString();
    cache[key] = result;
    return result;
}

}  // namespace

// ---------------------------------------------------------------- stock

CGdiObject* CGdiObject::GetStockObjectPtr(int id)
{
    struct Stock {
        CBrush white{RGB(255, 255, 255)}, ltgray{RGB(192, 192, 192)}, gray{RGB(128, 128, 128)},
            dkgray{RGB(64, 64, 64)}, black{RGB(0, 0, 0)}, null;
        CPen whitePen{PS_SOLID, 1, RGB(255, 255, 255)}, blackPen{PS_SOLID, 1, RGB(0, 0, 0)},
            nullPen{PS_NULL, 1, 0};
        CFont system, fixed, gui, var;
        Stock()
        {
            null.CreateNullBrush();
            system.CreateFont(16, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0,
                              VARIABLE_PITCH | FF_SWISS, "System");
            fixed.CreateFont(16, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0,
                             FIXED_PITCH | FF_MODERN, "Courier New");
            gui.CreateFont(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0,
                           VARIABLE_PITCH | FF_SWISS, "MS Shell Dlg");
            var.CreateFont(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0,
                           VARIABLE_PITCH | FF_SWISS, "MS Sans Serif");
        }
    };
    static Stock s;
    switch (id) {
    case WHITE_BRUSH: return &s.white;
    case LTGRAY_BRUSH: return &s.ltgray;
    case GRAY_BRUSH: return &s.gray;
    case DKGRAY_BRUSH: return &s.dkgray;
    case BLACK_BRUSH: return &s.black;
    case NULL_BRUSH: return &s.null;
    case WHITE_PEN: return &s.whitePen;
    case BLACK_PEN: return &s.blackPen;
    case NULL_PEN: return &s.nullPen;
    case SYSTEM_FONT:
    case DEVICE_DEFAULT_FONT: return &s.system;
    case OEM_FIXED_FONT:
    case ANSI_FIXED_FONT:
    case SYSTEM_FIXED_FONT: return &s.fixed;
    case DEFAULT_GUI_FONT: return &s.gui;
    case ANSI_VAR_FONT: return &s.var;
    default: return nullptr;
    }
}

// ---------------------------------------------------------------- pen, brush

BOOL CPen::CreatePen(int style, int width, COLORREF color)
{
    m_style = (style >= PS_SOLID && style <= PS_INSIDEFRAME) ? style : PS_SOLID;
    m_width = std::max(width, 0);
    m_color = color & 0x00FFFFFF;
    m_bCreated = true;
    return TRUE;
}

BOOL CBrush::CreateSolidBrush(COLORREF color)
{
    m_style = BS_SOLID;
    m_color = color & 0x00FFFFFF;
    m_bCreated = true;
    return TRUE;
}

BOOL CBrush::CreateNullBrush()
{
    m_style = BS_NULL;
    m_bCreated = true;
    return TRUE;
}

// ---------------------------------------------------------------- font

BOOL CFont::CreateFont(int height, int width, int escapement, int orientation, int weight,
                       BYTE italic, BYTE underline, BYTE strikeOut, BYTE charSet,
                       BYTE outPrecision, BYTE clipPrecision, BYTE quality, BYTE pitchAndFamily,
                       const char* faceName)
{
    LOGFONT lf{};
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfEscapement = escapement;
    lf.lfOrientation = orientation;
    lf.lfWeight = weight;
    lf.lfItalic = italic;
    lf.lfUnderline = underline;
    lf.lfStrikeOut = strikeOut;
    lf.lfCharSet = charSet;
    lf.lfOutPrecision = outPrecision;
    lf.lfClipPrecision = clipPrecision;
    lf.lfQuality = quality;
    lf.lfPitchAndFamily = pitchAndFamily;
    if (faceName) std::strncpy(lf.lfFaceName, faceName, LF_FACESIZE - 1);
    return CreateFontIndirect(&lf);
}

BOOL CFont::CreateFontIndirect(const LOGFONT* lf)
{
    if (!lf) return FALSE;
    m_lf = *lf;
    m_lf.lfFaceName[LF_FACESIZE - 1] = '\0';
    m_face.clear();
    // Without a running application the font database is not there yet;
    // the face is then chosen when the font is first drawn with.
    if (QGuiApplication::instance()) {
        m_face = ResolveFace(m_lf.lfFaceName, m_lf.lfPitchAndFamily);
        if (m_face.empty()) {
            m_bCreated = false;
            return FALSE;
        }
    }
    m_bCreated = true;
    return TRUE;
}

BOOL CFont::CreatePointFont(int pointSize, const char* faceName, CDC*)
{
    const int pixels = (pointSize * 96 + 360) / 720;
    return CreateFont(-pixels, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, faceName);
}

int CFont::GetLogFont(LOGFONT* lf) const
{
    if (!lf || !m_bCreated) return 0;
    *lf = m_lf;
    return int(sizeof(LOGFONT));
}

const std::string& CFont::ResolvedFace() const
{
    if (m_face.empty() && QGuiApplication::instance())
        m_face = ResolveFace(m_lf.lfFaceName, m_lf.lfPitchAndFamily);
    return m_face;
}

// ---------------------------------------------------------------- bitmap

CBitmap::CBitmap() : CGdiObject(KindBitmap) {}

CBitmap::~CBitmap()
{
    if (m_pSelectedInto) m_pSelectedInto->ForgetBitmap(this);
}

BOOL CBitmap::CreateCompatibleBitmap(CDC*, int cx, int cy)
{
    if (cx <= 0 || cy <= 0 || m_pSelectedInto) return FALSE;
    m_surface = std::make_unique<CSurface>(cx, cy, RGB(0, 0, 0));
    m_bCreated = true;
    return TRUE;
}

int CBitmap::GetBitmap(BITMAP* pBitmap) const
{
    if (!pBitmap || !m_surface) return 0;
    pBitmap->bmType = 0;
    pBitmap->bmWidth = m_surface->Width();
    pBitmap->bmHeight = m_surface->Height();
    pBitmap->bmWidthBytes = m_surface->Width() * 4;
    pBitmap->bmPlanes = 1;
    pBitmap->bmBitsPixel = 32;
    pBitmap->bmBits = nullptr;
    return int(sizeof(BITMAP));
}

CSize CBitmap::GetSize() const
{
    return m_surface ? m_surface->GetSize() : CSize();
}

BOOL CBitmap::DeleteObject()
{
    // As on the platform, a bitmap still selected into a context stays.
    if (m_pSelectedInto) return FALSE;
    m_surface.reset();
    m_bCreated = false;
    return TRUE;
}
