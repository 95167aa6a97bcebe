// CDialogAdjustSpectraVisualLevels: the sonogram's display type, inversion,
// amplitude levels and phase limits, applied live to the open sonogram and
// undone on Cancel.
#pragma once
#include "kavrel/core/KArrays.h"
#include "kavrel/core/KRelativeVisibility.h"
#include "kavrel/views/KFilmViewDialog.h"

class CDialogAdjustSpectraVisualLevels : public CKFilmViewDialog {
public:
    enum { IDD = 4133 };
    explicit CDialogAdjustSpectraVisualLevels(CKWaveFilmView* pView, CWnd* pParent = nullptr);

    // Saves what the dialog may change, runs it, restores everything unless
    // it ended with OK, and has the view recompute its picture.
    INT_PTR DoModal() override;

    int bCoarse = 1;        // "Грубо": the spins move ten times as far
    int nLevel = 0;         // 0 the upper level, 1 the lower one
    int bInverse = 0;
    int nDisplayType = 0;   // index into the type radios
    int nPhaseTarget = 0;   // 0 the positive limit, 1 both, 2 the negative one
    // The tracer's relative visibility, shown only for a view that has one.
    int bRelative = 0;
    int nRelative_dB = 40;

    // The display types of the radios 5074, 5124, 5102, 5069, 5121, 5122.
    static constexpr int kDisplayTypes[6] = {0x001, 0x100, 0x002, 0x004, 0x040, 0x080};

    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    void OnDisplayType();
    void OnInverse();
    void OnLevelLine();
    void OnLevelHearing();
    void OnLevelMaxim();
    void OnLevelMaxAll();
    void OnLevelMinAll();
    void OnLevelMean();
    void OnLevelMeanPlusDeviation();
    void OnLevelMeanMinusDeviation();
    void OnDeltaposSpinAmplitude(NMHDR* pNMHDR, LRESULT* pResult);
    void OnDeltaposSpinPhase(NMHDR* pNMHDR, LRESULT* pResult);
    void OnPhaseInitial();
    void OnPhaseMaximum();
    void OnRelativeVisibility();

private:
    // The chosen level array (upper or lower).
    CKArrayFloat& chosenLevel() const;
    int lineCount() const;
    void readChoices();
    // Sets the chosen level line by line, keeps the 1 dB margin, shows it.
    template <class Value> void setChosenLevel(Value value);
    void keepMargin();
    // Per line over the visible columns: maximum, mean and deviation.
    void columnStatistics();
    // The chosen level at each line's mean, moved by sign (+1 or -1) times its deviation.
    void setMeanAndDeviation(float sign);
    void setPhaseLimits(double positive, double negative);
    void recalculatePicture();
    // The film's instant spectrum draws the levels too.
    void repaintSpectrumWindow();

    // Copies of everything the dialog changes, for Cancel.
    CKArrayFloat savedUp, savedDown;
    CKArrayFloat lineMax, lineMean; // work arrays of the level commands
    float savedPhaseLimitNeg = 0, savedPhaseLimitPos = 0, savedPhaseFreqLimitNeg = 0, savedPhaseFreqLimitPos = 0;
    double savedHarmonogramDown = 0, savedHarmonogramUp = 0, savedAuxRangeDown = 0, savedAuxRangeUp = 0;
    int savedDisplayFlags = 0;
    KRelativeVisibility savedRelative;
    double allMax = 0, allMin = 0;
};

// The tracer's relative visibility as the user's profile keeps it (the
// defaults where there is none), and kept there.
KRelativeVisibility KLoadRelativeVisibility();
void KStoreRelativeVisibility(const KRelativeVisibility& v);
