// The sound cards, through PortAudio. Its callback thread only moves bytes
// between the device's queue and the card (CWaveDevice::Render/Capture)
// and posts the notifications those cause.
#include <portaudio.h>

#include <vector>

#include "framework/audio/WaveDevice.h"

namespace {

class CPortAudioSession {
public:
    CPortAudioSession()
    {
        // A machine without sound, or without a sound server, fails here
        // or lists no devices: then there are simply no devices.
        bOk = Pa_Initialize() == paNoError;
        if (!bOk)
            return;
        int n = Pa_GetDeviceCount();
        for (int i = 0; i < n; ++i) {
            const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
            if (!info)
                continue;
            if (info->maxOutputChannels > 0)
                outputs.push_back(i);
            if (info->maxInputChannels > 0)
                inputs.push_back(i);
        }
    }
    ~CPortAudioSession()
    {
        if (bOk)
            Pa_Terminate();
    }

    // The PortAudio index of a wave device id, or paNoDevice.
    PaDeviceIndex Index(bool bInput, UINT uDeviceID) const
    {
        const std::vector<PaDeviceIndex>& list = bInput ? inputs : outputs;
        if (uDeviceID == WAVE_MAPPER) {
            PaDeviceIndex d = bInput ? Pa_GetDefaultInputDevice() : Pa_GetDefaultOutputDevice();
            if (d != paNoDevice)
                return d;
            return list.empty() ? paNoDevice : list.front();
        }
        return uDeviceID < list.size() ? list[uDeviceID] : paNoDevice;
    }

    bool bOk = false;
    std::vector<PaDeviceIndex> outputs, inputs;
};

CPortAudioSession& Session()
{
    static CPortAudioSession session;
    return session;
}

int Callback(const void* input, void* output, unsigned long frames, const PaStreamCallbackTimeInfo*,
             PaStreamCallbackFlags, void* user)
{
    auto* device = static_cast<CWaveDevice*>(user);
    size_t bytes = size_t(frames) * device->Format.nBlockAlign;
    if (device->bInput) {
        if (input)
            device->Capture(static_cast<const BYTE*>(input), bytes);
    } else {
        device->Render(static_cast<BYTE*>(output), bytes);
    }
    return paContinue;
}

class CPortAudioStream : public IWaveStream {
public:
    explicit CPortAudioStream(PaStream* s) : stream(s) {}
    ~CPortAudioStream() override
    {
        Pa_CloseStream(stream); // aborts; the callback is not running after it
    }
    PaStream* stream;
};

MMRESULT FromPaError(PaError e)
{
    switch (e) {
    case paInvalidSampleRate:
    case paSampleFormatNotSupported:
    case paInvalidChannelCount:
        return WAVERR_BADFORMAT;
    case paDeviceUnavailable:
        return MMSYSERR_ALLOCATED;
    case paInsufficientMemory:
        return MMSYSERR_NOMEM;
    case paInvalidDevice:
        return MMSYSERR_BADDEVICEID;
    default:
        return MMSYSERR_ERROR;
    }
}

class CPortAudioBackend : public IWaveBackend {
public:
    UINT GetNumDevs(bool bInput) override
    {
        const CPortAudioSession& s = Session();
        return UINT((bInput ? s.inputs : s.outputs).size());
    }

    MMRESULT OpenStream(CWaveDevice& device, UINT uDeviceID) override
    {
        const CPortAudioSession& s = Session();
        PaDeviceIndex index = s.Index(device.bInput, uDeviceID);
        const PaDeviceInfo* info = index == paNoDevice ? nullptr : Pa_GetDeviceInfo(index);
        if (!info)
            return MMSYSERR_NODRIVER;
        PaStreamParameters p{};
        p.device = index;
        p.channelCount = device.Format.nChannels;
        p.sampleFormat = device.Format.wBitsPerSample == 8 ? paUInt8 : paInt16;
        p.suggestedLatency = device.bInput ? info->defaultHighInputLatency : info->defaultHighOutputLatency;
        PaStream* stream = nullptr;
        PaError e = Pa_OpenStream(&stream, device.bInput ? &p : nullptr, device.bInput ? nullptr : &p,
                                  double(device.Format.nSamplesPerSec), paFramesPerBufferUnspecified, paNoFlag,
                                  Callback, &device);
        if (e != paNoError)
            return FromPaError(e);
        e = Pa_StartStream(stream);
        if (e != paNoError) {
            Pa_CloseStream(stream);
            return FromPaError(e);
        }
        device.pStream = std::make_unique<CPortAudioStream>(stream);
        return MMSYSERR_NOERROR;
    }
};

} // namespace

IWaveBackend& PortAudioWaveBackend()
{
    static CPortAudioBackend backend;
    return backend;
}
