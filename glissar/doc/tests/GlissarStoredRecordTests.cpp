// What a tracer document's file brings rather than its spectra: the listing
// of the maxima of any pattern of stored marks, documents whose marks no
// spectrum can make, and film records outside the ranges the dialogs allow,
// all refused on open.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <random>
#include <vector>

#include "framework/base/ScriptedUserInteraction.h"
#include "testsupport/ByteFiles.h"
#include "testsupport/Signals.h"
#include "testsupport/TracerObjects.h"

namespace {

using Doc = CGlissarDoc;

// The maxima of [k0, k1) the slow way, inside bins 1 .. B − 2.
std::vector<int> maximaByHand(const std::vector<unsigned char>& st, int k0, int k1)
{
    std::vector<int> bins;
    for (int k = std::max(k0, 1); k < std::min(k1, int(st.size()) - 1); ++k)
        if (st[size_t(k)] & Doc::TRACE_LOCAL_MAX)
            bins.push_back(k);
    return bins;
}

std::vector<int> listed(const std::vector<unsigned char>& st, int k0, int k1)
{
    const int B = int(st.size());
    std::vector<int> out(size_t(B) + 8, -7);
    const int n = Doc::ListLocalMaxima(st.data(), k0, k1, B, out.data());
    return std::vector<int>(out.begin(), out.begin() + std::max(n, 0));
}

} // namespace

TEST(GlissarStoredRecord, ListingTakesEveryMarkOfAnyPatternAndNeverAnEndBin)
{
    // Every bin marked: eight maxima in each eight bins, and the ends left out.
    const std::vector<unsigned char> all(64, Doc::TRACE_LOCAL_MAX | Doc::TRACE_VISIBLE);
    std::vector<int> inner;
    for (int k = 1; k < 63; ++k)
        inner.push_back(k);
    EXPECT_EQ(listed(all, 0, 64), inner);
    EXPECT_EQ(listed(all, 5, 13), (std::vector<int>{5, 6, 7, 8, 9, 10, 11, 12}));

    // Random rows, dense and sparse, at rows and bounds that end inside and
    // outside a group of eight.
    std::mt19937 random(7);
    for (int trial = 0; trial < 2000; ++trial) {
        const int B = 1 + int(random() % 70);
        const unsigned density = 1 + random() % 4;
        std::vector<unsigned char> st(static_cast<size_t>(B));
        for (auto& b : st)
            b = random() % density == 0 ? (random() & 0xFF) | Doc::TRACE_LOCAL_MAX : random() & 0xFE;
        const int k0 = int(random() % unsigned(B + 2)) - 1, k1 = int(random() % unsigned(B + 2));
        ASSERT_EQ(listed(st, k0, k1), maximaByHand(st, k0, k1)) << trial << " B " << B << " " << k0 << ".." << k1;
    }
}

TEST(GlissarStoredRecord, OnlyRowsAStrictMaximumCanMakeArePossible)
{
    using R = std::vector<unsigned char>;
    const unsigned char M = Doc::TRACE_LOCAL_MAX, up = Doc::TRACE_SLOPE_UP, down = Doc::TRACE_SLOPE_DOWN;
    EXPECT_TRUE(Doc::TraceStatusRowIsPossible(R{0, up, M, down, M | Doc::TRACE_IN_SYNTHESIS, 0}.data(), 6));
    EXPECT_FALSE(Doc::TraceStatusRowIsPossible(R{0, M, M, down, 0}.data(), 5));
    EXPECT_FALSE(Doc::TraceStatusRowIsPossible(R{M, down, 0}.data(), 3));
    EXPECT_FALSE(Doc::TraceStatusRowIsPossible(R{0, up, M}.data(), 3));
}

// A document the tracer saved with its traces added (kavrel traces
// --add-visible) in which one cadre has every status byte set to a maximum:
// its peak estimates would have read outside the spectrum (q[k − 1] with
// k = 0) and resynthesised parameters the listing never wrote.
TEST(GlissarStoredRecord, DocumentWithNeighbouringMaximaIsRefusedAsMalformed)
{
    constexpr unsigned kRate = 16000;
    constexpr long kC = 130;
    constexpr int kB = 512;
    CScriptedUserInteraction ui;
    ktest::ScratchDir dir;
    const auto obj = tracertest::MakeTracerObject(dir, ktest::Partials({440, 1250, 2600}, 3000, 16000, kRate), kRate,
                                                  10, 10 + kC);
    {
        auto doc = tracertest::OpenTracerDoc(obj.gsr);
        ASSERT_TRUE(doc);
        doc->OnAddAllVisibleTraces();
        ASSERT_TRUE(doc->OnSaveDocument(obj.gsr.c_str()));
    }
    kavrel_test::Bytes file = kavrel_test::ReadAll(obj.gsr);
    // The status bytes end four bytes (the tool size) before the file does.
    const size_t statusAt = file.size() - 4 - size_t(kC) * kB;
    ASSERT_TRUE(tracertest::OpenTracerDoc(obj.gsr)) << "the saved document opens";

    const long cadre = 40;
    for (int k = 0; k < kB; ++k)
        file[statusAt + size_t(cadre) * kB + size_t(k)] = Doc::TRACE_LOCAL_MAX;
    const std::string bad = dir / "bad.gsr";
    kavrel_test::WriteAll(bad, file);
    ui.m_messages.clear();
    EXPECT_FALSE(tracertest::OpenTracerDoc(bad));
    ASSERT_EQ(ui.m_messages.size(), 1u);
    EXPECT_EQ(std::string(ui.m_messages[0].sText.GetString()), "Неожиданный формат файла " + bad + ".");

    // Two neighbours are enough; a single maximum where none was is not refused.
    file[statusAt + size_t(cadre) * kB + 100] = Doc::TRACE_LOCAL_MAX;
    for (int k = 0; k < kB; ++k)
        if (k != 100)
            file[statusAt + size_t(cadre) * kB + size_t(k)] = 0;
    kavrel_test::WriteAll(bad, file);
    EXPECT_TRUE(tracertest::OpenTracerDoc(bad));
    file[statusAt + size_t(cadre) * kB + 101] = Doc::TRACE_LOCAL_MAX;
    kavrel_test::WriteAll(bad, file);
    EXPECT_FALSE(tracertest::OpenTracerDoc(bad));
}

// A resolution far outside the SigmaFr dialog's range (−3.4e242 Hz) would
// overflow the bin margin's int; the film's record is refused as damaged.
TEST(GlissarStoredRecord, ResolutionOutsideTheDialogsRangeIsADamagedRecord)
{
    constexpr unsigned kRate = 16000;
    CScriptedUserInteraction ui;
    ktest::ScratchDir dir;
    const auto obj = tracertest::MakeTracerObject(dir, ktest::Partials({440}, 3000, 8000, kRate), kRate, 10, 40);
    double sigma = 0;
    {
        auto doc = tracertest::OpenTracerDoc(obj.gsr);
        ASSERT_TRUE(doc);
        sigma = doc->pWaveFilm.GetSigmaFr();
    }
    kavrel_test::Bytes file = kavrel_test::ReadAll(obj.gsr);
    BYTE bytes[8];
    std::memcpy(bytes, &sigma, 8);
    const auto at = std::search(file.begin(), file.end(), bytes, bytes + 8);
    ASSERT_NE(at, file.end());
    for (const double bad : {-3.4e242, 0.0, 0.0009, 1000000.5, std::nan("")}) {
        std::memcpy(&*at, &bad, 8);
        kavrel_test::WriteAll(obj.gsr, file);
        ui.m_messages.clear();
        EXPECT_FALSE(tracertest::OpenTracerDoc(obj.gsr)) << bad;
        ASSERT_EQ(ui.m_messages.size(), 2u) << bad;
        EXPECT_TRUE(ui.m_messages[0].sText.str().starts_with("Запись сонофильма в документе повреждена")) << bad;
        EXPECT_EQ(std::string(ui.m_messages[1].sText.GetString()), "Неожиданный формат файла " + obj.gsr + ".");
    }
    for (const double good : {0.001, 1000000.0}) {
        std::memcpy(&*at, &good, 8);
        kavrel_test::WriteAll(obj.gsr, file);
        ui.m_messages.clear();
        EXPECT_TRUE(tracertest::OpenTracerDoc(obj.gsr)) << good;
    }
}

// A sound that has moved costs the question while the record is read and
// the document's refusal, not the readers' failures twice more.
TEST(GlissarStoredRecord, MovedSoundIsAskedAboutOnceAndRefusedOnce)
{
    constexpr unsigned kRate = 16000;
    CScriptedUserInteraction ui;
    ktest::ScratchDir dir;
    const auto obj = tracertest::MakeTracerObject(dir, ktest::Partials({440}, 3000, 8000, kRate), kRate, 10, 40);
    std::filesystem::rename(obj.wav, dir / "moved.wav");
    ui.QueueAnswer(IDNO); // not looked for elsewhere
    EXPECT_FALSE(tracertest::OpenTracerDoc(obj.gsr));
    ASSERT_EQ(ui.m_messages.size(), 2u);
    EXPECT_TRUE(ui.m_messages[0].sText.str().starts_with("Как быть?"));
    EXPECT_EQ(std::string(ui.m_messages[1].sText.GetString()),
              "В CGlissarDoc не отработали функции pWaveFilm->pS0->OpenKWaveFile() и pWaveFilm->pS1->OpenKWaveFile()");
}
