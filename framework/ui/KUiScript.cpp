#include "framework/ui/KUiScript.h"

#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "framework/base/ScriptedUserInteraction.h"
#include "framework/ui/CDialog.h"
#include "framework/ui/CWinApp.h"

namespace {

struct Script {
    std::deque<std::string> lines;
    std::unique_ptr<CScriptedUserInteraction> ui;
};

Script& script()
{
    static Script s;
    return s;
}

// The text after a line's verb.
std::string argumentOf(const std::string& line)
{
    std::istringstream in(line);
    std::string verb;
    in >> verb;
    std::string rest;
    std::getline(in, rest);
    if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
    return rest;
}

// Queues an "answer" or "file" line for the next message box or file
// dialog; false for a line of another verb.
bool queueReply(const std::string& line)
{
    std::istringstream in(line);
    std::string verb;
    in >> verb;
    if (verb == "answer") script().ui->QueueAnswer(std::atoi(argumentOf(line).c_str()));
    else if (verb == "file") script().ui->QueueFile(argumentOf(line).c_str());
    else return false;
    return true;
}

// Runs lines until one belongs to another dialog's life: returns when the
// dialog ends or says "close".
void drive(CDialog& dlg)
{
    Script& s = script();
    while (!s.lines.empty() && !dlg.IsEnded()) {
        const std::string line = s.lines.front();
        s.lines.pop_front();
        std::istringstream in(line);
        std::string verb;
        in >> verb;
        const std::string rest = argumentOf(line);
        if (queueReply(line)) {
            // for the boxes and file dialogs this dialog's buttons bring up
        } else if (verb == "set" || verb == "leave" || verb == "press") {
            std::istringstream args(rest);
            int id = 0;
            args >> id;
            std::string text;
            std::getline(args, text);
            if (!text.empty() && text[0] == ' ') text.erase(0, 1);
            // Typed, as a user would: the dialog hears the change.
            if (verb == "set" && !dlg.TypeDlgItemText(id, text.c_str()))
                std::fprintf(stderr, "[script] set %d: no edit there that takes typing\n", id);
            else if (verb == "leave") dlg.NotifyKillFocus(id);
            else if (verb == "press") dlg.ClickDlgButton(id);
        } else if (verb == "grab") {
            if (QWidget* w = dlg.GetWidget()) {
                w->adjustSize();
                w->show();
                w->grab().save(QString::fromUtf8(rest.c_str()));
            }
        } else if (verb == "close") {
            break;
        }
    }
}

// Message boxes answered from the script are also printed, so a run can be read afterwards.
class KLoggingScriptedUi : public CScriptedUserInteraction {
public:
    int MessageBox(const CString& text, const CString& caption, UINT style) override
    {
        const int r = CScriptedUserInteraction::MessageBox(text, caption, style);
        std::fprintf(stderr, "[%s] %s -> %d\n", caption.GetString(), text.GetString(), r);
        return r;
    }
};

// Lines outside any dialog: answers and files are queued, a command goes to
// the main window, and the rest waits until that command has run (it may
// open a dialog that reads the lines after it).
void runNextCommand()
{
    Script& s = script();
    while (!s.lines.empty()) {
        std::istringstream in(s.lines.front());
        std::string verb;
        in >> verb;
        if (queueReply(s.lines.front())) {
            s.lines.pop_front();
            continue;
        }
        if (verb != "command")
            return;
        CWinApp* app = AfxGetApp();
        // A disabled main window (a progress window over a long computation)
        // takes no command from the user: the script waits as the user would,
        // instead of closing a document while it is still being built.
        if (app && app->m_pMainWnd && !app->m_pMainWnd->IsWindowEnabled()) {
            QTimer::singleShot(20, [] { runNextCommand(); });
            return;
        }
        int id = 0;
        in >> id;
        s.lines.pop_front();
        if (!app || !app->m_pMainWnd)
            return;
        // A grey item cannot be chosen: the command does not run, and the
        // script goes on (the main window refuses it again should it come).
        if (!app->m_pMainWnd->IsCommandEnabled(UINT(id))) {
            std::fprintf(stderr, "[script] command %d: disabled, not run\n", id);
            continue;
        }
        app->m_pMainWnd->PostMessage(WM_COMMAND, WPARAM(id), 0);
        QTimer::singleShot(0, [] { runNextCommand(); });
        return;
    }
}

} // namespace

void KRunUiScriptCommands()
{
    if (script().ui)
        QTimer::singleShot(0, [] { runNextCommand(); });
}

bool KInstallUiScriptFromEnvironment()
{
    const char* path = std::getenv("KAVREL_UI_SCRIPT");
    if (!path || !*path) return true;
    std::ifstream f(path);
    if (!f) {
        std::fprintf(stderr, "KAVREL_UI_SCRIPT: cannot read %s\n", path);
        return false;
    }
    Script& s = script();
    for (std::string line; std::getline(f, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        s.lines.push_back(line);
    }
    s.ui = std::make_unique<KLoggingScriptedUi>();
    SetDialogDriver(drive);
    // The answers and files the script begins with are there at once: a
    // document named on the command line opens before the program waits for
    // the user, and its message boxes must find them.
    while (!s.lines.empty() && queueReply(s.lines.front()))
        s.lines.pop_front();
    return true;
}

void KRemoveUiScript()
{
    if (!script().ui) return;
    SetDialogDriver(nullptr);
    script().ui.reset();
    script().lines.clear();
}
