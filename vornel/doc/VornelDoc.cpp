#include "vornel/doc/VornelDoc.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>
#include <numbers>
#include <string>

#include "framework/base/Cp1251.h"
#include "framework/base/Mmio.h"
#include "framework/base/KSaveFileRequest.h"
#include "framework/base/UserServices.h"
#include "framework/base/WaveFormat.h"

IMPLEMENT_DYNCREATE(CVornelDoc, CDocument)

void WidenPhazeRangeTo2Pi(double& dPhazeMax, double& dPhazeMin)
{
    if (dPhazeMax - dPhazeMin < 2 * std::numbers::pi) {
        const double c = (dPhazeMax + dPhazeMin) / 2;
        dPhazeMax = c + std::numbers::pi;
        dPhazeMin = c - std::numbers::pi;
    }
}

std::vector<int> FindStrictExtrema(const double* v, int n, bool bMaxima)
{
    std::vector<int> bins;
    for (int i = 1; i + 1 < n; ++i) {
        const bool b = bMaxima ? (v[i] > v[i - 1] && v[i] > v[i + 1]) : (v[i] < v[i - 1] && v[i] < v[i + 1]);
        if (b)
            bins.push_back(i);
    }
    return bins;
}

void FindLargestRise(const double* v, int n, double& dMaxDelta, int& iDelta)
{
    dMaxDelta = 0.0;
    iDelta = 0;
    for (int i = 1; i < n; ++i) {
        const double d = v[i] - v[i - 1];
        if (d > dMaxDelta) {
            dMaxDelta = d;
            iDelta = i;
        }
    }
}

namespace {

template <typename T>
T* NewArray(int n, const char* message)
{
    T* p = new (std::nothrow) T[size_t(n)]();
    if (!p)
        AfxMessageBox(message);
    return p;
}

} // namespace

CVornelDoc::CVornelDoc()
    : pPhoneObject(new CKPhoneObject), pWaveFilm(new CKWaveFilm), pSpectrum(new CKSpectrum),
      pAmpl_dB(NewArray<double>(nBins, "Не хватило памяти для массива pAmpl_dB в CVornelDoc")),
      p_dPhaze_dOmega(NewArray<double>(nBins, "Не хватило памяти для массива p_dPhaze_dOmega в CVornelDoc")),
      pSamples(NewArray<short>(kFFT, "Не хватило памяти для массива pSamples в CVornelDoc"))
{
    pSpectrum->SetNFFT(kFFT);
    MapCommandAndUpdate(ID_VORNEL_WHOLE_SPECTRUM_IN_WINDOW, &CVornelDoc::OnWholeSpectrumInWindow, &CVornelDoc::OnUpdateWholeSpectrumInWindow);
    MapCommandAndUpdate(ID_VORNEL_SHOW_NUMBERS, &CVornelDoc::OnShowNumbers, &CVornelDoc::OnUpdateShowNumbers);
    MapCommand(ID_VORNEL_CREATE_SYNTHETIC_WAVE, &CVornelDoc::OnCreateSyntheticWave);
    MapCommand(ID_VORNEL_SAVE_MAXIMA, &CVornelDoc::OnSaveMaxima);
    MapCommand(ID_VORNEL_SAVE_MINIMA, &CVornelDoc::OnSaveMinima);
}

CVornelDoc::~CVornelDoc()
{
    delete[] pSamples;
    delete[] p_dPhaze_dOmega;
    delete[] pAmpl_dB;
    delete pSpectrum;
    delete pWaveFilm;
    delete pPhoneObject;
}

BOOL CVornelDoc::OnNewDocument()
{
    AfxMessageBox("Это подчиненная программа.\nОна запускается автоматически только из программы Tembrix.exe !");
    return FALSE;
}

void CVornelDoc::Serialize(CArchive& ar)
{
    pPhoneObject->Serialize(ar);
    pWaveFilm->KSerialize(ar);
}

// A document being replaced has no spectrum until the next analysis: the
// views must not draw the old one over the new object.
void CVornelDoc::DeleteContents()
{
    bSpectrumReady = false;
}

BOOL CVornelDoc::OnOpenDocument(const char* lpszPathName)
{
    if (!CDocument::OnOpenDocument(lpszPathName))
        return FALSE;
    if (!pSpectrum->Wave.OpenKWaveFile(pWaveFilm->GetKWaveFilePathName(), pWaveFilm->GetKWaveFileTitle()))
        return FALSE;
    CalculateReverberationSpectrum();
    UpdateAllViews(nullptr, 0, nullptr);
    return TRUE;
}

bool CVornelDoc::SaveNewEmptyDocFile(CKPhoneObject* pNewPO, CKWaveFilm* pWF)
{
    CVornelDoc* doc = static_cast<CVornelDoc*>(RUNTIME_CLASS(CVornelDoc)->CreateObject());
    bool ok = doc != nullptr;
    if (ok) {
        doc->pPhoneObject->InitializeFromAnotherKPhoneObject(pNewPO);
        doc->pWaveFilm->InitializeFromSelectedFragmentAnotherKWaveFilm(pWF);
        ok = doc->OnSaveDocument(pNewPO->sPhoneObjectDocFilePathName);
        delete doc;
    }
    if (!ok)
        AfxMessageBox("Error:\n\nCVornelDoc::SaveNewEmptyDocFile ( CKPhoneObject *pNew_PO, CKWaveFilm *pWF )");
    return ok;
}

// ---- the analysis --------------------------------------------------------------

void CVornelDoc::CalculateReverberationSpectrum()
{
    bSpectrumReady = false;
    if (!pAmpl_dB || !p_dPhaze_dOmega || !pSamples)
        return;
    // The difference itself: the workshop cuts an object to last - first = 65536.
    long long n = (long long)pPhoneObject->nLastSample - pPhoneObject->nFirstSample;
    if (n > nMaxStretch) {
        AfxMessageBox("Выделенный сегмент слишком велик для анализа реверберации. Он будет сокращен до допустимых "
                      "значений.");
        n = nMaxStretch;
    }
    // A reversed span has no samples; the spectrum is then silent rather
    // than the mean divided by zero.
    if (n < 0)
        n = 0;
    nSamplesUsed = int(n);
    std::fill(pSamples, pSamples + kFFT, short(0));
    if (n > 0)
        pSpectrum->Wave.FillKWaveBufFromSampleNSamples(pSamples, pPhoneObject->nFirstSample, long(n));

    Z* z = FFT.GetZ();
    double sum = 0.0;
    for (int i = 0; i < kFFT; ++i) {
        z[i].re = i < n ? double(pSamples[i]) : 0.0;
        z[i].im = 0.0;
        if (i < n)
            sum += pSamples[i];
    }
    if (n > 0) {
        const double mean = sum / double(n);
        for (int i = 0; i < n; ++i)
            z[i].re -= mean;
    }
    FFT.fft(kFFT);

    std::copy(z, z + nBins, pSpectrum->GetZ());
    pSpectrum->Fix_z_Property();
    pSpectrum->CalculateAmpl_dB_(pAmpl_dB);
    pSpectrum->Calculate_dPhaze_dOmega(p_dPhaze_dOmega);

    const auto [lo, hi] = std::minmax_element(p_dPhaze_dOmega, p_dPhaze_dOmega + nBins);
    dPhazeMax = *hi;
    dPhazeMin = *lo;
    WidenPhazeRangeTo2Pi(dPhazeMax, dPhazeMin);
    bSpectrumReady = true;
}

// ---- the synthetic signal ------------------------------------------------------

bool CVornelDoc::WriteSyntheticWaveFile(const CString& sPath)
{
    MMIOINFO info;
    HMMIO h = mmioOpen(sPath, &info, MMIO_CREATE | MMIO_WRITE);
    if (!h) {
        AfxMessageBox("Не удалось открыть новый синтезируемый звуковой файл.");
        return false;
    }
    const DWORD Fs = DWORD(pSpectrum->Wave.GetKWaveFrADC());
    WAVEFORMATEX format{WAVE_FORMAT_PCM, 1, Fs, 2 * Fs, 2, 16, 0};
    MMCKINFO ckRiff, ckFmt, ckData;
    ckRiff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    ckFmt.ckid = mmioFOURCC('f', 'm', 't', ' ');
    ckData.ckid = mmioFOURCC('d', 'a', 't', 'a');

    // The measured amplitudes with a phase that follows the measured delays
    // plus a slow sweep of 512π over the band, mirrored into a real signal.
    const double* A = pSpectrum->GetAmplLine();
    const double* v = p_dPhaze_dOmega;
    const double toRadians = 2 * std::numbers::pi * double(Fs) / kFFT;
    Z* z = FFT.GetZ();
    double phi = v[0];
    for (int j = 0; j < nBins; ++j) {
        phi += v[j] * toRadians;
        const double theta = phi + 512 * std::numbers::pi * std::cos(j * std::numbers::pi / 65536);
        z[j].re = double(float(A[j] * std::cos(theta)));
        z[j].im = double(float(-A[j] * std::sin(theta)));
    }
    for (int j = 1; j < nBins; ++j)
        z[kFFT - j] = Z{z[j].re, -z[j].im};
    z[0] = Z{0.0, 0.0};
    z[nBins] = Z{0.0, 0.0};
    FFT.fft(kFFT);

    double peak = 1e-20;
    for (int k = 0; k < kFFT; ++k)
        peak = std::max(peak, std::fabs(z[k].re));
    std::vector<short> samples(kFFT);
    for (int k = 0; k < kFFT; ++k)
        samples[size_t(k)] = short(std::trunc(z[k].re / peak * dSyntheticPeak));

    const LONG nBytes = LONG(samples.size() * sizeof(short));
    bool ok = mmioCreateChunk(h, &ckRiff, MMIO_CREATERIFF) == MMSYSERR_NOERROR &&
              mmioCreateChunk(h, &ckFmt, 0) == MMSYSERR_NOERROR &&
              mmioWrite(h, &format, LONG(sizeof format)) == LONG(sizeof format) &&
              mmioAscend(h, &ckFmt, 0) == MMSYSERR_NOERROR && mmioCreateChunk(h, &ckData, 0) == MMSYSERR_NOERROR &&
              mmioWrite(h, samples.data(), nBytes) == nBytes && mmioAscend(h, &ckData, 0) == MMSYSERR_NOERROR &&
              mmioAscend(h, &ckRiff, 0) == MMSYSERR_NOERROR;
    ok = mmioClose(h, 0) == MMSYSERR_NOERROR && ok;
    if (!ok) {
        // A cut-off file is not left behind as if it were the signal.
        std::remove(sPath);
        AfxMessageBox("Не удалось записать синтезируемый звуковой файл (возможно, диск переполнен).");
    }
    return ok;
}

// ---- maxima and minima ---------------------------------------------------------

bool CVornelDoc::WriteExtremaListFile(const CString& sPath, bool bMaxima)
{
    std::string text;
    CString head;
    head.Format(bMaxima ? "Максимумы в звуковом файле = %s\n" : "Минимумы в звуковом файле = %s\n",
                pWaveFilm->GetKWaveFilePathName().GetString());
    Utf8ToCp1251(head.GetString(), text);
    const double Fs = GetFs();
    char line[64];
    for (int i : FindStrictExtrema(pAmpl_dB, nBins, bMaxima)) {
        const float f = float(double(i) * Fs / kFFT);
        std::snprintf(line, sizeof line, "%.3f\n", double(f));
        text += line;
    }
    CFile file;
    if (!file.Open(sPath, CFile::modeCreate | CFile::modeWrite))
        return false;
    const bool ok = file.Write(text.data(), UINT(text.size()));
    file.Close();
    return ok;
}

// ---- commands ------------------------------------------------------------------

void CVornelDoc::OnWholeSpectrumInWindow()
{
    bWholeSpectrumInWindow = !bWholeSpectrumInWindow;
    UpdateAllViews(nullptr, 0, nullptr);
}

void CVornelDoc::OnShowNumbers()
{
    bShowNumbers = !bShowNumbers;
    UpdateAllViews(nullptr, 0, nullptr);
}

void CVornelDoc::OnUpdateWholeSpectrumInWindow(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(bWholeSpectrumInWindow);
}

void CVornelDoc::OnUpdateShowNumbers(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(bShowNumbers);
}

void CVornelDoc::OnCreateSyntheticWave()
{
    if (!bSpectrumReady)
        return;
    FileDialogRequest request = KSaveFileRequest("wav", pWaveFilm->GetKWaveFileTitle(), OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST,
                                                 "WAV файлы (*.wav)|*.wav|Все файлы (*.*)|*.*||",
                                                 "В какой файл будем записывать синтезированный звук?");
    if (!UserInteraction().FileDialog(request))
        return;
    sSyntheticWaveFilePathName = request.sPathName;
    CWaitCursor wait;
    WriteSyntheticWaveFile(sSyntheticWaveFilePathName);
}

void CVornelDoc::SaveExtremaList(bool bMaxima)
{
    if (!bSpectrumReady)
        return;
    FileDialogRequest request = KSaveFileRequest("xls", bMaxima ? "_max" : "_min", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT);
    if (!UserInteraction().FileDialog(request))
        return;
    WriteExtremaListFile(request.sPathName, bMaxima);
}

void CVornelDoc::OnSaveMaxima()
{
    SaveExtremaList(true);
}

void CVornelDoc::OnSaveMinima()
{
    SaveExtremaList(false);
}
