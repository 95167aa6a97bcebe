// The Qt window of a frame. Private to the window layer.
#pragma once
#include <QCloseEvent>
#include <QMainWindow>
#include <QTimer>

#include "framework/ui/CFrameWnd.h"

// The Qt window of a frame: closing asks the frame, whose client area
// follows the window's size.
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

private:
    CFrameWnd* m_pFrame;
};

