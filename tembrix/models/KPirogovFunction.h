// The Pirogov phonetic function of a selected fragment: for every frame, how
// much the third-octave spectrum of the cadres just before it differs from
// that of the cadres just after it; then its statistics and the tab-separated
// report. Plain computations on a film, without windows.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "framework/base/CString.h"

class CKWaveFilm;

// The third-octave bands: centres fc (integer part of 25·2^(t/3) Hz) and
// half-widths b (half the distance to the next centre; the last band's is
// 2^(1/3) times the one before).
struct KPirogovBands {
    static constexpr int kNBands = 30;
    double fc[kNBands];
    double b[kNBands];
    KPirogovBands();
    // The Gaussian weight of frequency f in band t.
    double Weight(int t, double f) const;
};

// What the dialog starts from on a film: frames of about 30 a second and
// the band 300..4000 Hz, held inside the fields' ranges.
int PirogovDefaultCadresPerFrame(const CKWaveFilm& film);
int PirogovDefaultLowLine(const CKWaveFilm& film);
int PirogovDefaultHighLine(const CKWaveFilm& film);

// The bands whose centres lie within the frequencies of the two lines:
// tLow the first centre at or above the low line's, tHigh the last at or
// below the high line's (tLow > tHigh: no band).
void PirogovBandRange(const KPirogovBands& bands, double fLow, double fHigh, int& tLow, int& tHigh);

// The function's value of one frame from the band powers before (Ep) and
// after (Ef) it: the sum over bands tLow..tHigh of the absolute level
// differences.
double PirogovFrameValue(const double* Ep, const double* Ef, int K, int tLow, int tHigh);

// The function over cadres s0..s1 of the film (NFFT 1024), frame by frame:
// take(c, v) for every frame c = K .. N − K counted from the selection's
// first cadre, in time order. K cadres weighted by sin(π·i/K) on each side of
// a frame; only the spectra of the 2K − 1 cadres around the frame are kept,
// so a long selection costs no more memory than a short one. False (the
// user told) when memory runs out, or when take returns false.
bool ForEachPirogovValue(CKWaveFilm& film, long s0, long s1, int K, int tLow, int tHigh,
                         const std::function<bool(long c, float v)>& take);

// The time written for frame c of a selection beginning at cadre s0.
float PirogovFrameTime(const CKWaveFilm& film, long s0, long c);

// The whole function with its times, as ForEachPirogovValue gives it. False
// (the user told) when memory runs out.
bool ComputePirogovFunction(CKWaveFilm& film, long s0, long s1, int K, int tLow, int tHigh,
                            std::vector<float>& times, std::vector<float>& values);

struct KPirogovStatistics {
    int n = 0;
    std::vector<float> sorted;
    double min = 0, max = 0;
    double percentiles[101] = {};
    int histogram[100] = {};
    double mean = 0, deviation = 0, variation = 0, entropy = 0;
};

// The statistics of n ≥ 1 values. With one value the deviation is 0; with
// all values equal every value falls in bin 0; a zero mean gives a zero
// coefficient of variation.
KPirogovStatistics ComputePirogovStatistics(const std::vector<float>& values);

// The report's three blocks, as UTF-8 text (line feeds only).
std::string PirogovReportHead(const CString& sPath, const KPirogovStatistics& st);
std::string PirogovReportDensity(const KPirogovStatistics& st);
// The third block's heading, and one line of it.
std::string PirogovReportFunctionTitle(const CString& sPath);
void AppendPirogovReportLine(std::string& text, float time, float value);
std::string PirogovReportFunction(const CString& sPath, const std::vector<float>& times,
                                  const std::vector<float>& values);

// The whole command after the file was chosen: creates sPath, computes over
// the film's selection and writes the report in Windows-1251. False (the user
// told) on every failure; st is filled on success. Of a long selection only
// the values stay in memory, since the percentiles need them all.
bool CreatePirogovFunctionFile(CKWaveFilm& film, int K, int nLowLine, int nHighLine, const CString& sPath,
                               KPirogovStatistics* pStatistics = nullptr);
