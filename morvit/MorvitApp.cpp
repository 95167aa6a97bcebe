// Morvit: transforms a 16-bit PCM WAV file sample by sample into a new one.
#include "framework/ui/KDialogProgram.h"
#include "morvit/MorvitDlg.h"

class CMorvitApp : public CKDialogProgramApp<CMorvitDlg> {
public:
    CMorvitApp() : CKDialogProgramApp("Morvit") {}
};

int main(int argc, char** argv)
{
    CMorvitApp app;
    return app.Run(argc, argv);
}
