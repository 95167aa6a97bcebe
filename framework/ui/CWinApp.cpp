#include "framework/ui/CWinApp.h"

#include <QApplication>
#include <QSettings>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "framework/audio/AudioServices.h"
#include "framework/audio/VirtualAudio.h"
#include "framework/audio/WaveAudio.h"
#include "framework/ui/QtUserInteraction.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

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
// A beep is a real tone through the sound device: a sine of the given
// frequency and length, played to its end.
void playTone(DWORD frequency, DWORD duration)
{
    struct DoneSink : IWaveNotifySink {
        std::atomic<bool> done{false};
        void PostWaveMessage(UINT message, WPARAM, LPARAM) override
        {
            if (message == MM_WOM_DONE)
                done = true;
        }
    } sink;
    const DWORD rate = 22050;
    std::vector<short> tone(static_cast<size_t>(rate * duration / 1000));
    for (size_t i = 0; i < tone.size(); ++i)
        tone[i] = short(12000 * std::sin(2 * M_PI * double(frequency) * double(i) / rate));
    WAVEFORMATEX f{WAVE_FORMAT_PCM, 1, rate, rate * 2, 2, 16, 0};
    HWAVEOUT h = nullptr;
    if (tone.empty() || waveOutOpen(&h, WAVE_MAPPER, &f, &sink, 0, CALLBACK_WINDOW) != MMSYSERR_NOERROR) {
        QApplication::beep();
        return;
    }
    WAVEHDR hdr{};
    hdr.lpData = reinterpret_cast<char*>(tone.data());
    hdr.dwBufferLength = DWORD(tone.size() * 2);
    waveOutPrepareHeader(h, &hdr, sizeof hdr);
    if (waveOutWrite(h, &hdr, sizeof hdr) == MMSYSERR_NOERROR) {
        auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(duration + 500);
        while (!sink.done && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    waveOutReset(h);
    waveOutUnprepareHeader(h, &hdr, sizeof hdr);
    waveOutClose(h);
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
    KInstallAudioServices();
    // A program run by hand on the virtual device hears it in real time.
    const char* audio = std::getenv("KAVREL_AUDIO");
    if (audio && std::string(audio) == "virtual")
        CVirtualAudio::SetRealTimeClock(true);
    SetToneFunction(playTone);
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
