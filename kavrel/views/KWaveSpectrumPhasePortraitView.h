// CKWaveSpectrumPhasePortraitView: the floating phase portrait of a film.
// It analyses the caret's cadre and its two neighbours, finds their spectral
// peaks (petals, lepestok) below 2 kHz, estimates each peak's exact
// frequency, level and frequency change rate (chirp) from the magnitude and
// phase of the Gaussian-windowed spectrum, links the peaks of the caret's
// cadre to those of its neighbours by predicting where each must be one
// step earlier and later, and plots the linked peaks (spectral line against
// relative chirp) with a weighted distribution of the relative chirp: how
// coherently the partials of a voiced sound glide. The film creates it and
// keeps it; its close box only hides it.
#pragma once
#include "framework/ui/CMiniFrameWnd.h"
#include "kavrel/core/KArrays.h"
#include "kavrel/core/KFFT.h"
#include "kavrel/core/KSpectrum.h"

class CKWaveFilm;

class CKWaveSpectrumPhasePortraitView : public CMiniFrameWnd {
    DECLARE_DYNCREATE(CKWaveSpectrumPhasePortraitView)

protected:
    CKWaveSpectrumPhasePortraitView();

public:
    enum : UINT {
        IDR_PHASE_PORTRAIT_MENU = 4113,
        ID_PREDICTION_TWO_CADRES = 36830,
    };
    static constexpr int nOuterWidth = 572;
    static constexpr int nOuterHeight = 660;
    static constexpr int nMaxLepestok = 256;
    static constexpr int nBins = 600;
    // Peaks are looked for below this frequency, Hz.
    static constexpr double kBandLimit = 2000.0;

    // One spectral peak.
    struct LEPESTOK {
        int nLine = 0;               // spectral line of the peak; 0 marks a rejected entry
        double Ampl_dB = 0;          // interpolated peak level
        double Frequency = 0;        // interpolated peak frequency, Hz
        double Chirp = 0;            // frequency change rate, rad/s^2
        double UpLevel = 0;          // the film's valid levels at the line
        double DownLevel = 0;
        double RelativeChirp = 0;    // Chirp / Frequency
        double Width = 1e50;         // spread in the chirp distribution; 1e50 until linked
        double ForwardPrediction = 0;  // Hz expected one step later
        double BackwardPrediction = 0; // Hz expected one step earlier
        double Quality = 0;          // 0 ... 1: how well the peak links to both neighbours
    };

    // One analysed cadre: the previous, the caret's or the next.
    struct CADRE {
        CKSpectrum Spectrum;          // reads the film's file through a reader of its own
        long nSample = 0;             // the cadre's sample
        CKArrayDouble Ampl_dB;        // per line, dB
        CKArrayDouble SmoothedSpectrum; // per line below the band limit, dB
        int nLepestok = 0;
        LEPESTOK Lepestok[nMaxLepestok];
    };

    // Creates the window "Фазовый портрет - <file title>" centred on
    // pParent and shows it; false when the window cannot be made.
    bool KCreateWnd(CKWaveFilm* pFilm, CWnd* pParent);
    void ShowKWindow();

    void OnPaint() override;
    void OnClose() override;
    void OnContextMenu(CWnd* pWnd, CPoint point) override;
    void OnPredictionTwoCadres();
    void OnUpdatePredictionTwoCadres(CCmdUI* pCmdUI);

    // Computes the three cadres and draws the portrait.
    void Draw(CDC* pDC);

    // What the last paint computed: cadre 0 the previous, 1 the caret's, 2 the next.
    const CADRE& GetCadre(int k) const { return Cadres[k]; }
    // Hz within which a prediction finds its peak in a neighbour.
    double GetLinkTolerance() const { return SigmaF / (3 - nPredictionStep); }
    const double* GetDistribution() const { return Distribution.pArray; }
    int GetNDrawnLepestok() const { return nDrawnLepestok; }

    CKWaveFilm* pWaveFilm = nullptr;
    double SigmaF = 0;            // the film's, taken at every computation
    int nPredictionStep = 1;      // cadres to each neighbour: 1 or 2
    CKFFT FFT;

private:
    void CalculateCadres();
    void GetLepestokParameters(CADRE* pCadre, int i);
    bool openCadre(CADRE& cadre);
    void findLepestoks(CADRE& cadre, int nBand, int nHalfWindow);
    void linkLepestoks();

    CADRE Cadres[3];
    CKArrayDouble Distribution;
    int nDrawnLepestok = 0;
    double Fs = 0;
    int nFFT = 0;
};
