// CKFloatWaveFilmView: the tracer's lower screen. The sonogram of the
// residual (the original minus the rebuilt signal) or, on request, of the
// rebuilt signal alone, drawn by the library's sonogram machinery; only the
// analysis of each pair of cadres is its own.
#pragma once
#include <memory>

#include "kavrel/views/KWaveFilmView.h"

class CGlissarDoc;

class CKFloatWaveFilmView : public CKWaveFilmView {
    DECLARE_DYNCREATE(CKFloatWaveFilmView)

public:
    CKFloatWaveFilmView();
    ~CKFloatWaveFilmView() override;

    // The frame buffers bound the transforms this view can show.
    static constexpr int nMaxFFT = 4096;

    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
    CGlissarDoc* GetGlissarDoc() const;

    // Every cached spectrum and picture column is stale: the next paint
    // analyses the visible cadres again.
    void ForgetColumns();

    // true: the rebuilt signal alone; false: the residual.
    bool bShowOnlyMarkedTraces = false;

protected:
    void CalculateSpectra() override;

private:
    // Fills frame buffer pFrame for cadre c; false when the cadre's window
    // reaches past either end of the sound object.
    bool fillFrame(long c, int nFFT, float* pFrame);

    std::unique_ptr<float[]> pFrame0;
    std::unique_ptr<float[]> pFrame1;
};
