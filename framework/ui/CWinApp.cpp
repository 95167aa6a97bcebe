#include "framework/ui/CWinApp.h"

#include <QApplication>
#include <QSettings>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "framework/ui/QtUserInteraction.h"

namespace {
CWinApp* g_app = nullptr;

std::unique_ptr<QSettings> profile(const CString& app)
{
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, "Kavrel",
                                       QString::fromUtf8(app.GetString()));
}

QString key(const char* section, const char* entry)
{
    return QString::fromUtf8(section) + "/" + QString::fromUtf8(entry);
}
} // namespace

CWinApp* AfxGetApp()
{
    return g_app;
}

bool KCanShowWindows(const char* programName)
{
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if ((platform && *platform) || std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY"))
        return true;
    std::fprintf(stderr, "%s: нет дисплея (DISPLAY не задан); запустите под xvfb-run: xvfb-run -a %s\n", programName,
                 programName);
    return false;
}

CWinApp::CWinApp(const char* pszAppName) : m_pszAppName(pszAppName)
{
    g_app = this;
}

CWinApp::~CWinApp()
{
    if (g_app == this)
        g_app = nullptr;
}

bool CWinApp::InitInstance()
{
    return true;
}

int CWinApp::ExitInstance()
{
    return 0;
}

int CWinApp::Run(int argc, char** argv)
{
    if (!KCanShowWindows(argc > 0 ? argv[0] : m_pszAppName.GetString()))
        return 1;
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(m_pszAppName.GetString()));
    CString cmd;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            cmd += ' ';
        cmd += argv[i];
    }
    m_lpCmdLine = cmd;
    CQtUserInteraction ui;
    IUserInteraction* previous = SetUserInteraction(&ui);
    int rc = 0;
    if (InitInstance())
        rc = QApplication::exec();
    int exitRc = ExitInstance();
    if (exitRc)
        rc = exitRc;
    SetUserInteraction(previous);
    return rc;
}

int CWinApp::GetProfileInt(const char* section, const char* entry, int nDefault)
{
    bool ok = false;
    int v = profile(m_pszAppName)->value(key(section, entry), nDefault).toInt(&ok);
    return ok ? v : nDefault;
}

bool CWinApp::WriteProfileInt(const char* section, const char* entry, int nValue)
{
    auto s = profile(m_pszAppName);
    s->setValue(key(section, entry), nValue);
    s->sync();
    return s->status() == QSettings::NoError;
}

CString CWinApp::GetProfileString(const char* section, const char* entry, const char* pszDefault)
{
    return CString(profile(m_pszAppName)->value(key(section, entry), QString::fromUtf8(pszDefault)).toString().toUtf8().toStdString());
}

bool CWinApp::WriteProfileString(const char* section, const char* entry, const char* pszValue)
{
    auto s = profile(m_pszAppName);
    s->setValue(key(section, entry), QString::fromUtf8(pszValue));
    s->sync();
    return s->status() == QSettings::NoError;
}
