#include "FrameTestSupport.h"

#include "framework/ui/CWnd.h"

namespace frame_test {

std::vector<UINT> CNumberDoc::calls;
int CNumberView::nTotal = 1000;

IMPLEMENT_DYNCREATE(CNumberDoc, CDocument)
IMPLEMENT_DYNCREATE(CNumberView, CScrollView)
IMPLEMENT_DYNCREATE(CTestFrame, CFrameWnd)

CNumberDoc::CNumberDoc()
{
    MapCommand(ID_DOC_CMD, &CNumberDoc::OnDocCmd);
    MapCommand(ID_VIEW_CMD, &CNumberDoc::OnDocCmd); // the view's handler comes first
}

CNumberView::CNumberView()
{
    MapCommand(ID_VIEW_CMD, &CNumberView::OnViewCmd);
    MapUpdate(ID_CHECKED, &CNumberView::OnUpdateChecked);
    MapUpdate(ID_DISABLED, &CNumberView::OnUpdateDisabled);
    MapCommand(ID_FILE_PRINT, &CView::OnFilePrint);
    MapCommand(ID_FILE_PRINT_DIRECT, &CView::OnFilePrintDirect);
    MapCommand(ID_FILE_PRINT_PREVIEW, &CView::OnFilePrintPreview);
}

void CNumberView::OnDraw(CDC* pDC)
{
    CRect r;
    GetClientRect(&r);
    pDC->FillSolidRect(GetScrollPosition().x, 0, r.Width(), r.Height(), RGB(0, 0, 200));
}

CTestFrame::CTestFrame()
{
    MapCommand(ID_FRAME_CMD, &CTestFrame::OnFrameCmd);
    MapCommand(ID_CHECKED, &CTestFrame::OnFrameCmd);
    MapCommand(ID_DISABLED, &CTestFrame::OnFrameCmd);
    MapUpdate(ID_PANE_TEXT, &CTestFrame::OnUpdatePane);
}

int CTestFrame::OnCreate(LPCREATESTRUCT lpcs)
{
    if (CFrameWnd::OnCreate(lpcs) == -1) return -1;
    static const UINT indicators[] = {ID_SEPARATOR, ID_PANE_TEXT, ID_INDICATOR_CAPS};
    if (!m_wndToolBar.CreateEx(this) || !m_wndToolBar.LoadToolBar(IDR_SDI)) return -1;
    if (!m_wndStatusBar.Create(this) || !m_wndStatusBar.SetIndicators(indicators, 3)) return -1;
    return 0;
}

// ---- resources ----

static const KStringResource s1(IDR_SDI, "Числа\nЧисло\nЧисло\nФайлы чисел (*.num)\n.num\nNumbers.Document\nДокумент чисел");
static const KStringResource s2(IDR_MDI_MAIN, "Числа");
static const KStringResource s3(IDR_MDI_DOC, "\nЧисло\nЧисло\nФайлы чисел (*.num)\n.num\nNumbers.Document\nДокумент чисел");
static const KStringResource s4(ID_VIEW_CMD, "Команда вида\nВид");
static const KStringResource s5(ID_PANE_TEXT, "панель");
static const KStringResource s6(ID_FRAME_CMD, "Команда рамки\nРамка");

static const KMenuTemplate m1(IDR_SDI, {
    KMenuItem("&Файл", {KMenuItem("Создать\tCtrl+N", ID_FILE_NEW), KMenuItem("Открыть...", ID_FILE_OPEN),
                        KMenuItem("Сохранить", ID_FILE_SAVE), KMenuItem::Separator(),
                        KMenuItem("Последний файл", ID_FILE_MRU_FILE1), KMenuItem::Separator(),
                        KMenuItem("Выход", ID_APP_EXIT)}),
    KMenuItem("&Вид", {KMenuItem("Команда вида", ID_VIEW_CMD), KMenuItem("Команда документа", ID_DOC_CMD),
                       KMenuItem("Команда рамки", ID_FRAME_CMD), KMenuItem("Команда программы", ID_APP_CMD),
                       KMenuItem("Ничья", ID_NOBODY), KMenuItem("Отмеченная", ID_CHECKED),
                       KMenuItem("Запрещенная", ID_DISABLED)}),
});
static const KMenuTemplate m2(IDR_MDI_MAIN, {
    KMenuItem("&Файл", {KMenuItem("Создать", ID_FILE_NEW), KMenuItem("Выход", ID_APP_EXIT)}),
});
static const KMenuTemplate m3(IDR_MDI_DOC, {
    KMenuItem("&Файл", {KMenuItem("Создать", ID_FILE_NEW), KMenuItem("Закрыть", ID_FILE_CLOSE),
                        KMenuItem("Выход", ID_APP_EXIT)}),
    KMenuItem("&Вид", {KMenuItem("Команда вида", ID_VIEW_CMD)}),
    KMenuItem("&Окно", {KMenuItem("Каскадом", ID_WINDOW_CASCADE), KMenuItem("Без пересечений", ID_WINDOW_TILE_HORZ)}),
});
// The view command's own button picture: red above, blue below; the
// disabled command's: green on the left, clear on the right.
static const KToolBarButtonImage i1(ID_VIEW_CMD, ":/framework-tests/pictures/view.png");
static const KToolBarButtonImage i2(ID_DISABLED, ":/framework-tests/pictures/disabled.png");
static const KToolBarTemplate t1(IDR_SDI, {ID_FILE_NEW, ID_FILE_OPEN, 0, ID_VIEW_CMD, ID_CHECKED, ID_DISABLED, ID_NOBODY});
static const KAcceleratorTemplate a1(IDR_SDI, {{FVIRTKEY | FCONTROL, 'N', ID_FILE_NEW},
                                               {FVIRTKEY, VK_SPACE, ID_VIEW_CMD},
                                               {FVIRTKEY | FSHIFT, VK_LEFT, ID_DISABLED}});
static const KAcceleratorTemplate a3(IDR_MDI_DOC, {{FVIRTKEY, VK_SPACE, ID_VIEW_CMD}});

} // namespace frame_test
