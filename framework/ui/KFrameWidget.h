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

