#include "framework/audio/MciWavePlayer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "framework/audio/AudioServices.h"
#include "framework/audio/VirtualAudio.h"
#include "framework/audio/WaveMessageQueue.h"
#include "framework/base/WaveChunks.h"

namespace {

constexpr int kBuffers = 4;
// A device that has stopped returning buffers for this long has failed.
constexpr auto kStallLimit = std::chrono::seconds(5);

MCIERROR FromWaveResult(MMRESULT r)
{
    switch (r) {
    case MMSYSERR_BADDEVICEID:
    case MMSYSERR_NODRIVER:
        return MCIERR_DEVICE_NOT_INSTALLED;
    case MMSYSERR_ALLOCATED:
        return MCIERR_WAVE_OUTPUTSINUSE;
    case MMSYSERR_NOMEM:
        return MCIERR_OUT_OF_MEMORY;
    case WAVERR_BADFORMAT:
        return MCIERR_WAVE_OUTPUTSUNSUITABLE;
    default:
        return MCIERR_HARDWARE;
    }
}

bool ManualClock()
{
    return SelectedAudioBackend() == EAudioBackend::Virtual && CVirtualAudio::ClockIsManual();
}

} // namespace

CMciWavePlayer::~CMciWavePlayer()
{
    for (auto& [id, f] : m_devices)
        mmioClose(f.hmmio);
}

MCIERROR CMciWavePlayer::Open(const CString& deviceType, const CString& elementName, MCIDEVICEID* pDeviceID)
{
    if (pDeviceID)
        *pDeviceID = 0;
    if (deviceType.CompareNoCase("waveaudio") != 0)
        return MCIERR_INVALID_DEVICE_NAME;
    OpenFile f;
    f.hmmio = mmioOpen(elementName.GetString(), nullptr, MMIO_READ | MMIO_DENYNONE);
    if (!f.hmmio)
        return MCIERR_FILE_NOT_FOUND;
    KWaveChunks ck;
    WAVEFORMATEX& w = f.Format;
    BYTE fmt[64] = {};
    std::string why;
    LONG got = 0;
    bool ok = ck.EnterFormat(f.hmmio) && ck.fmt.cksize >= 16 &&
              (got = mmioRead(f.hmmio, fmt, LONG(std::min<DWORD>(ck.fmt.cksize, sizeof fmt)))) >= 16 &&
              KParsePcmFormat(fmt, size_t(got), f.Layout, why) && mmioAscend(f.hmmio, &ck.fmt) == 0 &&
              mmioDescend(f.hmmio, &ck.data, &ck.riff, MMIO_FINDCHUNK) == 0;
    long long fileEnd = ok ? mmioSeek(f.hmmio, 0, SEEK_END) : -1;
    if (!ok || fileEnd < (long long)ck.data.dwDataOffset) {
        mmioClose(f.hmmio);
        return MCIERR_INVALID_FILE;
    }
    std::memcpy(&w, fmt, sizeof w);
    w.cbSize = 0;
    f.bConvert = !f.Layout.IsNarrowPcm() || f.Layout.nChannels > 2;
    if (f.bConvert) {
        w.wFormatTag = WAVE_FORMAT_PCM;
        w.nChannels = WORD(std::min(f.Layout.nChannels, 2));
        w.wBitsPerSample = 16;
        w.nBlockAlign = WORD(2 * w.nChannels);
        w.nAvgBytesPerSec = w.nSamplesPerSec * w.nBlockAlign;
    }
    f.nDataOffset = ck.data.dwDataOffset;
    // The length is what the file holds, whatever its data chunk claims.
    f.nFrames = std::min<DWORD>(ck.data.cksize, DWORD(fileEnd) - ck.data.dwDataOffset) / DWORD(f.Layout.nBlockAlign);
    MCIDEVICEID id = m_nextID++;
    m_devices[id] = f;
    if (pDeviceID)
        *pDeviceID = id;
    return 0;
}

DWORD CMciWavePlayer::ToFrames(const OpenFile& f, DWORD v) const
{
    switch (f.nTimeFormat) {
    case MCI_FORMAT_SAMPLES:
        return v;
    case MCI_FORMAT_BYTES:
        return v / DWORD(f.Layout.nBlockAlign);
    default:
        return DWORD((unsigned long long)v * f.Format.nSamplesPerSec / 1000);
    }
}

MCIERROR CMciWavePlayer::SetTimeFormat(MCIDEVICEID id, DWORD timeFormat)
{
    auto it = m_devices.find(id);
    if (it == m_devices.end())
        return MCIERR_INVALID_DEVICE_ID;
    if (timeFormat != MCI_FORMAT_MILLISECONDS && timeFormat != MCI_FORMAT_SAMPLES && timeFormat != MCI_FORMAT_BYTES)
        return MCIERR_BAD_TIME_FORMAT;
    it->second.nTimeFormat = timeFormat;
    return 0;
}

MCIERROR CMciWavePlayer::StatusLength(MCIDEVICEID id, DWORD* pLength)
{
    auto it = m_devices.find(id);
    if (it == m_devices.end())
        return MCIERR_INVALID_DEVICE_ID;
    const OpenFile& f = it->second;
    if (f.nTimeFormat == MCI_FORMAT_SAMPLES)
        *pLength = f.nFrames;
    else if (f.nTimeFormat == MCI_FORMAT_BYTES)
        *pLength = f.nFrames * DWORD(f.Layout.nBlockAlign);
    else
        *pLength = DWORD((unsigned long long)f.nFrames * 1000 / f.Format.nSamplesPerSec);
    return 0;
}

MCIERROR CMciWavePlayer::PlayWait(MCIDEVICEID id, DWORD from, DWORD to)
{
    auto it = m_devices.find(id);
    if (it == m_devices.end())
        return MCIERR_INVALID_DEVICE_ID;
    OpenFile& f = it->second;
    DWORD first = ToFrames(f, from), last = ToFrames(f, to);
    if (first > last || last > f.nFrames)
        return MCIERR_OUTOFRANGE;
    if (first == last)
        return 0;
    return Stream(f, first, last);
}

// Plays frames [first, end) through a few short buffers, refilled from the
// file as the device returns them.
MCIERROR CMciWavePlayer::Stream(OpenFile& f, DWORD first, DWORD end)
{
    CWaveMessageQueue done;
    HWAVEOUT hwo = nullptr;
    if (MMRESULT r = waveOutOpen(&hwo, WAVE_MAPPER, &f.Format, &done, 0, CALLBACK_WINDOW); r != MMSYSERR_NOERROR)
        return FromWaveResult(r);
    const DWORD bufFrames = std::max<DWORD>(f.Format.nSamplesPerSec / 8, 64);
    const DWORD align = DWORD(f.Layout.nBlockAlign);
    std::array<std::vector<char>, kBuffers> data;
    std::vector<char> raw;
    std::vector<short> wide;
    std::array<WAVEHDR, kBuffers> hdr{};
    DWORD next = first;
    int queued = 0;
    MCIERROR error = 0;

    auto queue = [&](int i) {
        DWORD n = std::min(bufFrames, end - next);
        if (n == 0 || error)
            return;
        std::vector<char>& file = f.bConvert ? raw : data[size_t(i)];
        file.resize(size_t(n) * align);
        LONG bytes = LONG(n * align);
        if (mmioSeek(f.hmmio, (long long)f.nDataOffset + (long long)next * align, SEEK_SET) < 0 ||
            mmioRead(f.hmmio, file.data(), bytes) != bytes) {
            error = MCIERR_INVALID_FILE;
            return;
        }
        if (f.bConvert) {
            const int C = f.Layout.nChannels, out = f.Format.nChannels;
            wide.resize(size_t(n) * size_t(C));
            KPcmFramesTo16(reinterpret_cast<const BYTE*>(raw.data()), long(n), f.Layout, -1, wide.data());
            data[size_t(i)].resize(size_t(n) * size_t(out) * 2);
            short* o = reinterpret_cast<short*>(data[size_t(i)].data());
            for (DWORD k = 0; k < n; ++k)
                for (int c = 0; c < out; ++c)
                    o[size_t(k) * size_t(out) + size_t(c)] = wide[size_t(k) * size_t(C) + size_t(c)];
            bytes = LONG(data[size_t(i)].size());
        }
        WAVEHDR& h = hdr[size_t(i)];
        h = WAVEHDR{};
        h.lpData = data[size_t(i)].data();
        h.dwBufferLength = DWORD(bytes);
        h.dwUser = DWORD_PTR(i);
        MMRESULT r = waveOutPrepareHeader(hwo, &h, sizeof h);
        if (r == MMSYSERR_NOERROR)
            r = waveOutWrite(hwo, &h, sizeof h);
        if (r != MMSYSERR_NOERROR) {
            error = FromWaveResult(r);
            return;
        }
        next += n;
        ++queued;
    };

    for (int i = 0; i < kBuffers; ++i)
        queue(i);
    auto lastProgress = std::chrono::steady_clock::now();
    while (queued > 0) {
        // On the manual clock nobody else moves time: the wait is ours.
        if (ManualClock())
            CVirtualAudio::AdvanceClockByFrames(f.Format.nSamplesPerSec, long(bufFrames));
        done.WaitForMessage(std::chrono::milliseconds(100));
        for (const WaveMessage& m : done.Take()) {
            if (m.message != MM_WOM_DONE)
                continue;
            --queued;
            lastProgress = std::chrono::steady_clock::now();
            int i = int(m.Header()->dwUser);
            waveOutUnprepareHeader(hwo, m.Header(), sizeof(WAVEHDR));
            queue(i);
        }
        if (queued > 0 && std::chrono::steady_clock::now() - lastProgress > kStallLimit) {
            error = MCIERR_HARDWARE;
            waveOutReset(hwo);
            queued = 0;
        }
    }
    for (WAVEHDR& h : hdr)
        if (h.lpData)
            waveOutUnprepareHeader(hwo, &h, sizeof h);
    waveOutClose(hwo);
    return error;
}

MCIERROR CMciWavePlayer::Close(MCIDEVICEID id)
{
    auto it = m_devices.find(id);
    if (it == m_devices.end())
        return MCIERR_INVALID_DEVICE_ID;
    mmioClose(it->second.hmmio);
    m_devices.erase(it);
    return 0;
}
