// Inside the sound layer: what every open device shares whatever sound
// system is behind it (the queue of buffers, their flags, the messages),
// and what a sound system must provide (a stream that pulls or pushes
// bytes). The sound system's thread touches a device only through Render
// and Capture, under the device's lock.
#pragma once
#include <deque>
#include <memory>
#include <mutex>

#include "framework/audio/WaveAudio.h"

class IWaveStream {
public:
    virtual ~IWaveStream() = default; // stops and closes; no callback runs after it
};

struct CWaveDevice {
    bool bInput = false;
    WAVEFORMATEX Format{};
    IWaveNotifySink* pTarget = nullptr;
    std::unique_ptr<IWaveStream> pStream;

    // Output: hands the next bytes of the queue to the sound system,
    // silence after them; returns how many came from buffers.
    size_t Render(BYTE* pOut, size_t nBytes);
    // Input: stores captured bytes into the queued buffers while started;
    // what finds no buffer is lost, as on a real card.
    void Capture(const BYTE* pIn, size_t nBytes);

    std::mutex Lock;
    std::deque<WAVEHDR*> Queue;
    size_t nHeadOffset = 0; // bytes of the first output buffer already played
    bool bStarted = false;  // input only

    void Post(UINT message, WAVEHDR* pwh);
    // Marks a header done, off the queue, and says so.
    void Return(WAVEHDR* pwh);
};

struct WaveOutDevice : CWaveDevice {};
struct WaveInDevice : CWaveDevice {};

// A sound system behind the devices.
class IWaveBackend {
public:
    virtual ~IWaveBackend() = default;
    virtual UINT GetNumDevs(bool bInput) = 0;
    // Opens the stream of a device whose format and direction are set; a
    // checked device id or WAVE_MAPPER. Output streams run from the open.
    virtual MMRESULT OpenStream(CWaveDevice& device, UINT uDeviceID) = 0;
    // A failure asked for in place of the next prepare (or queueing) of a
    // buffer, for tests of the programs' error paths; none normally.
    virtual MMRESULT InjectedBufferFailure(bool bPrepare)
    {
        (void)bPrepare;
        return MMSYSERR_NOERROR;
    }
};

// The backend chosen for this process (KAVREL_AUDIO, or a test's choice).
IWaveBackend& WaveBackend();
IWaveBackend& VirtualWaveBackend();
IWaveBackend& PortAudioWaveBackend();
void SelectVirtualWaveBackend();

// Silence in a format: 0 for 16 bits, 128 for 8.
inline BYTE SilenceByte(const WAVEFORMATEX& f) { return f.wBitsPerSample == 8 ? 0x80 : 0x00; }
