// CKWave: Pelmora's own WAV reader. It opens a PCM WAV file (8 or 16 bits,
// mono or stereo), checks its format, and reads one channel of the whole
// file as 16-bit sample values: all that the noise test needs of a sound.
#pragma once
#include <vector>

#include "framework/base/CString.h"
#include "framework/base/Mmio.h"
#include "framework/base/NoCopy.h"
#include "framework/base/WaveFormat.h"
#include "framework/base/WavePcm.h"

class CKWave : private KNoCopy {
public:
    CKWave() = default;
    ~CKWave();

    bool OpenKWaveFile(CString sPath, CString sTitle);
    void CloseKWaveFile();
    bool KWaveIsGood() const { return bGood; }
    long GetKWaveSizeInSamples() const { return nSizeInSamples; }
    long GetKWaveFrADC() const { return long(Format.nSamplesPerSec); }
    int GetKWaveNChannels() const { return Format.nChannels; }
    CString GetKWaveFilePathName() const { return sPathName; }
    // The selected channel of the whole file, as 16-bit values in doubles.
    // A failed read shows its message and gives false.
    bool ReadWholeKWave(std::vector<double>& samples);

    int nChannel = 0; // 0 the first (left), 1 the second...; one the file lacks reads the first

private:
    void ShowText(const CString& text);
    bool show_mmio_error_if_any(MMRESULT r);
    bool read_and_check_format();

    CString sPathName;
    CString sFileTitle;
    HMMIO hmmio = nullptr;
    bool bGood = false;
    MMCKINFO ckRiff, ckFmt, ckData;
    long nSizeInSamples = 0;
    WAVEFORMATEX Format{};
    KPcmLayout Layout;
};
