// CKDialogPirogovFunction: the Pirogov phonetic function of the film's
// selected fragment. The fields choose the frame (cadres on each side) and
// the band of spectral lines; "Создать функцию Пирогова" writes the report
// and shows the function's distribution.
#pragma once
#include "framework/ui/CDialog.h"
#include "tembrix/models/KPirogovHistogram.h"

class CKWaveFilm;

class CKDialogPirogovFunction : public CDialog {
public:
    enum { IDD = 2142 };
    enum : int {
        IDC_FRAME_RATE = 3054,
        IDC_CADRES_PER_FRAME = 3056,
        IDC_CADRES_PER_FRAME_SPIN = 3057,
        IDC_HIGH_LINE = 3058,
        IDC_HIGH_LINE_SPIN = 3059,
        IDC_HIGH_FREQUENCY = 3060,
        IDC_LOW_LINE = 3061,
        IDC_LOW_LINE_SPIN = 3062,
        IDC_LOW_FREQUENCY = 3063,
        IDC_CREATE = 3064,
        IDC_HISTOGRAM_PLACE = 3065,
        IDC_HISTOGRAM_CAPTION = 3066,
    };

    // The workshop's document hands over its film; the dialog reads the
    // film's selection and never changes the film's state that is shown.
    explicit CKDialogPirogovFunction(CKWaveFilm* pWaveFilm = nullptr, CWnd* pParent = nullptr);

    CKWaveFilm* pWaveFilm;
    int nCadresPerFrame = 1;
    int nLowLine = 0;
    int nHighLine = 511;
    CString sFrameRateText;
    CString sPathName; // the report last written
    CKPirogovHistogram Histogram;

    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    void OnDeltaposCadresPerFrame(NMHDR* pNMHDR, LRESULT* pResult);
    void OnDeltaposLowLine(NMHDR* pNMHDR, LRESULT* pResult);
    void OnDeltaposHighLine(NMHDR* pNMHDR, LRESULT* pResult);
    void OnCreatePirogovFunction();

private:
    void ShowFrameRate();
    void ShowLineFrequency(int nID, int line);
};
