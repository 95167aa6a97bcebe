#include "framework/audio/WaveAudio.h"

#include <algorithm>
#include <set>

#include "framework/audio/WaveDevice.h"

namespace {

// Live handles: a closed or foreign handle is refused rather than used.
// Only the UI thread opens, closes and looks up devices.
std::set<const CWaveDevice*>& LiveDevices()
{
    static std::set<const CWaveDevice*> live;
    return live;
}

bool IsLive(const CWaveDevice* d)
{
    return d && LiveDevices().count(d) > 0;
}

bool FormatIsAccepted(const WAVEFORMATEX& f)
{
    return f.wFormatTag == WAVE_FORMAT_PCM && (f.nChannels == 1 || f.nChannels == 2) &&
           (f.wBitsPerSample == 8 || f.wBitsPerSample == 16) && f.nBlockAlign == f.nChannels * f.wBitsPerSample / 8 &&
           f.nSamplesPerSec >= 1000 && f.nSamplesPerSec <= 384000;
}

template <class Device, class Handle>
MMRESULT Open(bool bInput, Handle* ph, UINT uDeviceID, const WAVEFORMATEX* pwfx, IWaveNotifySink* pTarget,
              DWORD fdwOpen)
{
    if (!pwfx)
        return MMSYSERR_INVALPARAM;
    if ((fdwOpen & CALLBACK_WINDOW) && !pTarget)
        return MMSYSERR_INVALPARAM;
    IWaveBackend& backend = WaveBackend();
    UINT n = backend.GetNumDevs(bInput);
    if (uDeviceID == WAVE_MAPPER) {
        if (n == 0)
            return MMSYSERR_NODRIVER;
    } else if (uDeviceID >= n) {
        return MMSYSERR_BADDEVICEID;
    }
    if (!FormatIsAccepted(*pwfx))
        return WAVERR_BADFORMAT;
    if (fdwOpen & WAVE_FORMAT_QUERY)
        return MMSYSERR_NOERROR;
    if (!ph)
        return MMSYSERR_INVALPARAM;
    auto device = std::make_unique<Device>();
    device->bInput = bInput;
    device->Format = *pwfx;
    device->pTarget = (fdwOpen & CALLBACK_WINDOW) ? pTarget : nullptr;
    if (MMRESULT r = backend.OpenStream(*device, uDeviceID); r != MMSYSERR_NOERROR)
        return r;
    *ph = device.release();
    LiveDevices().insert(*ph);
    (*ph)->Post(bInput ? MM_WIM_OPEN : MM_WOM_OPEN, nullptr);
    return MMSYSERR_NOERROR;
}

MMRESULT Prepare(CWaveDevice* d, WAVEHDR* pwh, UINT cbwh)
{
    if (!IsLive(d))
        return MMSYSERR_INVALHANDLE;
    if (!pwh || cbwh < sizeof(WAVEHDR) || (!pwh->lpData && pwh->dwBufferLength > 0))
        return MMSYSERR_INVALPARAM;
    if (MMRESULT r = WaveBackend().InjectedBufferFailure(true); r != MMSYSERR_NOERROR)
        return r;
    std::lock_guard<std::mutex> guard(d->Lock);
    if (pwh->dwFlags & WHDR_INQUEUE)
        return WAVERR_STILLPLAYING;
    pwh->dwFlags |= WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT Unprepare(CWaveDevice* d, WAVEHDR* pwh, UINT cbwh)
{
    if (!IsLive(d))
        return MMSYSERR_INVALHANDLE;
    if (!pwh || cbwh < sizeof(WAVEHDR))
        return MMSYSERR_INVALPARAM;
    std::lock_guard<std::mutex> guard(d->Lock);
    if (pwh->dwFlags & WHDR_INQUEUE)
        return WAVERR_STILLPLAYING;
    pwh->dwFlags &= ~DWORD(WHDR_PREPARED);
    return MMSYSERR_NOERROR;
}

MMRESULT Queue(CWaveDevice* d, WAVEHDR* pwh, UINT cbwh)
{
    if (!IsLive(d))
        return MMSYSERR_INVALHANDLE;
    if (!pwh || cbwh < sizeof(WAVEHDR))
        return MMSYSERR_INVALPARAM;
    if (MMRESULT r = WaveBackend().InjectedBufferFailure(false); r != MMSYSERR_NOERROR)
        return r;
    std::lock_guard<std::mutex> guard(d->Lock);
    if (!(pwh->dwFlags & WHDR_PREPARED))
        return WAVERR_UNPREPARED;
    if (pwh->dwFlags & WHDR_INQUEUE)
        return WAVERR_STILLPLAYING;
    pwh->dwFlags = (pwh->dwFlags & ~DWORD(WHDR_DONE)) | WHDR_INQUEUE;
    if (d->bInput)
        pwh->dwBytesRecorded = 0;
    d->Queue.push_back(pwh);
    return MMSYSERR_NOERROR;
}

MMRESULT Reset(CWaveDevice* d)
{
    if (!IsLive(d))
        return MMSYSERR_INVALHANDLE;
    std::lock_guard<std::mutex> guard(d->Lock);
    d->bStarted = false;
    d->nHeadOffset = 0;
    while (!d->Queue.empty()) {
        WAVEHDR* pwh = d->Queue.front();
        d->Queue.pop_front();
        d->Return(pwh);
    }
    return MMSYSERR_NOERROR;
}

MMRESULT Close(CWaveDevice* d)
{
    if (!IsLive(d))
        return MMSYSERR_INVALHANDLE;
    {
        std::lock_guard<std::mutex> guard(d->Lock);
        if (!d->Queue.empty())
            return WAVERR_STILLPLAYING;
        d->bStarted = false;
    }
    // Closing the stream waits for the sound system's thread to leave the
    // device, so it must not hold the device's lock.
    d->pStream.reset();
    LiveDevices().erase(d);
    d->Post(d->bInput ? MM_WIM_CLOSE : MM_WOM_CLOSE, nullptr);
    delete d;
    return MMSYSERR_NOERROR;
}

} // namespace

UINT waveOutGetNumDevs()
{
    return WaveBackend().GetNumDevs(false);
}

MMRESULT waveOutOpen(HWAVEOUT* phwo, UINT uDeviceID, const WAVEFORMATEX* pwfx, IWaveNotifySink* pTarget,
                     DWORD_PTR, DWORD fdwOpen)
{
    return Open<WaveOutDevice>(false, phwo, uDeviceID, pwfx, pTarget, fdwOpen);
}

MMRESULT waveOutPrepareHeader(HWAVEOUT hwo, WAVEHDR* pwh, UINT cbwh)
{
    return Prepare(hwo, pwh, cbwh);
}

MMRESULT waveOutWrite(HWAVEOUT hwo, WAVEHDR* pwh, UINT cbwh)
{
    return Queue(hwo, pwh, cbwh);
}

MMRESULT waveOutReset(HWAVEOUT hwo)
{
    return Reset(hwo);
}

MMRESULT waveOutUnprepareHeader(HWAVEOUT hwo, WAVEHDR* pwh, UINT cbwh)
{
    return Unprepare(hwo, pwh, cbwh);
}

MMRESULT waveOutClose(HWAVEOUT hwo)
{
    return Close(hwo);
}

UINT waveInGetNumDevs()
{
    return WaveBackend().GetNumDevs(true);
}

MMRESULT waveInOpen(HWAVEIN* phwi, UINT uDeviceID, const WAVEFORMATEX* pwfx, IWaveNotifySink* pTarget, DWORD_PTR,
                    DWORD fdwOpen)
{
    return Open<WaveInDevice>(true, phwi, uDeviceID, pwfx, pTarget, fdwOpen);
}

MMRESULT waveInPrepareHeader(HWAVEIN hwi, WAVEHDR* pwh, UINT cbwh)
{
    return Prepare(hwi, pwh, cbwh);
}

MMRESULT waveInAddBuffer(HWAVEIN hwi, WAVEHDR* pwh, UINT cbwh)
{
    return Queue(hwi, pwh, cbwh);
}

MMRESULT waveInStart(HWAVEIN hwi)
{
    if (!IsLive(hwi))
        return MMSYSERR_INVALHANDLE;
    std::lock_guard<std::mutex> guard(hwi->Lock);
    hwi->bStarted = true;
    return MMSYSERR_NOERROR;
}

MMRESULT waveInStop(HWAVEIN hwi)
{
    if (!IsLive(hwi))
        return MMSYSERR_INVALHANDLE;
    std::lock_guard<std::mutex> guard(hwi->Lock);
    hwi->bStarted = false;
    if (!hwi->Queue.empty() && hwi->Queue.front()->dwBytesRecorded > 0) {
        WAVEHDR* pwh = hwi->Queue.front();
        hwi->Queue.pop_front();
        hwi->Return(pwh);
    }
    return MMSYSERR_NOERROR;
}

MMRESULT waveInReset(HWAVEIN hwi)
{
    return Reset(hwi);
}

MMRESULT waveInUnprepareHeader(HWAVEIN hwi, WAVEHDR* pwh, UINT cbwh)
{
    return Unprepare(hwi, pwh, cbwh);
}

MMRESULT waveInClose(HWAVEIN hwi)
{
    return Close(hwi);
}
