// Wave-out and wave-in devices with the platform's calling pattern and
// result codes: open a device with a format and a target to notify,
// prepare and queue buffers, reset, close. Finished buffers come back as
// messages posted to the target; the window layer turns them into window
// messages on the UI thread, tests queue them (WaveMessageQueue.h).
//
// Which sound system is behind the devices is chosen by KAVREL_AUDIO:
// unset, the sound cards through PortAudio; "virtual", the simulated
// device of VirtualAudio.h.
#pragma once
#include <cstddef>

#include "framework/base/Mmio.h"
#include "framework/base/Types.h"
#include "framework/base/WaveFormat.h"

typedef std::uintptr_t DWORD_PTR;

// Where a device posts its messages. It may be called from the sound
// system's own thread, so an implementation must be thread-safe and must
// not call back into the device: it only posts.
class IWaveNotifySink {
public:
    virtual ~IWaveNotifySink() = default;
    virtual void PostWaveMessage(UINT message, WPARAM device, LPARAM header) = 0;
};

struct WaveOutDevice;
struct WaveInDevice;
typedef WaveOutDevice* HWAVEOUT;
typedef WaveInDevice* HWAVEIN;

struct WAVEHDR {
    char* lpData;
    DWORD dwBufferLength;
    DWORD dwBytesRecorded;
    DWORD_PTR dwUser;
    DWORD dwFlags;
    DWORD dwLoops;
    WAVEHDR* lpNext;
    DWORD_PTR reserved;
};
typedef WAVEHDR* LPWAVEHDR;

enum : DWORD {
    WHDR_DONE = 0x01,
    WHDR_PREPARED = 0x02,
    WHDR_BEGINLOOP = 0x04,
    WHDR_ENDLOOP = 0x08,
    WHDR_INQUEUE = 0x10,
};

constexpr UINT WAVE_MAPPER = UINT(-1);

// Open flags.
enum : DWORD {
    CALLBACK_NULL = 0x00000,
    CALLBACK_WINDOW = 0x10000,
    WAVE_FORMAT_QUERY = 0x0001,
};

enum : MMRESULT {
    MMSYSERR_ERROR = 1,
    MMSYSERR_BADDEVICEID = 2,
    MMSYSERR_ALLOCATED = 4,
    MMSYSERR_INVALHANDLE = 5,
    MMSYSERR_NODRIVER = 6,
    MMSYSERR_NOMEM = 7,
    MMSYSERR_INVALFLAG = 10,
    MMSYSERR_INVALPARAM = 11,
    WAVERR_BADFORMAT = 32,
    WAVERR_STILLPLAYING = 33,
    WAVERR_UNPREPARED = 34,
    WAVERR_SYNC = 35,
};

// Messages; the header message's LPARAM is the WAVEHDR*, WPARAM the device.
enum : UINT {
    MM_WOM_OPEN = 0x3BB,
    MM_WOM_CLOSE = 0x3BC,
    MM_WOM_DONE = 0x3BD,
    MM_WIM_OPEN = 0x3BE,
    MM_WIM_CLOSE = 0x3BF,
    MM_WIM_DATA = 0x3C0,
};

// Only 8- and 16-bit PCM, mono or stereo, is accepted. The loop flags of a
// header are ignored: every buffer plays once. A device id is 0 .. count-1
// or WAVE_MAPPER (the default device; MMSYSERR_NODRIVER when there is none).
UINT waveOutGetNumDevs();
MMRESULT waveOutOpen(HWAVEOUT* phwo, UINT uDeviceID, const WAVEFORMATEX* pwfx, IWaveNotifySink* pTarget,
                     DWORD_PTR dwInstance, DWORD fdwOpen);
MMRESULT waveOutPrepareHeader(HWAVEOUT hwo, WAVEHDR* pwh, UINT cbwh);
MMRESULT waveOutWrite(HWAVEOUT hwo, WAVEHDR* pwh, UINT cbwh);
// Stops playing and returns every queued buffer marked done, each with its
// MM_WOM_DONE, in queue order.
MMRESULT waveOutReset(HWAVEOUT hwo);
MMRESULT waveOutUnprepareHeader(HWAVEOUT hwo, WAVEHDR* pwh, UINT cbwh);
// WAVERR_STILLPLAYING while buffers are queued.
MMRESULT waveOutClose(HWAVEOUT hwo);

UINT waveInGetNumDevs();
MMRESULT waveInOpen(HWAVEIN* phwi, UINT uDeviceID, const WAVEFORMATEX* pwfx, IWaveNotifySink* pTarget,
                    DWORD_PTR dwInstance, DWORD fdwOpen);
MMRESULT waveInPrepareHeader(HWAVEIN hwi, WAVEHDR* pwh, UINT cbwh);
MMRESULT waveInAddBuffer(HWAVEIN hwi, WAVEHDR* pwh, UINT cbwh);
MMRESULT waveInStart(HWAVEIN hwi);
// Stops recording; the buffer being filled comes back with what it holds
// (dwBytesRecorded), empty buffers stay queued.
MMRESULT waveInStop(HWAVEIN hwi);
// Stops recording and returns every queued buffer.
MMRESULT waveInReset(HWAVEIN hwi);
MMRESULT waveInUnprepareHeader(HWAVEIN hwi, WAVEHDR* pwh, UINT cbwh);
MMRESULT waveInClose(HWAVEIN hwi);
