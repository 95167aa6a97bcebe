#include "framework/ui/KHelp.h"

#include <QApplication>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QUrl>
#include <QWidget>
#include <cctype>
#include <filesystem>
#include <memory>

#include "framework/base/ProcessLauncher.h"
#include "framework/base/UserServices.h"
#include "framework/ui/CFrameWnd.h"
#include "framework/ui/CWinApp.h"

namespace {

KHelpOpener g_opener;

bool DesktopOpen(const CString& url)
{
    return QDesktopServices::openUrl(QUrl(QString::fromUtf8(url.GetString())));
}

// Clicks on the program's windows ask for their frame's topic while the
// mode lasts; the menus and toolbars still work, their commands asking
// for their own topics.
class KContextHelpFilter : public QObject {
protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) {
            KLeaveContextHelpMode();
            return true;
        }
        if (e->type() != QEvent::MouseButtonPress) return false;
        CFrameWnd* frame = nullptr;
        for (auto* w = qobject_cast<QWidget*>(o); w; w = w->parentWidget()) {
            if (qobject_cast<QMenuBar*>(w) || qobject_cast<QMenu*>(w) || qobject_cast<QToolBar*>(w)) return false;
            if (CWnd* wnd = CWnd::FromWidget(w)) {
                frame = dynamic_cast<CFrameWnd*>(wnd);
                if (!frame) frame = CFrameWnd::GetParentFrameOf(wnd);
                if (frame) break;
            }
        }
        if (!frame) return false;
        KLeaveContextHelpMode();
        if (CWinApp* app = AfxGetApp()) app->WinHelp(HID_BASE_RESOURCE + frame->GetHelpID(), HELP_CONTEXT);
        return true;
    }
};

std::unique_ptr<KContextHelpFilter> g_helpMode;

} // namespace

KHelpOpener KSetHelpOpener(KHelpOpener opener)
{
    KHelpOpener old = g_opener;
    g_opener = std::move(opener);
    return old;
}

CString KHelpFilePathFor(const CString& appName)
{
    std::string name = appName.GetString();
    for (char& c : name) c = char(std::tolower(static_cast<unsigned char>(c)));
    name += ".html";
    const std::vector<std::string> own = KProgramSearchFolders();
    const std::string dir = own.empty() ? std::string(".") : own.front();
    const std::string places[] = {dir + "/help/" + name, dir + "/../share/kavrel/help/" + name};
    for (const std::string& p : places) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(p, ec)) return CString(std::filesystem::weakly_canonical(p, ec).c_str());
    }
    return CString(places[0].c_str());
}

bool KShowHelp(const CString& helpFilePath, DWORD dwData, UINT nCmd)
{
    if (nCmd == HELP_QUIT) return true; // the browser is the desktop's, not ours to close
    std::error_code ec;
    if (helpFilePath.IsEmpty() || !std::filesystem::is_regular_file(helpFilePath.GetString(), ec)) {
        AfxMessageBox("Не найдено руководство пользователя:\n" + helpFilePath, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    QUrl url = QUrl::fromLocalFile(QString::fromUtf8(std::filesystem::absolute(helpFilePath.GetString(), ec).c_str()));
    if (nCmd == HELP_CONTEXT && dwData) {
        if (dwData >= HID_BASE_RESOURCE) url.setFragment(QString("window-%1").arg(dwData - HID_BASE_RESOURCE));
        else if (dwData >= HID_BASE_COMMAND) url.setFragment(QString("command-%1").arg(dwData - HID_BASE_COMMAND));
        else url.setFragment(QString("topic-%1").arg(dwData));
    }
    const CString address(url.toString(QUrl::FullyEncoded).toUtf8().toStdString());
    if (!(g_opener ? g_opener(address) : DesktopOpen(address))) {
        AfxMessageBox("Не удалось открыть руководство пользователя:\n" + helpFilePath, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

void KEnterContextHelpMode()
{
    if (g_helpMode || !qApp) return;
    g_helpMode = std::make_unique<KContextHelpFilter>();
    qApp->installEventFilter(g_helpMode.get());
    QApplication::setOverrideCursor(Qt::WhatsThisCursor);
}

bool KInContextHelpMode()
{
    return g_helpMode != nullptr;
}

void KLeaveContextHelpMode()
{
    if (!g_helpMode) return;
    qApp->removeEventFilter(g_helpMode.get());
    // Deleted later: the filter may be the one running now.
    g_helpMode.release()->deleteLater();
    QApplication::restoreOverrideCursor();
}
