// Morvit: transforms a 16-bit PCM WAV file sample by sample into a new one.
#include "framework/ui/CWinApp.h"
#include "morvit/MorvitDlg.h"

class CMorvitApp : public CWinApp {
public:
    CMorvitApp() : CWinApp("Morvit") {}

    bool InitInstance() override
    {
        CMorvitDlg dlg;
        m_pMainWnd = &dlg;
        dlg.DoModal();
        m_pMainWnd = nullptr;
        return false; // the dialog was the program
    }
};

int main(int argc, char** argv)
{
    CMorvitApp app;
    return app.Run(argc, argv);
}
