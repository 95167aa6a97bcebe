// New sound from the analysed one, without windows: the float work file on
// disk, the level changes of the sound objects (text-only stretches with
// soft Gaussian edges, micro-harmonic traces from their float wave files),
// the peak normalisation that writes the work file as 16-bit blocks, and the
// cocktail of Gaussian-windowed cadres scattered at random positions.
#pragma once
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "framework/base/NoCopy.h"
#include "tembrix/KResampling.h"

namespace ksynth {

// Floats in a temporary file of the system's temporary folder, named TBX….
class CKFloatWorkFile : private KNoCopy {
public:
    CKFloatWorkFile() = default;
    ~CKFloatWorkFile();

    enum OpenResult { Opened, NoTempFolder, CannotCreate, CannotOpen };
    OpenResult Open();
    const std::string& Path() const { return m_sPath; }
    long Size() const { return m_nSize; }

    // Appends at the end; reads and writes in place. Reads stop at the end.
    bool Append(const float* v, long n);
    long Read(long at, float* dst, long n);
    bool Write(long at, const float* src, long n);

    // Closes and deletes the file (the work is done).
    void Remove();
    // Closes and leaves the file where it is.
    void Close();

private:
    std::FILE* m_pFile = nullptr;
    std::string m_sPath;
    long m_nSize = 0;
};

// The level change as a gain factor.
double GainOfLevel(double dLevelChange_dB);

// The largest absolute value of the work file.
double PeakOf(CKFloatWorkFile& work);
// Each value times 32766 / peak, toward zero, in blocks of 1024 as read;
// an all-zero file gives silence. False when a block could not be written.
bool WriteNormalised(CKFloatWorkFile& work, double peak, const kresample::BlockWriter& write,
                     const kresample::Progress& progress = {});

// Copies the signal into the work file as floats, in whole blocks of 1024.
bool CopySignal(long nSamples, const kresample::WindowReader& read, CKFloatWorkFile& work);

struct SoundObject {
    int nType = 0;
    long nFirstSample = 0, nLastSample = 0;
    double dLevelChange_dB = 0;
    std::string sFloatWavePath;
};

struct SynthesisContext {
    long nStep = 0;         // w, the cadre step
    double dEdgeSigma = 0;  // s, the film's time deviation in samples
    kresample::WindowReader read;
    // Shows a message (memory, missing float wave file); the synthesis goes on.
    std::function<void(const std::string&)> report;
    std::string sOutputPath;
};

// The soft-edge weights of a text-only object, e(l) for l = 0 .. 5w − 1.
std::vector<double> SoftEdge(long nStep, double dSigma);
void ApplyTextObject(const SoundObject& o, const SynthesisContext& c, CKFloatWorkFile& work);
void ApplyMicroHarmonicObject(const SoundObject& o, const SynthesisContext& c, CKFloatWorkFile& work);
// Every object of types 0 and 1 in order; the others are not used.
void ApplyObjects(const std::vector<SoundObject>& objects, const SynthesisContext& c, CKFloatWorkFile& work,
                  const kresample::Progress& progress = {});

struct CocktailParams {
    long nLength = 0;          // L, the film's length in samples
    int nFFT = 0;
    std::vector<double> halfGauss; // the spectrum frame's half window, NFFT / 2 values
    long c0 = 0, c1 = 0;       // the usable cadres [c0, c1)
    std::function<long(long)> sampleOfCadre;
    // The NFFT samples of the window positioned on a sample.
    std::function<bool(long sample, short* dst)> window;
    int nAdditions = 1;
    // 0 .. 32767, as the standard generator gives.
    std::function<int()> random;
};

struct CocktailResult {
    // Empty when a buffer could not be had; then `sNoMemory` names it.
    std::vector<short> wave;
    std::string sNoMemory;
    // The useful stretch [a, b) of the scattered sum.
    long a = 0, b = 0;
};
CocktailResult MakeCocktail(const CocktailParams& p, const kresample::Progress& progress = {});

} // namespace ksynth
