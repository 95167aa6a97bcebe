// The virtual sound device: plays in simulated time, keeps every sample it
// played, records from a configured source. Tests always use it; programs
// run with KAVREL_AUDIO=virtual use it too.
//
// Time. The clock is manual by default: nothing happens until someone
// advances it, and a buffer is done once the clock has passed its end
// (device time starts at the open). No thread runs. With
// KAVREL_AUDIO_CLOCK=realtime, or SetRealTimeClock(true), a pacing thread
// follows the wall clock instead, for programs run by hand.
//
// Devices. KAVREL_AUDIO_DEVICES=n gives n output and n input devices
// (default 1; 0 means a machine without sound).
//
// Input. Silence unless a source is set: SetInputSamples (interleaved in
// the device's channel count), SetInputFunction, or a WAV file named by
// KAVREL_AUDIO_INPUT (8 or 16-bit PCM; its last channel repeats when the
// device has more). After the end of samples or file, silence. The source
// is read by frames captured since the device was opened, while started.
#pragma once
#include <chrono>
#include <functional>
#include <vector>

#include "framework/audio/WaveAudio.h"

struct VirtualPlayedStream {
    UINT nDevice;        // the id opened with, WAVE_MAPPER included
    WAVEFORMATEX Format;
    std::vector<BYTE> Bytes; // what was played, in the device's format
    bool bOpen;
    // Bytes as 16-bit samples (interleaved when stereo).
    std::vector<short> Samples16() const;
};

class CVirtualAudio {
public:
    // Selects the virtual device for this process and starts it afresh:
    // clock at 0 and manual, counts and input from the environment, no
    // streams played. Only while no device is open.
    static void Use();

    static void SetDeviceCounts(UINT nOut, UINT nIn);
    static void SetRealTimeClock(bool bRealTime);
    static bool ClockIsManual();
    static void AdvanceClock(std::chrono::nanoseconds dt);
    // Just far enough for n frames at this rate to pass.
    static void AdvanceClockByFrames(DWORD nSamplesPerSec, long nFrames);
    static std::chrono::nanoseconds Clock();

    // One entry per output device opened since Use(), in opening order.
    static std::vector<VirtualPlayedStream> PlayedStreams();

    static void SetInputSamples(std::vector<short> interleaved);
    static void SetInputFunction(std::function<short(long nFrame, int nChannel)> source);
    static bool SetInputWaveFile(const char* path);

    // The next open of either direction fails with this result.
    static void FailNextOpen(MMRESULT result);
    // The next prepare, or the next queueing (waveOutWrite, waveInAddBuffer),
    // of a buffer fails with this result.
    static void FailNextPrepare(MMRESULT result);
    static void FailNextWrite(MMRESULT result);
};
