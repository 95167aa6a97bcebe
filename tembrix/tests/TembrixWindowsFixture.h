// The workshop's main window in a test: the application started as a user
// starts it (empty), documents made through File New, sound objects added
// through the new-object command and its dialog.
#pragma once
#include <gtest/gtest.h>

#include <QApplication>
#include <memory>
#include <string>
#include <vector>

#include "framework/base/ScriptedUserInteraction.h"
#include "framework/ui/CDialog.h"
#include "framework/ui/CDocTemplate.h"
#include "framework/ui/CMenu.h"
#include "framework/ui/KPrinting.h"
#include "tembrix/KDialogPhoneObjectSetContent.h"
#include "tembrix/KMainFrame.h"
#include "tembrix/TembrixApp.h"
#include "tembrix/TembrixDoc.h"
#include "tembrix/TembrixFrame.h"
#include "tembrix/TembrixIds.h"
#include "tembrix/TembrixView.h"
#include "testsupport/ByteFiles.h"
#include "testsupport/DialogAnswers.h"
#include "testsupport/QtTestApp.h"
#include "testsupport/Signals.h"
#include "testsupport/TempFiles.h"
#include "testsupport/WavBytes.h"

namespace tembrix_test {

constexpr unsigned kRate = 22050;

inline void Pump()
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

inline const KShownMenuItem* FindItem(const std::vector<KShownMenuItem>& menu, UINT id)
{
    for (const KShownMenuItem& it : menu)
        if (it.nID == id && !it.bPopup)
            return &it;
    return nullptr;
}

// A new document over wav through the document's own File New steps, to be
// kept as tbx (not yet saved); null when the document refuses.
inline std::unique_ptr<CTembrixDoc> NewDocumentOver(CScriptedUserInteraction& ui, const std::string& wav,
                                                    const std::string& tbx)
{
    auto doc = std::make_unique<CTembrixDoc>();
    ui.QueueFile(wav.c_str());
    ui.QueueFile(tbx.c_str());
    if (!doc->OnNewDocument())
        return nullptr;
    return doc;
}

struct TembrixWindows : ::testing::Test {
    ktest::ScratchDir dir;
    CScriptedUserInteraction ui;
    std::unique_ptr<CTembrixApp> app;
    CKMainFrame* main = nullptr;
    DialogDriver oldDriver;
    std::string wav = dir / "sound.wav";
    // A profile of the test's own when set (before SetUp): ctest runs the
    // tests side by side, and those that keep settings must not meet.
    std::string sProfileName;

    void SetUp() override
    {
        ktest::EnsureQtApplication();
        kavrel_test::WriteAll(wav, wavbytes::pcm16(1, kRate, ktest::Partials({300.0, 900.0}, 6000, 3 * long(kRate), kRate)));
        oldDriver = SetDialogDriver([](CDialog& d) { d.ClickDlgButton(IDOK); });
        app = std::make_unique<CTembrixApp>();
        if (!sProfileName.empty())
            app->m_pszAppName = sProfileName.c_str();
        ASSERT_TRUE(app->InitInstance());
        main = dynamic_cast<CKMainFrame*>(app->m_pMainWnd);
        ASSERT_NE(main, nullptr);
        Pump();
    }
    void TearDown() override
    {
        for (CDocument* d : app->GetDocTemplates().front()->GetDocuments())
            d->SetModifiedFlag(false);
        if (app->m_pMainWnd)
            main->OnClose();
        Pump();
        SetDialogDriver(oldDriver);
    }

    // A new document over sound.wav through the File New command.
    CTembrixDoc* NewDocument()
    {
        ui.QueueFile(wav.c_str());
        ui.QueueFile((dir / "doc.tbx").c_str());
        main->SendMessage(WM_COMMAND, ID_FILE_NEW);
        Pump();
        return main->GetActiveTembrixDoc();
    }
    // File Print Direct from the main window, onto pdf instead of a printer.
    void PrintDirectTo(const std::string& pdf)
    {
        KSetPrintToFile(pdf.c_str());
        main->SendMessage(WM_COMMAND, ID_FILE_PRINT_DIRECT);
        Pump();
        KSetPrintToFile("");
    }
    CTembrixFrame* Frame() const { return dynamic_cast<CTembrixFrame*>(main->MDIGetActive()); }
    CTembrixView* Strip() const { return Frame()->StripView(2); }
    CKPhoneObject* AddObject(CTembrixDoc* doc, long c0, long c1, int type)
    {
        doc->WaveFilm.SetSelectedFragmentAbsCadres(c0, c1);
        DialogDriver old = SetDialogDriver([type](CDialog& d) {
            static const int kTypes[] = {IDC_SET_CONTENT_TYPE_TEXT, IDC_SET_CONTENT_TYPE_MICRO,
                                         IDC_SET_CONTENT_TYPE_SINGLE, IDC_SET_CONTENT_TYPE_VOICE,
                                         IDC_SET_CONTENT_TYPE_REVERB};
            d.ClickDlgButton(kTypes[type]);
            d.ClickDlgButton(IDOK);
        });
        const int n = doc->PhoneObjectList.GetCount();
        main->SendMessage(WM_COMMAND, ID_NEW_PHONE_OBJECT);
        SetDialogDriver(old);
        Pump();
        return doc->PhoneObjectList.GetCount() > n ? doc->GetPhoneObject(n) : nullptr;
    }
    CKPhoneObjectWnd* WindowOf(const CKPhoneObject* po) const
    {
        for (CKPhoneObjectWnd* w : Strip()->PhoneObjectWndList)
            if (w->pPhoneObject == po)
                return w;
        return nullptr;
    }
    bool HasMessage(const char* text) const { return ktest::WasTold(ui, text); }
};

} // namespace tembrix_test
