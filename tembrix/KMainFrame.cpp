#include "tembrix/KMainFrame.h"

#include "tembrix/models/KDialogCreateVoiceSignal.h"

#include <cmath>
#include <iterator>

#include "framework/base/StringTable.h"
#include "framework/ui/CGdiObjects.h"
#include "tembrix/KCompanionPrograms.h"
#include "tembrix/TembrixDoc.h"
#include "tembrix/TembrixFormulas.h"
#include "tembrix/TembrixIds.h"

IMPLEMENT_DYNCREATE(CKMainFrame, CMDIFrameWnd)

namespace {

// The Cyrillic face first, the plain one when that cannot be made.
void CreateBackgroundFont(CFont& font, int height, int width, int orientation, int weight, BYTE italic,
                          const char* cyrFace, const char* plainFace)
{
    if (!font.CreateFont(height, width, 0, orientation, weight, italic, 0, 0, DEFAULT_CHARSET, OUT_TT_PRECIS, 0, 0, 0,
                         cyrFace))
        font.CreateFont(height, width, 0, orientation, weight, italic, 0, 0, DEFAULT_CHARSET, OUT_TT_PRECIS, 0, 0, 0,
                        plainFace);
}

} // namespace

// ---- the client's picture ------------------------------------------------------------

void CKMainFrameClient::PaintBackground(CDC* pDC, int W, int H)
{
    pDC->FillSolidRect(0, 0, W, H, kField);
    const KBackgroundMetrics m = BackgroundMetrics(W, H);
    CFont fontA, fontB, fontC;
    CreateBackgroundFont(fontA, m.nFontAHeight, m.nFontAWidth, 0, FW_NORMAL, 0, "Arial Cyr", "Arial");
    CreateBackgroundFont(fontB, m.nFontBHeight, m.nFontBWidth, -300, FW_SEMIBOLD, 1, "Times New Roman Cyr",
                         "Times New Roman");
    CreateBackgroundFont(fontC, m.nFontCHeight, m.nFontCWidth, 0, FW_NORMAL, 0, "Arial Cyr", "Arial");
    CPen pens[3];
    for (int i = 0; i < 3; ++i)
        pens[i].CreatePen(PS_SOLID, m.nPenWidth[i], kPenColours[i]);

    const int oldMode = pDC->SetBkMode(TRANSPARENT);
    const UINT oldAlign = pDC->GetTextAlign();
    CFont* oldFont = pDC->SelectObject(&fontA);
    pDC->SetTextColor(kCreditColour);
    pDC->SetTextAlign(TA_RIGHT | TA_TOP);
    const int lineA = std::max(1, pDC->GetTextExtent("Ж").cy);
    pDC->TextOut(W, 0, "Лаборатория акустики речи");
    pDC->TextOut(W, lineA, "Kavrel для Linux");

    pDC->SelectObject(&fontB);
    pDC->SetTextColor(kTitleColour);
    pDC->SetTextAlign(TA_CENTER | TA_BOTTOM);
    pDC->TextOut(m.xTitle, m.yTitleBottom, "Tembrix");
    pDC->SetTextAlign(TA_CENTER | TA_TOP);
    pDC->TextOut(m.xTitle, m.yTitleBottom, "анализ речи");

    pDC->SelectObject(&fontC);
    pDC->SetTextColor(kClosingColour);
    pDC->SetTextAlign(TA_CENTER | TA_BOTTOM);
    pDC->TextOut(W / 2, H, "Создайте или откройте документ анализа звукового сигнала");

    // The widest, darkest line first, so the thin bright one lies on top.
    const std::vector<std::pair<int, int>> curve = BackgroundSinusoid(W, H);
    std::vector<POINT> points;
    for (const auto& [x, y] : curve)
        points.push_back(POINT{x, y});
    CPen* oldPen = pDC->SelectObject(&pens[2]);
    for (int i = 2; i >= 0 && points.size() > 1; --i) {
        pDC->SelectObject(&pens[i]);
        pDC->Polyline(points.data(), int(points.size()));
    }
    pDC->SelectObject(oldPen);
    pDC->SelectObject(oldFont);
    pDC->SetTextAlign(oldAlign);
    pDC->SetBkMode(oldMode);
}

BOOL CKMainFrameClient::OnEraseBkgnd(CDC* pDC)
{
    CRect rc;
    GetClientRect(&rc);
    PaintBackground(pDC, rc.Width(), rc.Height());
    return TRUE;
}

void CKMainFrameClient::OnSize(UINT nType, int cx, int cy)
{
    CWnd::OnSize(nType, cx, cy);
    Invalidate(TRUE);
}

// ---- the frame -------------------------------------------------------------------------------

CKMainFrame::CKMainFrame()
    : sTime(AfxLoadString(IDS_TIME)), sFrequency(AfxLoadString(IDS_FREQUENCY)), sPower(AfxLoadString(IDS_POWER))
{
    MapCommand(ID_RECORD_SOUND, &CKMainFrame::OnRecordSound);
    MapCommand(ID_CREATE_VOICE_SIGNAL, &CKMainFrame::OnCreateVoiceSignal);
    MapUpdate(ID_INDICATOR_FREQUENCY, &CKMainFrame::OnUpdateFrequencyPane);
    MapUpdate(ID_INDICATOR_TIME, &CKMainFrame::OnUpdateTimePane);
    MapUpdate(CKTrackOverlays::ID_INDICATOR_TRACKS, &CKMainFrame::OnUpdateTracksPane);
}

BOOL CKMainFrame::PreCreateWindow(CREATESTRUCT& cs)
{
    cs.style |= WS_MAXIMIZE;
    return CMDIFrameWnd::PreCreateWindow(cs);
}

int CKMainFrame::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CMDIFrameWnd::OnCreate(lpCreateStruct) == -1)
        return -1;
    static const UINT indicators[] = {ID_SEPARATOR,      ID_INDICATOR_FREQUENCY, ID_INDICATOR_TIME,
                                      CKTrackOverlays::ID_INDICATOR_TRACKS,
                                      ID_INDICATOR_CAPS, ID_INDICATOR_NUM,       ID_INDICATOR_SCRL};
    if (!m_wndToolBar.Create(this, DWORD(WS_CHILD) | DWORD(WS_VISIBLE) | CBRS_TOP, AFX_IDW_TOOLBAR) ||
        !m_wndToolBar.LoadToolBar(IDR_MAINFRAME))
        return -1;
    if (!m_wndStatusBar.Create(this, DWORD(WS_CHILD) | DWORD(WS_VISIBLE) | CBRS_BOTTOM, AFX_IDW_STATUS_BAR) ||
        !m_wndStatusBar.SetIndicators(indicators, int(std::size(indicators))))
        return -1;
    m_wndToolBar.SetBarStyle(m_wndToolBar.GetBarStyle() | CBRS_TOOLTIPS | CBRS_FLYBY | CBRS_SIZE_DYNAMIC);
    m_wndToolBar.EnableDocking(CBRS_ALIGN_ANY);
    EnableDocking(CBRS_ALIGN_ANY);
    DockControlBar(&m_wndToolBar);
    return 0;
}

CTembrixDoc* CKMainFrame::GetActiveTembrixDoc()
{
    CMDIChildWnd* child = MDIGetActive();
    return child ? dynamic_cast<CTembrixDoc*>(child->GetActiveDocument()) : nullptr;
}

void CKMainFrame::ShowInPane(UINT nID, const CString& text)
{
    const int index = m_wndStatusBar.CommandToIndex(nID);
    if (index < 0)
        return;
    UINT id = 0, style = 0;
    int width = 0;
    m_wndStatusBar.GetPaneInfo(index, id, style, width);
    m_wndStatusBar.SetPaneInfo(index, id, style, m_wndStatusBar.GetTextWidth(text));
    m_wndStatusBar.SetPaneText(index, text);
}

void CKMainFrame::OnUpdateFrequencyPane(CCmdUI* pCmdUI)
{
    const CTembrixDoc* doc = GetActiveTembrixDoc();
    ShowInPane(ID_INDICATOR_FREQUENCY, doc ? FormatCaretFrequency(doc->WaveFilm.GetKCaretFrequency()) : sFrequency);
    pCmdUI->Enable(true);
}

void CKMainFrame::OnUpdateTimePane(CCmdUI* pCmdUI)
{
    const CTembrixDoc* doc = GetActiveTembrixDoc();
    CString text = sTime;
    if (doc) {
        const CKWaveFilm& film = doc->WaveFilm;
        const long s0 = film.GetSelectedFragmentSample0(), s1 = film.GetSelectedFragmentSample1();
        text = s0 == s1 ? FormatSeconds(film.GetKCaretTime())
                        : FormatSeconds(std::fabs(film.GetTimeInSecondsFromSample(s1) -
                                                  film.GetTimeInSecondsFromSample(s0)));
    }
    ShowInPane(ID_INDICATOR_TIME, text);
    pCmdUI->Enable(true);
}

void CKMainFrame::OnUpdateTracksPane(CCmdUI* pCmdUI)
{
    CTembrixDoc* doc = GetActiveTembrixDoc();
    ShowInPane(CKTrackOverlays::ID_INDICATOR_TRACKS,
               doc ? doc->pTrackOverlays->CaretText(doc->WaveFilm) : CString());
    pCmdUI->Enable(true);
}

void CKMainFrame::OnRecordSound()
{
    StartRecorder();
}

void CKMainFrame::OnCreateVoiceSignal()
{
    CKDialogCreateVoiceSignal dlg(this);
    dlg.DoModal();
}
