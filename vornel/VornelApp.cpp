// Vornel, the reverberation analyser: opens the analyser document of one
// sound object, as the workshop starts it with the document's path.
#include "framework/ui/KScreenshot.h"
#include "kavrel/views/KCompanionProgram.h"
#include "vornel/VornelAmplView.h"
#include "vornel/VornelFrame.h"
#include "vornel/VornelIds.h"
#include "vornel/VornelPhazeView.h"
#include "vornel/VornelView.h"
#include "vornel/doc/VornelDoc.h"

namespace {

class CVornelApp : public CKCompanionProgramApp<CVornelDoc, CVornelFrame> {
public:
    CVornelApp()
        : CKCompanionProgramApp("Vornel", IDD_VORNEL_ABOUTBOX, SW_SHOWNORMAL, IDR_VORNEL_MAINFRAME,
                                RUNTIME_CLASS(CVornelDoc), RUNTIME_CLASS(CVornelFrame), RUNTIME_CLASS(CVornelView))
    {
    }

private:
    // The whole spectrum in the window; then scrolled, the left panes at
    // 1000 Hz with the maxima and minima labelled; and the jump dialog.
    void DrawDocumentPictures(CVornelFrame& frame, CVornelDoc& doc) override
    {
        frame.MoveWindow(0, 0, 1100, 760);
        frame.m_wndSplitter.SetColumnInfo(0, 540, 10);
        frame.m_wndSplitter.RecalcLayout();
        KPumpMessages();
        KSaveWindowScreenshot(&frame, "whole-spectrum");
        doc.OnWholeSpectrumInWindow();
        const int bin = int(1000.0 * doc.nFFT / doc.GetFs());
        frame.AmplView(0)->ScrollToPosition(CPoint(bin, 0));
        frame.PhazeView(0)->ScrollToPosition(CPoint(bin, 0));
        doc.UpdateAllViews(nullptr, 0, nullptr);
        KPumpMessages();
        KSaveWindowScreenshot(&frame, "scrolled");
        frame.OnJumpToFreq();
    }
};

} // namespace

int main(int argc, char** argv)
{
    CVornelApp app;
    return app.Run(argc, argv);
}
