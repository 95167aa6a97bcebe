// What the companion programs the workshop starts with a document's path
// (the tracer, the analyser) have in common: one single-document template
// of their document, frame and first view, the view services for their long
// work, the pictures of the open document, and a main window with a docked
// toolbar and a status bar.
#pragma once
#include <span>

#include "framework/ui/CControlBars.h"
#include "framework/ui/CDocTemplate.h"
#include "framework/ui/CFrameWnd.h"
#include "framework/ui/KDocumentProgramApp.h"
#include "kavrel/views/KProgressDlg.h"

template <class Doc, class Frame>
class CKCompanionProgramApp : public CKDocumentProgramApp {
public:
    bool InitInstance() override
    {
        KInstallViewServices(); // long work, the analysis on open among it, shows its progress
        return CKDocumentProgramApp::InitInstance();
    }

    CDocTemplate* MakeDocTemplate() override
    {
        return new CSingleDocTemplate(m_nIDResource, m_pDocClass, m_pFrameClass, m_pViewClass);
    }

protected:
    // The template's resources and classes: the document Doc, the frame Frame
    // and the first view.
    CKCompanionProgramApp(const char* pszAppName, UINT nIDAboutBox, int nCmdShow, UINT nIDResource,
                          const CRuntimeClass* pDocClass, const CRuntimeClass* pFrameClass,
                          const CRuntimeClass* pViewClass)
        : CKDocumentProgramApp(pszAppName, nIDAboutBox, nCmdShow), m_nIDResource(nIDResource),
          m_pDocClass(pDocClass), m_pFrameClass(pFrameClass), m_pViewClass(pViewClass)
    {
    }
    // The pictures, drawn only when a document is open in the main window.
    virtual void DrawDocumentPictures(Frame& frame, Doc& doc) = 0;

private:
    void DrawPictures() override
    {
        auto* frame = dynamic_cast<Frame*>(m_pMainWnd);
        if (Doc* doc = frame ? dynamic_cast<Doc*>(frame->GetActiveDocument()) : nullptr)
            DrawDocumentPictures(*frame, *doc);
    }

    UINT m_nIDResource;
    const CRuntimeClass* m_pDocClass;
    const CRuntimeClass* m_pFrameClass;
    const CRuntimeClass* m_pViewClass;
};

// The toolbar nIDToolBar docked on top of the frame and the status bar with
// these panes; false when either cannot be made.
bool KCreateProgramBars(CFrameWnd* pFrame, CToolBar& toolBar, CStatusBar& statusBar, UINT nIDToolBar,
                        std::span<const UINT> indicators);
