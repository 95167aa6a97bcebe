// The widget behind a window made by CWnd::Create: it shows the window's
// picture and turns Qt events into the window's message handlers. Private
// to the window layer.
#pragma once
#include <QWidget>
#include <vector>

#include "framework/base/CString.h"

class CWnd;
class QMimeData;
class QScrollBar;

class KWndWidget : public QWidget {
public:
    KWndWidget(CWnd* pWnd, QWidget* pParent);
    ~KWndWidget() override;

    CWnd* Wnd() const { return m_pWnd; }
    void ForgetWnd() { m_pWnd = nullptr; }

    // Scroll bars beside the client area; null while not shown.
    QScrollBar* HorzBar() const { return m_pHorz; }
    QScrollBar* VertBar() const { return m_pVert; }
    QScrollBar* EnsureBar(bool bHorz);
    void ShowBar(bool bHorz, bool bShow);
    bool IsBarShown(bool bHorz) const;
    static int BarThickness();
    // The widget's area without the shown scroll bars.
    QRect ClientArea() const;
    void LayoutBars();
    // The window widget the mouse is over, whose cursor SetCursor sets; null
    // when the mouse is over none.
    static QWidget* UnderMouse();

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    // Asks the window for its cursor before a mouse message, as the
    // platform does; not while a window holds the capture.
    void chooseCursor(unsigned message);

    CWnd* m_pWnd;
    QScrollBar* m_pHorz = nullptr;
    QScrollBar* m_pVert = nullptr;
    bool m_bHorzShown = false;
    bool m_bVertShown = false;
};

// The platform's scroll code of a Qt scroll bar action (not the thumb's
// move, which carries a position); false for actions without one.
bool KScrollCodeOfSliderAction(int action, unsigned* pCode);

// Shows a window (a top-level one, or a document's sub-window in the
// multiple-document client) in ShowWindow's mode nCmdShow.
void KShowWindowAs(QWidget* pWindow, int nCmdShow);

// The local files a drag carries, as paths; empty when it carries none.
std::vector<CString> KDroppedFiles(const QMimeData* pData);
