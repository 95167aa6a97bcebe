// CKWave: one channel of a PCM WAV file as 16-bit samples, read through a
// window centred on a chosen sample.
#pragma once
#include <vector>
#include "framework/base/CArchive.h"
#include "framework/base/CString.h"
#include "framework/base/Mmio.h"
#include "framework/base/NoCopy.h"
#include "framework/base/WaveFormat.h"
#include "kavrel/core/KArrays.h"

class CKWaveView;
class CWnd;

class CKWave : private KNoCopy {
public:
    CKWave();
    ~CKWave();

    bool OpenKWaveFile(CString sPath, CString sTitle);
    // Asks for the file with the open dialog.
    bool OpenKWaveFile();
    void CloseKWaveFile();

    bool KWaveIsGood() const { return bGood; }
    long GetKWaveSizeInSamples() const { return nSizeInSamples; }
    long GetKWaveSizeInBytes() const { return long(Format.nBlockAlign) * nSizeInSamples; }
    int GetKWaveNChannels() const { return Format.nChannels; }
    long GetKWaveFrADC() const { return long(Format.nSamplesPerSec); }
    int GetKWaveBlockAlign() const { return Format.nBlockAlign; }
    long GetKWaveDataOffset() const { return long(ckData.dwDataOffset); }
    WAVEFORMATEX GetKWaveFormat() const { return Format; }
    CString GetKWaveFilePathName() const { return sPathName; }
    CString GetKWaveFileTitle() const { return sFileTitle; }
    long GetKWaveWindowWidthInSamples() const { return Window.nSize / 2; }
    long GetKWaveWindowSamplePosition() const { return nWindowSamplePosition; }
    short* GetKWaveWindow() { return reinterpret_cast<short*>(Window.pArray); }

    bool SetKWaveWindowWidthInSamples(long w);
    bool PositKWaveWindowOnSample(long s);
    bool FillKWaveBufFromSampleNSamples(void* pDst, long nFirst, long n);

    // Raw interleaved frames, for whole-file passes.
    long SeekBlockAlignedWaveSample(long s);
    long ReadBlockAlignedWaveSamples(void* p, long n);

    // Plays samples [nFrom, nTo) of the file, or the stretch between two
    // times in seconds, and returns when it has been played.
    void PlayKWave(long nFrom, long nTo);
    void PlayKWave(double t0, double t1);

    // The oscillogram window of this wave. Creating, destroying and showing
    // it are defined with the views; a repaint request reaches the window
    // through the views' hook, so core code may ask for one.
    bool CreateKWaveView(CWnd* pParent);
    void DestroyKWaveViews();
    void ShowKWaveWindow(bool bShow);
    void RepaintKWaveWindow();

    void ShowKWaveErrors() { bShowErrors = true; }
    void DoNotShowKWaveErrors() { bShowErrors = false; }
    // Failed reads leave silence and say nothing: for waves read off the
    // windows' thread (the film's own wave of the same file still speaks).
    void ReadSilently() { bSilentReads = true; }

    CString GetKN() const { return sKN; }
    CString GetKP() const { return sKP; }
    CString GetKM() const { return sKM; }

    // A wave has no persistent state of its own.
    void KSerialize(CArchive&) {}

    CKWaveView* pKWaveView = nullptr;
    int nChannel = 0;
    CString sPathName;
    CString sFileTitle;
    HMMIO hmmio = nullptr;
    bool bGood = false;
    MMCKINFO ckRiff, ckFmt, ckData;
    unsigned nLastMmioResult = 1;
    long nSizeInSamples = 0;
    WAVEFORMATEX Format{};
    bool bShowErrors = true;
    bool bSilentReads = false;
    CKArrayChar Window;
    CKArrayBYTE RawBuffer;
    // The last block of data read (bytes from data offset nReadAheadFirst;
    // -1: none), dropped whenever the file is opened or closed.
    static constexpr long long kReadAheadBytes = 1 << 18;
    std::vector<BYTE> ReadAhead;
    long long nReadAheadFirst = -1;
    long nWindowSamplePosition = 0;

private:
    void ShowText(const CString& text);
    bool show_mmio_error_if_any(MMRESULT r);
    bool open_hmmio_file_wave();
    bool descend_into_riff_wave_chunk();
    bool descend_into_fmt__chunk();
    bool read_and_check_format();
    bool descend_into_data_chunk();
    void show_format_message();

    CString sKN, sKP, sKM;
};
