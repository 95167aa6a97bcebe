// CKWave: one channel of a PCM WAV file as 16-bit samples, read through a
// window centred on a chosen sample.
#pragma once
#include <vector>
#include "framework/base/CArchive.h"
#include "framework/base/CString.h"
#include "framework/base/Mmio.h"
#include "framework/base/NoCopy.h"
#include "framework/base/WaveFormat.h"
#include "framework/base/WavePcm.h"
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
    // The file's own record (its first 18 bytes); Layout says how to read it.
    WAVEFORMATEX GetKWaveFormat() const { return Format; }
    // The record of a 16-bit PCM file with the same channels and rate: what
    // the 16-bit samples of every channel make when written out.
    WAVEFORMATEX GetKWaveFormat16() const;
    // Whether the frames are plain 8 or 16-bit PCM, which may be copied
    // as they stand into a file of the same record.
    bool KWaveIsNarrowPcm() const { return Layout.IsNarrowPcm() && Format.wFormatTag == WAVE_FORMAT_PCM; }
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
    // The same n frames at the current position as 16-bit samples of every
    // channel, interleaved; returns the number of whole frames read.
    long ReadBlockAlignedWaveSamples16(short* p, long n);

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
    // The channel read: 0 first (left), 1 second (right) and so on; one the
    // file does not have reads the first.
    int nChannel = 0;
    CString sPathName;
    CString sFileTitle;
    HMMIO hmmio = nullptr;
    bool bGood = false;
    MMCKINFO ckRiff, ckFmt, ckData;
    unsigned nLastMmioResult = 1;
    long nSizeInSamples = 0;
    WAVEFORMATEX Format{};
    KPcmLayout Layout;
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
    bool is_riff_wave_file();
    bool descend_into_riff_wave_chunk();
    bool descend_into_fmt__chunk();
    bool read_and_check_format();
    bool descend_into_data_chunk();
    void show_format_message(const std::string& why);

    CString sKN, sKP, sKM;
};
