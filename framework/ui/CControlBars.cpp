#include "framework/ui/CControlBars.h"

#include <QAction>
#include <QFontMetrics>
#include <QIcon>
#include <QLabel>
#include <QMainWindow>
#include <QPainter>
#include <QPixmap>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <algorithm>
#include <cstring>
#include <map>
#include <string>

#include "framework/base/StringTable.h"
#include "framework/ui/CFrameWnd.h"
#include "framework/ui/KActionCmdUI.h"

namespace {

std::map<UINT, std::vector<UINT>>& toolbars()
{
    static std::map<UINT, std::vector<UINT>> t;
    return t;
}

std::map<UINT, std::string>& buttonImages()
{
    static std::map<UINT, std::string> m;
    return m;
}

QPixmap RegisteredButtonImage(UINT nID)
{
    auto it = buttonImages().find(nID);
    return it == buttonImages().end() ? QPixmap() : QPixmap(QString::fromUtf8(it->second.c_str()));
}

// Buttons carry their program's picture; without one the framework's file
// commands show their usual icons and every other command the first
// letters of its tooltip.
QIcon ButtonIcon(UINT nID, const QString& tip, QStyle* style)
{
    if (const QPixmap own = RegisteredButtonImage(nID); !own.isNull())
        return QIcon(own);
    switch (nID) {
    case ID_FILE_NEW: return style->standardIcon(QStyle::SP_FileIcon);
    case ID_FILE_OPEN: return style->standardIcon(QStyle::SP_DialogOpenButton);
    case ID_FILE_SAVE: return style->standardIcon(QStyle::SP_DialogSaveButton);
    case ID_APP_ABOUT: return style->standardIcon(QStyle::SP_MessageBoxInformation);
    case ID_HELP_FINDER:
    case ID_CONTEXT_HELP: return style->standardIcon(QStyle::SP_DialogHelpButton);
    default: break;
    }
    QPixmap pm(32, 30);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(40, 40, 120));
    p.setBrush(QColor(225, 230, 245));
    p.drawRoundedRect(QRectF(1, 1, 30, 28), 4, 4);
    QString abbrev;
    for (const QString& w : tip.split(' ', Qt::SkipEmptyParts)) {
        if (w.at(0).isLetterOrNumber()) abbrev += w.at(0).toUpper();
        if (abbrev.size() == 2) break;
    }
    if (abbrev.isEmpty()) abbrev = QString::number(nID % 100);
    QFont f = p.font();
    f.setPixelSize(13);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRectF(0, 0, 32, 30), Qt::AlignCenter, abbrev);
    return QIcon(pm);
}

} // namespace

KToolBarButtonImage::KToolBarButtonImage(UINT nCmdID, const char* sPicturePath)
{
    buttonImages()[nCmdID] = sPicturePath ? sPicturePath : "";
}

bool KHasToolBarButtonImage(UINT nCmdID)
{
    return !RegisteredButtonImage(nCmdID).isNull();
}

KToolBarTemplate::KToolBarTemplate(UINT nID, std::vector<UINT> buttons)
{
    toolbars()[nID] = std::move(buttons);
}

// ---- toolbar ----

CToolBar::CToolBar() = default;
CToolBar::~CToolBar() = default;

BOOL CToolBar::CreateEx(CWnd* pParentWnd, DWORD, DWORD dwStyle, const RECT&, UINT nID)
{
    return Create(pParentWnd, dwStyle, nID);
}

BOOL CToolBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID)
{
    auto* frame = dynamic_cast<CFrameWnd*>(pParentWnd);
    if (m_pWidget || !frame || !frame->GetWidget())
        return FALSE;
    auto* main = qobject_cast<QMainWindow*>(frame->GetWidget());
    if (!main)
        return FALSE;
    auto* bar = new QToolBar(main);
    bar->setObjectName(QString("toolbar%1").arg(nID));
    bar->setProperty("ctrlId", int(nID));
    bar->setIconSize(QSize(20, 19));
    main->addToolBar((dwStyle & CBRS_ALIGN_BOTTOM) ? Qt::BottomToolBarArea : Qt::TopToolBarArea, bar);
    Attach(bar, false);
    frame->AddControlBar(this);
    m_dwStyle = dwStyle;
    bar->setVisible((dwStyle & WS_VISIBLE) != 0);
    return TRUE;
}

BOOL CToolBar::LoadToolBar(UINT nIDResource)
{
    auto* bar = qobject_cast<QToolBar*>(m_pWidget);
    auto it = toolbars().find(nIDResource);
    if (!bar || it == toolbars().end())
        return FALSE;
    bar->clear();
    m_buttons = it->second;
    m_actions.clear();
    for (UINT id : m_buttons) {
        if (id == ID_SEPARATOR) {
            m_actions.push_back(bar->addSeparator());
            continue;
        }
        const CString entry = AfxLoadString(id);
        const QString prompt = QString::fromUtf8(AfxExtractSubString(entry, 0).GetString());
        QString tip = QString::fromUtf8(AfxExtractSubString(entry, 1).GetString());
        if (tip.isEmpty()) tip = prompt;
        QAction* a = bar->addAction(ButtonIcon(id, tip, bar->style()), tip);
        a->setToolTip(tip);
        a->setStatusTip(prompt); // fly-by help: the prompt in the message pane
        a->setData(id);
        QObject::connect(a, &QAction::triggered, Receiver(), [this, id] {
            if (auto* frame = dynamic_cast<CFrameWnd*>(GetParent()))
                frame->PostMessage(WM_COMMAND, id, 0);
        });
        m_actions.push_back(a);
    }
    return TRUE;
}

void CToolBar::OnFrameGone()
{
    m_buttons.clear();
    m_actions.clear();
    Detach();
}

UINT CToolBar::GetItemID(int nIndex) const
{
    return nIndex >= 0 && nIndex < GetCount() ? m_buttons[size_t(nIndex)] : 0;
}

int CToolBar::CommandToIndex(UINT nIDFind) const
{
    for (int i = 0; i < GetCount(); ++i)
        if (m_buttons[size_t(i)] == nIDFind) return i;
    return -1;
}

bool CToolBar::IsButtonEnabled(int nIndex) const
{
    return nIndex >= 0 && nIndex < GetCount() && m_actions[size_t(nIndex)]->isEnabled();
}

bool CToolBar::IsButtonChecked(int nIndex) const
{
    return nIndex >= 0 && nIndex < GetCount() && m_actions[size_t(nIndex)]->isChecked();
}

CString CToolBar::GetButtonTip(int nIndex) const
{
    if (nIndex < 0 || nIndex >= GetCount()) return CString();
    return CString(m_actions[size_t(nIndex)]->toolTip().toUtf8().toStdString());
}

void CToolBar::PressButton(int nIndex)
{
    if (nIndex >= 0 && nIndex < GetCount() && m_buttons[size_t(nIndex)] != ID_SEPARATOR &&
        m_actions[size_t(nIndex)]->isEnabled())
        m_actions[size_t(nIndex)]->trigger();
}

void CToolBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler)
{
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        if (m_buttons[i] == ID_SEPARATOR) continue;
        KActionCmdUI ui(m_buttons[i], m_actions[i], KActionCmdUI::toolButton);
        // A handler that only checks the button leaves its enabling to the
        // command's handler, as when there is no update handler at all.
        pTarget->OnUpdateCmdUI(&ui);
        if (bDisableIfNoHndler && !ui.m_bEnableChanged)
            ui.Enable(pTarget->IsCommandHandled(m_buttons[i]));
    }
}

// ---- status bar ----

namespace {
class KPaneCmdUI : public CCmdUI {
public:
    KPaneCmdUI(UINT id, CStatusBar* bar, int index) : CCmdUI(id), m_bar(bar), m_index(index) {}
    void Enable(bool bOn) override
    {
        CCmdUI::Enable(bOn);
        const UINT style = m_bar->GetPaneStyle(m_index);
        m_bar->SetPaneStyle(m_index, bOn ? (style & ~SBPS_DISABLED) : (style | SBPS_DISABLED));
    }
    void SetCheck(int nCheck) override
    {
        CCmdUI::SetCheck(nCheck);
        const UINT style = m_bar->GetPaneStyle(m_index);
        m_bar->SetPaneStyle(m_index, nCheck ? (style | SBPS_POPOUT) : (style & ~SBPS_POPOUT));
    }
    void SetText(const CString& text) override
    {
        CCmdUI::SetText(text);
        m_bar->SetPaneText(m_index, text.GetString());
    }

private:
    CStatusBar* m_bar;
    int m_index;
};
} // namespace

CStatusBar::CStatusBar() = default;
CStatusBar::~CStatusBar() = default;

BOOL CStatusBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID)
{
    auto* frame = dynamic_cast<CFrameWnd*>(pParentWnd);
    auto* main = frame ? qobject_cast<QMainWindow*>(frame->GetWidget()) : nullptr;
    if (m_pWidget || !main)
        return FALSE;
    auto* bar = new QStatusBar(main);
    bar->setProperty("ctrlId", int(nID));
    main->setStatusBar(bar);
    Attach(bar, false);
    frame->AddControlBar(this);
    m_dwStyle = dwStyle;
    bar->setVisible((dwStyle & WS_VISIBLE) != 0);
    return TRUE;
}

BOOL CStatusBar::SetIndicators(const UINT* lpIDArray, int nIDCount)
{
    auto* bar = qobject_cast<QStatusBar*>(m_pWidget);
    if (!bar || nIDCount < 0 || (nIDCount > 0 && !lpIDArray))
        return FALSE;
    for (Pane& p : m_panes) delete p.pLabel;
    m_panes.clear();
    for (int i = 0; i < nIDCount; ++i) {
        Pane p;
        p.nID = lpIDArray[i];
        auto* label = new QLabel(bar);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setTextFormat(Qt::PlainText);
        p.pLabel = label;
        if (p.nID == ID_SEPARATOR) {
            p.nStyle = SBPS_NOBORDERS | SBPS_STRETCH;
            CString idle;
            p.sText = AfxLoadString(AFX_IDS_IDLEMESSAGE, idle) ? idle : CString("Готово");
            bar->addWidget(label, 1);
        } else {
            p.sText = AfxLoadString(p.nID);
            bar->addPermanentWidget(label);
        }
        m_panes.push_back(p);
    }
    for (Pane& p : m_panes) {
        if (p.nID != ID_SEPARATOR) p.cxWidth = GetTextWidth(p.sText);
        showPane(p);
    }
    return TRUE;
}

void CStatusBar::OnFrameGone()
{
    // The texts stay; the labels went with the frame's window.
    for (Pane& p : m_panes) p.pLabel = nullptr;
    Detach();
}

UINT CStatusBar::GetItemID(int nIndex) const
{
    return nIndex >= 0 && nIndex < GetCount() ? m_panes[size_t(nIndex)].nID : 0;
}

int CStatusBar::CommandToIndex(UINT nIDFind) const
{
    for (int i = 0; i < GetCount(); ++i)
        if (m_panes[size_t(i)].nID == nIDFind) return i;
    return -1;
}

BOOL CStatusBar::SetPaneText(int nIndex, const char* lpszNewText, BOOL)
{
    if (nIndex < 0 || nIndex >= GetCount()) return FALSE;
    Pane& p = m_panes[size_t(nIndex)];
    const CString text(lpszNewText ? lpszNewText : "");
    if (p.sText == text) return TRUE;
    p.sText = text;
    showPane(p);
    return TRUE;
}

CString CStatusBar::GetPaneText(int nIndex) const
{
    return nIndex >= 0 && nIndex < GetCount() ? m_panes[size_t(nIndex)].sText : CString();
}

void CStatusBar::SetPaneInfo(int nIndex, UINT nID, UINT nStyle, int cxWidth)
{
    if (nIndex < 0 || nIndex >= GetCount()) return;
    Pane& p = m_panes[size_t(nIndex)];
    p.nID = nID;
    p.nStyle = nStyle;
    p.cxWidth = std::max(0, cxWidth);
    showPane(p);
}

void CStatusBar::GetPaneInfo(int nIndex, UINT& nID, UINT& nStyle, int& cxWidth) const
{
    if (nIndex < 0 || nIndex >= GetCount()) { nID = 0; nStyle = 0; cxWidth = 0; return; }
    const Pane& p = m_panes[size_t(nIndex)];
    nID = p.nID;
    nStyle = p.nStyle;
    cxWidth = p.cxWidth;
}

UINT CStatusBar::GetPaneStyle(int nIndex) const
{
    return nIndex >= 0 && nIndex < GetCount() ? m_panes[size_t(nIndex)].nStyle : 0;
}

void CStatusBar::SetPaneStyle(int nIndex, UINT nStyle)
{
    if (nIndex < 0 || nIndex >= GetCount()) return;
    Pane& p = m_panes[size_t(nIndex)];
    if (p.nStyle == nStyle) return;
    p.nStyle = nStyle;
    showPane(p);
}

int CStatusBar::GetTextWidth(const CString& text) const
{
    const QFont f = m_pWidget ? m_pWidget->font() : QFont();
    return QFontMetrics(f).horizontalAdvance(QString::fromUtf8(text.GetString()));
}

void CStatusBar::showPane(Pane& p)
{
    auto* label = static_cast<QLabel*>(p.pLabel);
    if (!label) return;
    // A disabled indicator shows no text, as on the platform.
    label->setText((p.nStyle & SBPS_DISABLED) ? QString() : QString::fromUtf8(p.sText.GetString()));
    if (!(p.nStyle & SBPS_STRETCH)) label->setFixedWidth(p.cxWidth + 2 * label->frameWidth() + 6);
    label->setFrameShadow((p.nStyle & SBPS_POPOUT) ? QFrame::Raised : QFrame::Sunken);
    label->setFrameShape((p.nStyle & SBPS_NOBORDERS) ? QFrame::NoFrame : QFrame::Panel);
}

void CStatusBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler)
{
    for (int i = 0; i < GetCount(); ++i) {
        const UINT id = m_panes[size_t(i)].nID;
        if (id == ID_SEPARATOR) continue;
        KPaneCmdUI ui(id, this, i);
        if (pTarget->OnUpdateCmdUI(&ui)) continue;
        // The lock indicators: Qt does not tell the keys' lock state, so they stay dim.
        if (id == ID_INDICATOR_CAPS || id == ID_INDICATOR_NUM || id == ID_INDICATOR_SCRL) ui.Enable(false);
        else if (bDisableIfNoHndler) ui.Enable(pTarget->IsCommandHandled(id));
    }
}
