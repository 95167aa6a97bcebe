// The Qt window of a frame. Private to the window layer.
#pragma once
#include <QCloseEvent>
#include <QDropEvent>
#include <QMainWindow>
#include <QTimer>

#include "framework/ui/CFrameWnd.h"
#include "framework/ui/KWndWidget.h"

// The Qt window of a frame: closing asks the frame, whose client area
// follows the window's size; dropped files reach the frame.
class KFrameWidget : public QMainWindow {
public:
    explicit KFrameWidget(CFrameWnd* pFrame, QWidget* pParent) : QMainWindow(pParent), m_pFrame(pFrame) {}
    ~KFrameWidget() override
    {
        // Gone with a parent (a document's sub-window with the main frame's
        // client) before the frame destroyed it: the frame must not use it.
        if (!m_pFrame) return;
        // Its timer and shortcuts are this widget's children and go with it.
        m_pFrame->m_pIdleTimer = nullptr;
        m_pFrame->m_shortcuts.clear();
        for (CControlBar* bar : m_pFrame->m_bars)
            if (bar) bar->OnFrameGone();
        m_pFrame->m_bars.clear();
        m_pFrame->m_pClient = nullptr;
        m_pFrame->m_pWidget = nullptr;
        m_pFrame->m_bOwnsWidget = false;
    }
    void Forget() { m_pFrame = nullptr; }

protected:
    void closeEvent(QCloseEvent* e) override
    {
        // The frame decides; it destroys this widget itself when it closes.
        e->ignore();
        if (m_pFrame) QTimer::singleShot(0, this, [this] { if (m_pFrame) m_pFrame->OnClose(); });
    }

    // Files dropped on the frame (once it accepts them) go to OnDropFiles.
    void dragEnterEvent(QDragEnterEvent* e) override
    {
        if (!KDroppedFiles(e->mimeData()).empty()) e->acceptProposedAction();
    }
    void dropEvent(QDropEvent* e) override
    {
        const std::vector<CString> files = KDroppedFiles(e->mimeData());
        if (!m_pFrame || files.empty()) return;
        e->acceptProposedAction();
        m_pFrame->OnDropFiles(files);
    }

private:
    CFrameWnd* m_pFrame;
};

