#include "kavrel/views/DialogAdjustSpectraVisualLevels.h"

#include <algorithm>
#include <cmath>

#include "framework/base/UserServices.h"
#include "framework/ui/CWinApp.h"
#include "kavrel/core/KWaveFilm.h"
#include "kavrel/views/KDialogRadios.h"
#include "kavrel/views/KHearingThreshold.h"
#include "kavrel/views/KWaveFilmView.h"
#include "kavrel/views/KWaveSpectrumView.h"

namespace {
constexpr int kTypeRadios[6] = {5074, 5124, 5102, 5069, 5121, 5122};
constexpr int kLevelRadios[2] = {5064, 5101};
constexpr int kPhaseRadios[3] = {5105, 5107, 5065}; // "Роста", "Оба", "Спада"
constexpr int kCoarse = 5045, kInverse = 5106, kAmplitudeSpin = 5044, kPhaseSpin = 5063;
constexpr int kPhaseInitial = 5051, kPhaseMaximum = 5067, kFiot = 5122;
constexpr int kRelative = 5130, kRelative_dB = 5131, kRelativeGroup = 5132, kRelativeLabel = 5133;

void copyArray(const CKArrayFloat& from, CKArrayFloat& to)
{
    std::copy(from.pArray, from.pArray + std::min(from.nSize, to.nSize), to.pArray);
}
} // namespace

CDialogAdjustSpectraVisualLevels::CDialogAdjustSpectraVisualLevels(CKWaveFilmView* p, CWnd* pParent)
    : CKFilmViewDialog(IDD, p, pParent)
{
    for (int id : kTypeRadios)
        MapCommand(UINT(id), &CDialogAdjustSpectraVisualLevels::OnDisplayType);
    MapCommand(kInverse, &CDialogAdjustSpectraVisualLevels::OnInverse);
    MapCommand(5050, &CDialogAdjustSpectraVisualLevels::OnLevelLine);
    MapCommand(5052, &CDialogAdjustSpectraVisualLevels::OnLevelHearing);
    MapCommand(5028, &CDialogAdjustSpectraVisualLevels::OnLevelMaxim);
    MapCommand(5048, &CDialogAdjustSpectraVisualLevels::OnLevelMaxAll);
    MapCommand(5049, &CDialogAdjustSpectraVisualLevels::OnLevelMinAll);
    MapCommand(5029, &CDialogAdjustSpectraVisualLevels::OnLevelMean);
    MapCommand(5030, &CDialogAdjustSpectraVisualLevels::OnLevelMeanPlusDeviation);
    MapCommand(5031, &CDialogAdjustSpectraVisualLevels::OnLevelMeanMinusDeviation);
    MapNotify(kAmplitudeSpin, UDN_DELTAPOS, &CDialogAdjustSpectraVisualLevels::OnDeltaposSpinAmplitude);
    MapNotify(kPhaseSpin, UDN_DELTAPOS, &CDialogAdjustSpectraVisualLevels::OnDeltaposSpinPhase);
    MapCommand(kPhaseInitial, &CDialogAdjustSpectraVisualLevels::OnPhaseInitial);
    MapCommand(kPhaseMaximum, &CDialogAdjustSpectraVisualLevels::OnPhaseMaximum);
    MapCommand(kRelative, &CDialogAdjustSpectraVisualLevels::OnRelativeVisibility);
}

INT_PTR CDialogAdjustSpectraVisualLevels::DoModal()
{
    CKWaveFilm* f = film();
    if (!f)
        return IDCANCEL;
    const int n = f->validUpLevel.nSize;
    if (!savedUp.SetSize(n) || !savedDown.SetSize(f->validDownLevel.nSize) || !lineMax.SetSize(n) ||
        !lineMean.SetSize(n)) {
        AfxMessageBox("Не хватает памяти для рабочих массивов.", MB_OK);
        return IDCANCEL;
    }
    copyArray(f->validUpLevel, savedUp);
    copyArray(f->validDownLevel, savedDown);
    savedPhaseLimitNeg = f->phaseLimitNeg;
    savedPhaseLimitPos = f->phaseLimitPos;
    savedPhaseFreqLimitNeg = f->phaseFreqLimitNeg;
    savedPhaseFreqLimitPos = f->phaseFreqLimitPos;
    savedHarmonogramDown = f->harmonogramDown;
    savedHarmonogramUp = f->harmonogramUp;
    savedAuxRangeDown = f->auxRangeDown;
    savedAuxRangeUp = f->auxRangeUp;
    savedDisplayFlags = f->displayFlags;
    KRelativeVisibility* relative = pView ? pView->RelativeVisibility() : nullptr;
    if (relative)
        savedRelative = *relative;

    const INT_PTR result = CDialog::DoModal();
    if (relative && result == IDOK) {
        relative->bOn = bRelative != 0;
        relative->nBelowMax_dB = nRelative_dB;
        KStoreRelativeVisibility(*relative);
    }
    if (result != IDOK) {
        if (relative)
            *relative = savedRelative;
        copyArray(savedUp, f->validUpLevel);
        copyArray(savedDown, f->validDownLevel);
        f->phaseLimitNeg = savedPhaseLimitNeg;
        f->phaseLimitPos = savedPhaseLimitPos;
        f->phaseFreqLimitNeg = savedPhaseFreqLimitNeg;
        f->phaseFreqLimitPos = savedPhaseFreqLimitPos;
        f->harmonogramDown = savedHarmonogramDown;
        f->harmonogramUp = savedHarmonogramUp;
        f->auxRangeDown = savedAuxRangeDown;
        f->auxRangeUp = savedAuxRangeUp;
        // The spectra in the view's cache were computed for the type shown
        // last; when the restored type analyses differently, they go too.
        if ((f->displayFlags & CKWaveFilm::DisplayTypeMask) != (savedDisplayFlags & CKWaveFilm::DisplayTypeMask)) {
            pView->spectraColumnMap.Clear(CKWaveFilmView::SlotDisplayTypeChanged);
            pView->bitmapColumnMap.Clear(CKWaveFilmView::SlotDisplayTypeChanged);
        }
        f->displayFlags = savedDisplayFlags;
        repaintSpectrumWindow();
    }
    recalculatePicture();
    return result;
}

void CDialogAdjustSpectraVisualLevels::DoDataExchange(CDataExchange* pDX)
{
    DDX_Check(pDX, kCoarse, bCoarse);
    KExchangeRadios(pDX, kLevelRadios, nLevel);
    DDX_Check(pDX, kInverse, bInverse);
    KExchangeRadios(pDX, kTypeRadios, nDisplayType);
    KExchangeRadios(pDX, kPhaseRadios, nPhaseTarget);
    if (pView && pView->RelativeVisibility()) {
        DDX_Check(pDX, kRelative, bRelative);
        DDX_TextInRange(pDX, kRelative_dB, nRelative_dB, KRelativeVisibility::kMin_dB, KRelativeVisibility::kMax_dB);
    }
}

bool CDialogAdjustSpectraVisualLevels::OnInitDialog()
{
    CDialog::OnInitDialog();
    const int flags = film()->displayFlags;
    bCoarse = 1;
    nLevel = 0;
    nPhaseTarget = 0;
    nDisplayType = 0;
    for (int i = 0; i < 6; ++i) {
        if ((flags & CKWaveFilm::DisplayTypeMask) == kDisplayTypes[i])
            nDisplayType = i;
    }
    bInverse = (flags & CKWaveFilm::DisplayInverse) ? 1 : 0;
    if (const KRelativeVisibility* relative = pView->RelativeVisibility()) {
        bRelative = relative->bOn ? 1 : 0;
        nRelative_dB = relative->nBelowMax_dB;
    } else {
        // Only the tracer decides which maxima are visible.
        for (int id : {kRelativeGroup, kRelative, kRelativeLabel, kRelative_dB})
            if (CWnd* w = GetDlgItem(id))
                w->ShowWindow(SW_HIDE);
    }
    UpdateData(false);
    OnDisplayType();
    return true;
}

void CDialogAdjustSpectraVisualLevels::readChoices()
{
    UpdateData(true);
}

// Applied at once, as the levels are: the tracer marks its maxima again.
void CDialogAdjustSpectraVisualLevels::OnRelativeVisibility()
{
    KRelativeVisibility* relative = pView ? pView->RelativeVisibility() : nullptr;
    if (!relative || !UpdateData(true))
        return;
    relative->bOn = bRelative != 0;
    relative->nBelowMax_dB = nRelative_dB;
    recalculatePicture();
}

KRelativeVisibility KLoadRelativeVisibility()
{
    KRelativeVisibility v;
    if (CWinApp* app = AfxGetApp()) {
        v.bOn = app->GetProfileInt(KRelativeVisibility::kProfileSection, KRelativeVisibility::kProfileOn, 0) != 0;
        v.nBelowMax_dB = std::clamp(app->GetProfileInt(KRelativeVisibility::kProfileSection,
                                                       KRelativeVisibility::kProfile_dB, v.nBelowMax_dB),
                                    KRelativeVisibility::kMin_dB, KRelativeVisibility::kMax_dB);
    }
    return v;
}

void KStoreRelativeVisibility(const KRelativeVisibility& v)
{
    if (CWinApp* app = AfxGetApp()) {
        app->WriteProfileInt(KRelativeVisibility::kProfileSection, KRelativeVisibility::kProfileOn, v.bOn ? 1 : 0);
        app->WriteProfileInt(KRelativeVisibility::kProfileSection, KRelativeVisibility::kProfile_dB, v.nBelowMax_dB);
    }
}

void CDialogAdjustSpectraVisualLevels::recalculatePicture()
{
    if (pView)
        pView->SendMessage(CKWaveFilmView::WM_RECALCULATE_PICTURE);
}

void CDialogAdjustSpectraVisualLevels::repaintSpectrumWindow()
{
    if (CKWaveSpectrumView* p = film()->pKWaveSpectrumView)
        p->Invalidate(FALSE);
}

void CDialogAdjustSpectraVisualLevels::OnDisplayType()
{
    readChoices();
    CKWaveFilm* f = film();
    const int type = kDisplayTypes[nDisplayType];
    f->displayFlags = (f->displayFlags & CKWaveFilm::DisplayInverse) | type;
    GetDlgItem(kFiot)->EnableWindow(false);
    const bool phase = type == CKWaveFilm::DisplayPhaseAmplGrowth || type == CKWaveFilm::DisplayPhaseFreqGrowth || type == CKWaveFilm::DisplayFiot;
    for (int id : {kPhaseRadios[0], kPhaseRadios[1], kPhaseRadios[2], kPhaseSpin, kPhaseMaximum, kPhaseInitial})
        GetDlgItem(id)->EnableWindow(phase);
    pView->spectraColumnMap.Clear(CKWaveFilmView::SlotDisplayTypeChanged);
    pView->bitmapColumnMap.Clear(CKWaveFilmView::SlotDisplayTypeChanged);
    recalculatePicture();
}

void CDialogAdjustSpectraVisualLevels::OnInverse()
{
    readChoices();
    CKWaveFilm* f = film();
    f->displayFlags = bInverse ? (f->displayFlags | CKWaveFilm::DisplayInverse) : (f->displayFlags & ~CKWaveFilm::DisplayInverse);
    recalculatePicture();
}

// ---- amplitude levels -------------------------------------------------------

CKArrayFloat& CDialogAdjustSpectraVisualLevels::chosenLevel() const
{
    return nLevel == 0 ? film()->validUpLevel : film()->validDownLevel;
}

int CDialogAdjustSpectraVisualLevels::lineCount() const
{
    return std::min(film()->validUpLevel.nSize, film()->validDownLevel.nSize);
}

// The levels never cross: the side not chosen gives way by 1 dB.
void CDialogAdjustSpectraVisualLevels::keepMargin()
{
    CKWaveFilm* f = film();
    float* up = f->validUpLevel.pArray;
    float* down = f->validDownLevel.pArray;
    for (int i = 0; i < lineCount(); ++i) {
        if (nLevel == 1 && up[i] < down[i] + 1)
            up[i] = down[i] + 1;
        if (nLevel == 0 && down[i] > up[i] - 1)
            down[i] = up[i] - 1;
    }
}

template <class Value> void CDialogAdjustSpectraVisualLevels::setChosenLevel(Value value)
{
    readChoices();
    CKArrayFloat& level = chosenLevel();
    for (int i = 0; i < lineCount(); ++i)
        level.pArray[i] = float(value(i));
    keepMargin();
    recalculatePicture();
    repaintSpectrumWindow();
}

// Over the view's visible columns: per line the maximum and the mean; over
// everything the extremes. The deviation is kept in lineMax's place by the
// callers that need it.
void CDialogAdjustSpectraVisualLevels::columnStatistics()
{
    const int columns = pView->nColumns, lines = pView->nLines;
    const float* a = pView->amplBuffer.pArray;
    allMax = -1e300;
    allMin = 1e300;
    for (int i = 0; i < lineCount(); ++i) {
        double maximum = -1e300, sum = 0;
        for (int s = 0; s < columns && i < lines; ++s) {
            const double v = a[size_t(s) * size_t(lines) + size_t(i)];
            maximum = std::max(maximum, v);
            sum += v;
            allMax = std::max(allMax, v);
            allMin = std::min(allMin, v);
        }
        lineMax.pArray[i] = float(maximum);
        lineMean.pArray[i] = columns > 0 ? float(sum / columns) : 0.f;
    }
}

void CDialogAdjustSpectraVisualLevels::OnLevelLine()
{
    const double zero = film()->GetZeroSpectrumPowerLevel_dB();
    readChoices();
    const double level = nLevel == 0 ? zero : zero - 100;
    setChosenLevel([&](int) { return level; });
}

void CDialogAdjustSpectraVisualLevels::OnLevelHearing()
{
    CKWaveFilm* f = film();
    const double zero = f->GetZeroSpectrumPowerLevel_dB();
    readChoices();
    const double shift = nLevel == 0 ? 0 : -100;
    setChosenLevel([&](int i) { return zero + KHearingThreshold_dB(f->GetFreqInHertzFromSpectrumSample(i)) + shift; });
}

void CDialogAdjustSpectraVisualLevels::OnLevelMaxim()
{
    if (pView->nColumns <= 0 || pView->nLines <= 0)
        return;
    columnStatistics();
    setChosenLevel([&](int i) { return lineMax.pArray[i]; });
}

void CDialogAdjustSpectraVisualLevels::OnLevelMaxAll()
{
    if (pView->nColumns <= 0 || pView->nLines <= 0)
        return;
    columnStatistics();
    setChosenLevel([&](int) { return allMax; });
}

void CDialogAdjustSpectraVisualLevels::OnLevelMinAll()
{
    if (pView->nColumns <= 0 || pView->nLines <= 0)
        return;
    columnStatistics();
    setChosenLevel([&](int) { return allMin; });
}

void CDialogAdjustSpectraVisualLevels::OnLevelMean()
{
    if (pView->nColumns <= 0 || pView->nLines <= 0)
        return;
    columnStatistics();
    setChosenLevel([&](int i) { return lineMean.pArray[i]; });
}

namespace {
// sqrt(mean of squares − square of the mean) in single precision; rounding
// can leave the difference a hair below zero, which means no spread at all.
float deviation(const float* a, int columns, int lines, int i, float mean)
{
    double squares = 0;
    for (int s = 0; s < columns; ++s) {
        const double v = a[size_t(s) * size_t(lines) + size_t(i)];
        squares += v * v;
    }
    const float meanOfSquares = float(squares / columns);
    const float variance = meanOfSquares - mean * mean;
    return variance > 0 ? std::sqrt(variance) : 0.f;
}
} // namespace

void CDialogAdjustSpectraVisualLevels::setMeanAndDeviation(float sign)
{
    if (pView->nColumns <= 0 || pView->nLines <= 0)
        return;
    columnStatistics();
    setChosenLevel([&](int i) {
        const float m = lineMean.pArray[i];
        return m + sign * deviation(pView->amplBuffer.pArray, pView->nColumns, pView->nLines, i, m);
    });
}

void CDialogAdjustSpectraVisualLevels::OnLevelMeanPlusDeviation()
{
    setMeanAndDeviation(1.f);
}

void CDialogAdjustSpectraVisualLevels::OnLevelMeanMinusDeviation()
{
    setMeanAndDeviation(-1.f);
}

// The upper arrow reports a negative delta (the spin's default range), and
// raises what it moves.
void CDialogAdjustSpectraVisualLevels::OnDeltaposSpinAmplitude(NMHDR* pNMHDR, LRESULT* pResult)
{
    const int delta = reinterpret_cast<NMUPDOWN*>(pNMHDR)->iDelta;
    *pResult = 0;
    readChoices();
    CKWaveFilm* f = film();
    const int type = f->displayFlags & CKWaveFilm::DisplayTypeMask;
    if (type == CKWaveFilm::DisplayAmplitudeGrey || type == CKWaveFilm::DisplayPhaseAmplGrowth || type == CKWaveFilm::DisplayPhaseFreqGrowth || type == CKWaveFilm::DisplayAmplitudeColour) {
        const float shift = float(bCoarse ? -10 * delta : -delta);
        CKArrayFloat& level = chosenLevel();
        for (int i = 0; i < lineCount(); ++i)
            level.pArray[i] += shift;
        keepMargin();
    } else if (type == CKWaveFilm::DisplayHarmonogram) {
        (nLevel == 0 ? f->harmonogramUp : f->harmonogramDown) -= delta / 10.;
    } else {
        return;
    }
    recalculatePicture();
    repaintSpectrumWindow();
}

// ---- phase limits -----------------------------------------------------------

void CDialogAdjustSpectraVisualLevels::setPhaseLimits(double positive, double negative)
{
    CKWaveFilm* f = film();
    const bool freq = (f->displayFlags & CKWaveFilm::DisplayTypeMask) == CKWaveFilm::DisplayPhaseFreqGrowth;
    float& pos = freq ? f->phaseFreqLimitPos : f->phaseLimitPos;
    float& neg = freq ? f->phaseFreqLimitNeg : f->phaseLimitNeg;
    if (nPhaseTarget == 0 || nPhaseTarget == 1)
        pos = float(positive);
    if (nPhaseTarget == 1 || nPhaseTarget == 2)
        neg = float(negative);
}

void CDialogAdjustSpectraVisualLevels::OnDeltaposSpinPhase(NMHDR* pNMHDR, LRESULT* pResult)
{
    const int delta = reinterpret_cast<NMUPDOWN*>(pNMHDR)->iDelta;
    *pResult = 0;
    readChoices();
    CKWaveFilm* f = film();
    const bool freq = (f->displayFlags & CKWaveFilm::DisplayTypeMask) == CKWaveFilm::DisplayPhaseFreqGrowth;
    const double factor = bCoarse ? std::exp2(-delta) : std::exp2(-delta / 10.);
    float& pos = freq ? f->phaseFreqLimitPos : f->phaseLimitPos;
    float& neg = freq ? f->phaseFreqLimitNeg : f->phaseLimitNeg;
    setPhaseLimits(pos * factor, neg * factor);
    // The limits never come closer to zero than the saturating ones.
    const float smallest = freq ? 1e-28f : 1e-25f;
    if (pos < (freq ? 5e-29f : 5e-26f))
        pos = smallest;
    if (neg > -smallest)
        neg = -smallest;
    recalculatePicture();
}

void CDialogAdjustSpectraVisualLevels::OnPhaseInitial()
{
    readChoices();
    const double v = (film()->displayFlags & CKWaveFilm::DisplayTypeMask) == CKWaveFilm::DisplayPhaseFreqGrowth ? 1e-4 : 1e-3;
    setPhaseLimits(v, -v);
    recalculatePicture();
}

void CDialogAdjustSpectraVisualLevels::OnPhaseMaximum()
{
    readChoices();
    const double v = (film()->displayFlags & CKWaveFilm::DisplayTypeMask) == CKWaveFilm::DisplayPhaseFreqGrowth ? 1e-28 : 1e-25;
    setPhaseLimits(v, -v);
    recalculatePicture();
}
