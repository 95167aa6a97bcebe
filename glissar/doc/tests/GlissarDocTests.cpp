// The tracer document: its file as the workshop writes it, the open path with
// its messages, saving and reopening, and the document's commands.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "framework/base/ProgressService.h"
#include "framework/base/ScriptedUserInteraction.h"
#include "framework/ui/CDialog.h"
#include "testsupport/QtTestApp.h"
#include "testsupport/ByteFiles.h"
#include "testsupport/Signals.h"
#include "testsupport/TracerObjects.h"

namespace {

using tracertest::MakeTracerObject;
using tracertest::OpenTracerDoc;
using Bytes = kavrel_test::Bytes;

constexpr unsigned kRate = 16000;
// 440, 1250 and 2600 Hz lie nearest bins 28, 80 and 166 of 1024 at 16 kHz.
const std::vector<double> kPartials = {440, 1250, 2600};
const int kPartialBins[3] = {28, 80, 166};

std::vector<int> threePartials() { return ktest::Partials(kPartials, 3000, 16000, kRate); }

// The workshop's object of the three partials: 130 cadres of 512 bins.
tracertest::TracerObject threePartialsObject(const ktest::ScratchDir& dir)
{
    return MakeTracerObject(dir, threePartials(), kRate, 10, 140);
}

// One click, pressed and released, of a tool of this size on bin k of cadre 60.
void clickTool(CGlissarDoc& doc, int toolsSize, int k)
{
    doc.nToolsSize = toolsSize;
    doc.ToolButtonDown(60, k);
    doc.ToolButtonUp();
}

// The document's own tail: init flag, reserved flag, B·C status bytes, tool size.
struct GsrTail {
    BYTE init, reserved;
    Bytes status;
    int toolsSize;
    size_t headSize;
};

GsrTail tailOf(const Bytes& file, size_t nStatus)
{
    GsrTail t{};
    const size_t tail = 2 + nStatus + 4;
    if (file.size() < tail)
        return t;
    t.headSize = file.size() - tail;
    t.init = file[t.headSize];
    t.reserved = file[t.headSize + 1];
    t.status.assign(file.begin() + long(t.headSize) + 2, file.begin() + long(t.headSize + 2 + nStatus));
    const BYTE* p = &file[file.size() - 4];
    t.toolsSize = int(p[0] | (p[1] << 8) | (p[2] << 16) | (unsigned(p[3]) << 24));
    return t;
}

TEST(GlissarDocFile, WorkshopDocumentOpensWithEveryMaximumClassifiedAfresh)
{
    CScriptedUserInteraction ui;
    ktest::ScratchDir dir;
    auto obj = threePartialsObject(dir);
    ASSERT_FALSE(obj.gsr.empty());
    // 130 cadres of 512 bins, all unmarked, to be classified on first open.
    const GsrTail written = tailOf(kavrel_test::ReadAll(obj.gsr), 130 * 512);
    EXPECT_EQ(written.init, 1);
    EXPECT_EQ(written.reserved, 1);
    EXPECT_EQ(written.toolsSize, 2);
    EXPECT_EQ(written.status, Bytes(130 * 512, 0));
    // The float wave: one zero per sample of the object, last sample included.
    EXPECT_EQ(std::filesystem::file_size(obj.kfw), (130u * 102 + 1) * 4);

    auto doc = OpenTracerDoc(obj.gsr);
    ASSERT_TRUE(doc);
    EXPECT_FALSE(doc->bInitiateTraceStatus);
    // Margins by hand: σT is one step, so six steps; 3·1024·σF/Fs = 4.79 bins.
    EXPECT_EQ(doc->GetCadreMargin(), 6);
    EXPECT_EQ(doc->GetBinMargin(), 5);
    for (long c = 0; c < 130; ++c) {
        const unsigned char* st = doc->GetTraceStatus(c);
        for (int k = 0; k < 512; ++k) {
            const bool inside = c >= 6 && c < 124 && k >= 5 && k < 507;
            const bool partial = k == kPartialBins[0] || k == kPartialBins[1] || k == kPartialBins[2];
            if (!inside)
                ASSERT_EQ(st[k], 0) << c << " " << k;
            else if (partial)
                ASSERT_EQ(st[k], CGlissarDoc::TRACE_LOCAL_MAX | CGlissarDoc::TRACE_VISIBLE) << c << " " << k;
            else
                ASSERT_TRUE(st[k] == 0 || st[k] == CGlissarDoc::TRACE_LOCAL_MAX ||
                            st[k] == CGlissarDoc::TRACE_SLOPE_UP || st[k] == CGlissarDoc::TRACE_SLOPE_DOWN)
                    << c << " " << k << " " << int(st[k]);
        }
    }
}

TEST(GlissarDocFile, SavedAndReopenedKeepsTheMarksByteForByte)
{
    CScriptedUserInteraction ui;
    ktest::ScratchDir dir;
    auto obj = threePartialsObject(dir);
    const size_t headSize = tailOf(kavrel_test::ReadAll(obj.gsr), 130 * 512).headSize;
    {
        auto doc = OpenTracerDoc(obj.gsr);
        ASSERT_TRUE(doc);
        clickTool(*doc, 0, kPartialBins[1]); // the whole 1250 Hz trace
        doc->nToolsSize = 4;
        ASSERT_TRUE(doc->OnSaveDocument(obj.gsr.c_str()));
    }
    const Bytes saved = kavrel_test::ReadAll(obj.gsr);
    const Bytes savedKfw = kavrel_test::ReadAll(obj.kfw);
    const GsrTail t = tailOf(saved, 130 * 512);
    EXPECT_EQ(t.headSize, headSize);
    EXPECT_EQ(t.init, 0);
    EXPECT_EQ(t.toolsSize, 4);
    int inSynthesis = 0;
    for (BYTE b : t.status)
        inSynthesis += (b & CGlissarDoc::TRACE_IN_SYNTHESIS) ? 1 : 0;
    EXPECT_EQ(inSynthesis, 124 - 6);
    // The tracer writes its whole cadres of signal: 130 steps.
    EXPECT_EQ(savedKfw.size(), 130u * 102 * 4);

    auto again = OpenTracerDoc(obj.gsr);
    ASSERT_TRUE(again);
    EXPECT_EQ(Bytes(again->LocalMaxAmplPosition.pArray, again->LocalMaxAmplPosition.pArray + 130 * 512), t.status);
    ASSERT_TRUE(again->OnSaveDocument(obj.gsr.c_str()));
    EXPECT_EQ(kavrel_test::ReadAll(obj.gsr), saved);
    EXPECT_EQ(kavrel_test::ReadAll(obj.kfw), savedKfw);
}

TEST(GlissarDocFile, MissingFloatWaveFailsWithItsMessage)
{
    CScriptedUserInteraction ui;
    ktest::ScratchDir dir;
    auto obj = threePartialsObject(dir);
    std::remove(obj.kfw.c_str());
    EXPECT_FALSE(OpenTracerDoc(obj.gsr));
    ASSERT_EQ(ui.m_messages.size(), 2u);
    EXPECT_EQ(std::string(ui.m_messages[0].sText.GetString()),
              "Не удалось открыть файл\n" + obj.kfw + "\n для чтения float wave file.");
    EXPECT_EQ(std::string(ui.m_messages[1].sText.GetString()),
              "В CGlissarDoc не отработала функция OnOpenDocument() - "
              "pWaveFilm->pFloatWave->LoadFloatWaveBufferFromFile ( pPhoneObject->sPhoneObjectFloatWaveFilePathName )");
}

TEST(GlissarDocFile, StoppingTheAnalysisSaysSoAndLeavesTheDocumentAsItWas)
{
    CScriptedUserInteraction ui;
    CScriptedProgressService progress;
    ktest::ScratchDir dir;
    auto obj = threePartialsObject(dir);
    const Bytes gsr = kavrel_test::ReadAll(obj.gsr), kfw = kavrel_test::ReadAll(obj.kfw);
    progress.m_nCancelAfter = 10; // part-way through the cadres
    EXPECT_FALSE(OpenTracerDoc(obj.gsr));
    EXPECT_FALSE(progress.m_bOpen);
    ASSERT_EQ(ui.m_messages.size(), 1u);
    EXPECT_STREQ(ui.m_messages[0].sText, "Анализ прерван пользователем.\n\nПрограмма завершает работу, документ не изменён.");
    EXPECT_EQ(kavrel_test::ReadAll(obj.gsr), gsr);
    EXPECT_EQ(kavrel_test::ReadAll(obj.kfw), kfw);
}

TEST(GlissarDocFile, TruncatedDocumentFailsCleanly)
{
    CScriptedUserInteraction ui;
    ktest::ScratchDir dir;
    auto obj = threePartialsObject(dir);
    const Bytes whole = kavrel_test::ReadAll(obj.gsr);
    for (size_t keep : {size_t(0), size_t(30), whole.size() / 2, whole.size() - 5, whole.size() - 1}) {
        const std::string cut = dir / "cut.gsr";
        kavrel_test::WriteAll(cut, Bytes(whole.begin(), whole.begin() + long(keep)));
        ui.m_messages.clear();
        EXPECT_FALSE(OpenTracerDoc(cut)) << keep;
        ASSERT_FALSE(ui.m_messages.empty()) << keep;
        EXPECT_EQ(std::string(ui.m_messages.back().sText.GetString()), "Неожиданный формат файла " + cut + ".");
    }
}

TEST(GlissarDocFile, NewDocumentIsRefusedWithWhoseProgramItIs)
{
    CScriptedUserInteraction ui;
    CGlissarDoc doc;
    EXPECT_FALSE(doc.OnNewDocument());
    ASSERT_EQ(ui.m_messages.size(), 1u);
    EXPECT_EQ(std::string(ui.m_messages[0].sText.GetString()),
              "Это подчиненная программа.\nОна запускается автоматически только из программы Tembrix.exe !");
}

TEST(GlissarDocCommands, TraceDisplayModesExcludeEachOtherAndEditingEnablesTheTools)
{
    CGlissarDoc doc;
    auto checked = [&](UINT id) {
        CCmdUI ui(id);
        doc.OnUpdateCmdUI(&ui);
        return std::make_pair(ui.m_nCheck, ui.m_bEnabled);
    };
    doc.OnCmdMsg(ID_GLISSAR_SHOW_TRACES);
    doc.OnCmdMsg(ID_GLISSAR_SHOW_ONLY_TRACES);
    EXPECT_EQ(checked(ID_GLISSAR_SHOW_TRACES).first, 0);
    EXPECT_EQ(checked(ID_GLISSAR_SHOW_ONLY_TRACES).first, 1);
    doc.OnCmdMsg(ID_GLISSAR_SHOW_TRACES);
    EXPECT_EQ(checked(ID_GLISSAR_SHOW_ONLY_TRACES).first, 0);
    doc.OnCmdMsg(ID_GLISSAR_SHOW_TRACES);
    EXPECT_FALSE(doc.bShowTraces || doc.bShowOnlyTraces);

    EXPECT_EQ(checked(ID_GLISSAR_TOOL_ADDS), std::make_pair(1, true));
    EXPECT_EQ(checked(ID_GLISSAR_TOOL_REMOVES), std::make_pair(0, true));
    doc.OnCmdMsg(ID_GLISSAR_TOOL_REMOVES);
    EXPECT_EQ(checked(ID_GLISSAR_TOOL_REMOVES).first, 1);
    doc.OnCmdMsg(ID_GLISSAR_EDIT_TRACES);
    for (UINT id : {ID_GLISSAR_TOOL_ADDS, ID_GLISSAR_TOOL_REMOVES, ID_GLISSAR_FOLLOW_MAXIMA, ID_GLISSAR_QUICK_EDITING})
        EXPECT_FALSE(checked(id).second) << id;
    EXPECT_EQ(checked(ID_GLISSAR_SYNC_OSCILLOGRAM).first, 0);
    doc.OnCmdMsg(ID_GLISSAR_SYNC_OSCILLOGRAM);
    EXPECT_EQ(checked(ID_GLISSAR_SYNC_OSCILLOGRAM).first, 1);
}

TEST(GlissarDocCommands, DecliningTheSigmaFrQuestionChangesNothing)
{
    CScriptedUserInteraction ui;
    ktest::ScratchDir dir;
    auto doc = OpenTracerDoc(threePartialsObject(dir).gsr);
    ASSERT_TRUE(doc);
    clickTool(*doc, 1, kPartialBins[0]);
    const Bytes before(doc->LocalMaxAmplPosition.pArray, doc->LocalMaxAmplPosition.pArray + 130 * 512);
    const float sample = doc->pFloatWave.GetFloatWaveBuffer()[60 * 102];
    ui.QueueAnswer(IDNO);
    doc->OnCmdMsg(ID_GLISSAR_SET_SIGMA_FR);
    ASSERT_EQ(ui.m_messages.size(), 1u);
    EXPECT_EQ(ui.m_messages[0].nStyle & MB_TYPEMASK, UINT(MB_YESNO));
    EXPECT_EQ(Bytes(doc->LocalMaxAmplPosition.pArray, doc->LocalMaxAmplPosition.pArray + 130 * 512), before);
    EXPECT_EQ(doc->pFloatWave.GetFloatWaveBuffer()[60 * 102], sample);
    EXPECT_NE(sample, 0.0f);
}

TEST(GlissarDocCommands, NewSigmaFrStartsTheTracesAfresh)
{
    ktest::EnsureQtApplication();
    CScriptedUserInteraction ui;
    ktest::ScratchDir dir;
    auto doc = OpenTracerDoc(threePartialsObject(dir).gsr);
    ASSERT_TRUE(doc);
    clickTool(*doc, 0, kPartialBins[2]);
    ui.QueueAnswer(IDYES);
    // "Выше среднего": step 7, σF = 16000/(2π·7), NFFT 256.
    DialogDriver old = SetDialogDriver([](CDialog& d) {
        d.ClickDlgButton(5116);
        d.ClickDlgButton(IDOK);
    });
    doc->OnCmdMsg(ID_GLISSAR_SET_SIGMA_FR);
    SetDialogDriver(old);
    CKWaveFilm& film = doc->pWaveFilm;
    ASSERT_EQ(film.GetNFFT(), 256);
    ASSERT_EQ(film.GetCadreStepInSamples(), 7);
    // 130·102 samples in whole steps of 7, an even count.
    EXPECT_EQ(film.GetNCadres(), 1894);
    EXPECT_EQ(doc->pFloatWave.GetFloatWaveLength(), 1894 * 7);
    EXPECT_EQ(doc->LocalMaxAmplPosition.nSize, 1894 * 128);
    for (float v : std::vector<float>(doc->pFloatWave.GetFloatWaveBuffer(),
                                      doc->pFloatWave.GetFloatWaveBuffer() + 1894 * 7))
        ASSERT_EQ(v, 0.0f);
    int maxima = 0;
    for (int i = 0; i < doc->LocalMaxAmplPosition.nSize; ++i) {
        ASSERT_EQ(doc->LocalMaxAmplPosition.pArray[i] & ~(CGlissarDoc::TRACE_LOCAL_MAX | CGlissarDoc::TRACE_VISIBLE |
                                                          CGlissarDoc::TRACE_SLOPE_UP | CGlissarDoc::TRACE_SLOPE_DOWN),
                  0);
        maxima += doc->LocalMaxAmplPosition.pArray[i] & CGlissarDoc::TRACE_LOCAL_MAX;
    }
    EXPECT_GT(maxima, 0);
    EXPECT_TRUE(doc->IsModified());
}

} // namespace
