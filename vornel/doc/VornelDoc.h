// CVornelDoc: the reverberation analyser's document of one sound object.
// It holds the object and a film over its sound file, and from at most
// 65536 samples of the object's stretch one long spectrum: the amplitude
// of every bin in dB and the derivative of the phase over frequency (the
// delay with which each frequency arrives). From the measured spectrum it
// writes a synthetic WAV file and the lists of amplitude maxima and minima.
// Stored as .vrn: the sound object and the film, nothing else.
#pragma once
#include <vector>

#include "framework/ui/CDocument.h"
#include "framework/ui/WinTypes.h"
#include "kavrel/core/KFFT.h"
#include "kavrel/core/KPhoneObject.h"
#include "kavrel/core/KSpectrum.h"
#include "kavrel/core/KWaveFilm.h"

// The document's commands.
enum : UINT {
    ID_VORNEL_WHOLE_SPECTRUM_IN_WINDOW = 32771, // "Весь спектр в окне"
    ID_VORNEL_SHOW_NUMBERS = 32772,             // "Показывать числа"
    ID_VORNEL_CREATE_SYNTHETIC_WAVE = 32773,    // "Создать синтетический WAVE-файл"
    ID_VORNEL_SAVE_MAXIMA = 32774,              // "Сохранить в файле все максимумы амплитудного спектра"
    ID_VORNEL_SAVE_MINIMA = 32775,              // "Сохранить в файле все минимумы амплитудного спектра"
};

// Pure pieces of the analysis, kept apart so that they are checked without a file.

// A display range narrower than 2π is widened to 2π about its midpoint.
void WidenPhazeRangeTo2Pi(double& dPhazeMax, double& dPhazeMin);

// Bins 1 .. n-2 whose value is strictly above (bMaxima) or strictly below
// both neighbours.
std::vector<int> FindStrictExtrema(const double* v, int n, bool bMaxima);

// The largest rise between neighbouring values v[i] - v[i-1] (at least 0)
// and its i (0 when nothing rises; the earliest of equal rises).
void FindLargestRise(const double* v, int n, double& dMaxDelta, int& iDelta);

class CVornelDoc : public CDocument {
    DECLARE_DYNCREATE(CVornelDoc)
public:
    CVornelDoc();
    ~CVornelDoc() override;


    // The transform's length and the bins shown (0 .. nBins-1).
    static constexpr int kFFT = 65536;
    static constexpr int nBins = kFFT / 2;
    // The longest stretch the analysis takes, in samples (last - first).
    static constexpr int nMaxStretch = 65536;
    // Peak of the synthetic signal.
    static constexpr double dSyntheticPeak = 32765.0;

    // Framework overrides.
    BOOL OnNewDocument() override;
    BOOL OnOpenDocument(const char* lpszPathName) override;
    void Serialize(CArchive& ar) override;
    void DeleteContents() override;

    // Writes the first, empty analyser document of a new sound object over
    // the selection of pWF (the workshop's step); false with a message on failure.
    static bool SaveNewEmptyDocFile(CKPhoneObject* pNewPO, CKWaveFilm* pWF);

    // The analysis on open: the spectrum of the object's stretch.
    void CalculateReverberationSpectrum();
    // The synthetic WAV file of 65536 samples from the measured spectrum;
    // false (with the message) when the file cannot be made or written.
    bool WriteSyntheticWaveFile(const CString& sPath);
    // The frequencies of all maxima (or minima) of the amplitude spectrum;
    // false, silently, when the file cannot be created or written.
    bool WriteExtremaListFile(const CString& sPath, bool bMaxima);

    double GetFs() const { return double(pSpectrum->Wave.GetKWaveFrADC()); }
    double GetFrequencyOfBin(int i) const { return double(i) * GetFs() / kFFT; }
    // Samples the analysis took from the stretch.
    int GetNSamplesUsed() const { return nSamplesUsed; }

    // Commands.
    void OnWholeSpectrumInWindow();
    void OnShowNumbers();
    void OnCreateSyntheticWave();
    void OnSaveMaxima();
    void OnSaveMinima();
    void OnUpdateWholeSpectrumInWindow(CCmdUI* pCmdUI);
    void OnUpdateShowNumbers(CCmdUI* pCmdUI);

    CKPhoneObject* pPhoneObject;
    CKWaveFilm* pWaveFilm;
    int nFFT = kFFT;
    bool bSpectrumReady = false;
    bool bShowNumbers = true;
    CKSpectrum* pSpectrum;
    double* pAmpl_dB;
    double* p_dPhaze_dOmega;
    double dPhazeMax = 0.0;
    double dPhazeMin = 0.0;
    short* pSamples;
    bool bWholeSpectrumInWindow = true;
    CKFFT FFT;
    CString sSyntheticWaveFilePathName;

private:
    void SaveExtremaList(bool bMaxima);
    int nSamplesUsed = 0;
};
