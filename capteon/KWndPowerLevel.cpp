#include "capteon/KWndPowerLevel.h"

#include <cmath>

#include "framework/base/UserServices.h"
#include "framework/ui/CMenu.h"
#include "framework/ui/CWinApp.h"

namespace {
constexpr COLORREF kErase = 0x003F00;
constexpr COLORREF kGrid = 0x7F7F7F;
constexpr COLORREF kTrace = 0x00FF00;
constexpr COLORREF kOverflow = 0x00FFFF;
constexpr COLORREF kCursor = 0x0000FF;
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kCaption = 0x00FFFF;
const char* const kSection = "Settings";
const char* const kRangeEntry = "PowerRangeProfileEntry";
const char* const kZeroLabel = "0 дБ";
constexpr int kDefaultRange = 50;
constexpr int kNoPreviousY = -0x7FFFFFFF;
} // namespace

int CKWndPowerLevel::nPreviousY = kNoPreviousY;

CKWndPowerLevel::CKWndPowerLevel() : dReference(20.0 * std::log10(32768.0)) {}

CKWndPowerLevel::~CKWndPowerLevel()
{
    // What the window's destruction gives back: the picture leaves the context.
    if (m_pOldBitmap)
        MemDC.SelectObject(m_pOldBitmap);
    MemBitmap.DeleteObject();
    MemDC.DeleteDC();
}

bool CKWndPowerLevel::Create(const RECT& rect, CWnd* pParent, UINT nID)
{
    nWidth = rect.right - rect.left;
    nHeight = rect.bottom - rect.top;
    return CWnd::Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, rect, pParent, nID) != FALSE;
}

int CKWndPowerLevel::OnCreate(LPCREATESTRUCT)
{
    CClientDC dc(this);
    if (!MemDC.CreateCompatibleDC(&dc)) {
        MessageBox("Не удалось создать совместимое контекстное устройство.", "CKWndPowerLevel::OnCreate",
                   MB_OK | MB_ICONEXCLAMATION);
        return -2;
    }
    if (nWidth < 1 || nHeight < 1 || !MemBitmap.CreateCompatibleBitmap(&dc, nWidth, nHeight)) {
        MessageBox("Не удалось создать совместимую битовую карту.", "CKWndPowerLevel::OnCreate",
                   MB_OK | MB_ICONEXCLAMATION);
        return -3;
    }
    BITMAP bm{};
    if (!MemBitmap.GetBitmap(&bm)) {
        MessageBox("Не удалось получить структуру битовой карты.", "CKWndPowerLevel::OnCreate",
                   MB_OK | MB_ICONEXCLAMATION);
        return -4;
    }
    m_pOldBitmap = MemDC.SelectObject(&MemBitmap);
    bPicture = true;
    m_penErase.CreatePen(PS_SOLID, 1, kErase);
    m_penGrid.CreatePen(PS_SOLID, 1, kGrid);
    m_penTrace.CreatePen(PS_SOLID, 1, kTrace);
    m_penOverflow.CreatePen(PS_SOLID, 1, kOverflow);
    m_penCursor.CreatePen(PS_SOLID, 2, kCursor);
    nRange = kDefaultRange;
    if (CWinApp* app = AfxGetApp()) {
        int stored = app->GetProfileInt(kSection, kRangeEntry, kDefaultRange);
        // A range outside the menu's would put the grid nowhere (or divide by zero).
        if (stored >= 10 && stored <= 100)
            nRange = stored;
    }
    ComputeGridRows();
    MemDC.SetTextColor(kWhite);
    MemDC.SetBkColor(kErase);
    MemDC.SetBkMode(TRANSPARENT);
    return 0;
}

int CKWndPowerLevel::GetRowOfPeak(long nPeak) const
{
    const double level = 20.0 * std::log10(nPeak > 0 ? double(nPeak) : 0.5);
    return int((dReference - level) / nRange * nHeight);
}

void CKWndPowerLevel::ComputeGridRows()
{
    // The row of the level reference − 10·i dB, i.e. i·10/range of the
    // height; in whole numbers, so that no rounding moves a line.
    for (int i = 0; i < 10; ++i)
        nGridRows[i] = i * 10 * nHeight / nRange;
}

void CKWndPowerLevel::Clear()
{
    if (bPicture)
        MemDC.FillSolidRect(0, 0, nWidth, nHeight, kErase);
    nColumn = 0;
    nCount = 0;
    Invalidate();
}

void CKWndPowerLevel::SetCaption(const CString& sPathName)
{
    sCaption = "Запись ведется в файл :\n\n" + sPathName;
    Invalidate();
}

void CKWndPowerLevel::AddColumn(long nPeak)
{
    if (!bPicture)
        return;
    const int x = nColumn;
    const int H = nHeight;
    // The writing position is marked ahead of the trace.
    InvalidateRect(CRect(x - 1, 0, x + 3, H));
    MemDC.SelectObject(&m_penCursor);
    MemDC.MoveTo(x + 2, 0);
    MemDC.LineTo(x + 2, H);
    if (x == 0) {
        CSize label = MemDC.GetTextExtent(kZeroLabel);
        InvalidateRect(CRect(nWidth - label.cx, 0, nWidth, label.cy));
    }

    CPen* pen = &m_penErase;
    if (nCount % 60 == 0) {
        pen = &m_penGrid;
        CString minute;
        minute.Format("%i", int(nCount / 60));
        MemDC.SetTextAlign(TA_RIGHT | TA_BOTTOM);
        MemDC.TextOut(x - 1, H, minute);
        CSize size = MemDC.GetTextExtent(minute);
        InvalidateRect(CRect(x - 1 - size.cx, H - size.cy, x - 1, H));
    }
    if (nPeak > 32766)
        pen = &m_penOverflow;
    MemDC.SelectObject(pen);
    MemDC.MoveTo(x, 0);
    MemDC.LineTo(x, H);

    const int y = GetRowOfPeak(nPeak);
    if (nPreviousY == kNoPreviousY)
        nPreviousY = y; // the very first column has nothing to join
    MemDC.SelectObject(&m_penTrace);
    MemDC.MoveTo(x - 1, nPreviousY);
    MemDC.LineTo(x, y);

    ++nCount;
    nPreviousY = y;
    nColumn = (x + 1) % nWidth;
}

BOOL CKWndPowerLevel::OnEraseBkgnd(CDC* pDC)
{
    CRect client;
    GetClientRect(&client);
    const int W = nWidth, H = nHeight;
    pDC->FillSolidRect(&client, kErase);
    pDC->SetTextAlign(TA_RIGHT | TA_TOP);
    pDC->SetTextColor(kWhite);
    pDC->SetBkColor(kErase);
    pDC->SetBkMode(TRANSPARENT);
    CPen* pOldPen = pDC->SelectObject(&m_penGrid);
    for (int i = 1; i <= 9; ++i) {
        pDC->MoveTo(0, nGridRows[i]);
        pDC->LineTo(W, nGridRows[i]);
        CString label;
        label.Format("%i", -10 * i);
        pDC->TextOut(W, nGridRows[i], label);
    }
    pDC->TextOut(W, 0, kZeroLabel);
    pDC->MoveTo(0, 0);
    pDC->LineTo(W, 0);

    const CSize margin = pDC->GetTextExtent("-40");
    CRect text(margin.cx, H / 2 - margin.cy, W - 2 * margin.cx, H - margin.cy);
    pDC->SetTextColor(kCaption);
    pDC->DrawText(sCaption, &text, DT_CENTER | DT_WORDBREAK);

    if (bPicture)
        pDC->BitBlt(0, 0, W, H, &MemDC, 0, 0, SRCPAINT);
    pDC->SelectObject(pOldPen);
    return TRUE;
}

void CKWndPowerLevel::OnContextMenu(CWnd*, CPoint point)
{
    CMenu menu;
    if (!menu.LoadMenu(IDR_POWER_RANGE_MENU))
        return;
    CMenu* popup = menu.GetSubMenu(0);
    if (!popup)
        return;
    if (point.x == -1 && point.y == -1) {
        // From the keyboard: at the window's corner.
        point = CPoint(0, 0);
        ClientToScreen(&point);
    }
    popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, this);
}

bool CKWndPowerLevel::OnCommand(UINT nID, UINT nCode)
{
    if (nID >= ID_POWER_RANGE_10 && nID <= ID_POWER_RANGE_100) {
        SetRange(int(nID - ID_POWER_RANGE_10 + 1) * 10);
        return true;
    }
    return CWnd::OnCommand(nID, nCode);
}

bool CKWndPowerLevel::OnUpdateCmdUI(CCmdUI* pCmdUI)
{
    if (pCmdUI->m_nID >= ID_POWER_RANGE_10 && pCmdUI->m_nID <= ID_POWER_RANGE_100) {
        pCmdUI->SetRadio(int(pCmdUI->m_nID - ID_POWER_RANGE_10 + 1) * 10 == nRange);
        return true;
    }
    return CWnd::OnUpdateCmdUI(pCmdUI);
}

bool CKWndPowerLevel::IsCommandHandled(UINT nID)
{
    return (nID >= ID_POWER_RANGE_10 && nID <= ID_POWER_RANGE_100) || CWnd::IsCommandHandled(nID);
}

void CKWndPowerLevel::SetRange(int nNewRange)
{
    if (nNewRange < 10 || nNewRange > 100)
        return;
    nRange = nNewRange;
    ComputeGridRows();
    if (CWinApp* app = AfxGetApp())
        app->WriteProfileInt(kSection, kRangeEntry, nRange);
    Invalidate();
}
