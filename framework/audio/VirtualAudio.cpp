#include "framework/audio/VirtualAudio.h"

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <utility>

#include "framework/audio/WaveDevice.h"
#include "framework/base/WaveChunks.h"

namespace {

using Nanos = std::chrono::nanoseconds;
using Clock = std::chrono::steady_clock;
constexpr long kChunkFrames = 4096;

struct InputSource {
    std::function<short(long, int)> fn; // null: silence, or the samples below
    std::vector<short> samples;
    bool bSamples = false;
    short Sample(long frame, int channel, int nChannels) const
    {
        if (bSamples) {
            size_t i = size_t(frame) * size_t(nChannels) + size_t(channel);
            return i < samples.size() ? samples[i] : short(0);
        }
        return fn ? fn(frame, channel) : short(0);
    }
};

class CVirtualStream;

struct World {
    std::mutex lock;
    std::int64_t clockNs = 0;
    UINT nOut = 1, nIn = 1;
    std::vector<CVirtualStream*> streams;
    std::vector<VirtualPlayedStream> played;
    InputSource source;
    MMRESULT failNextOpen = MMSYSERR_NOERROR;
    MMRESULT failNextPrepare = MMSYSERR_NOERROR;
    MMRESULT failNextWrite = MMSYSERR_NOERROR;

    bool bRealTime = false;
    std::thread pacer;
    std::condition_variable wake;
    bool bStopPacer = false;

    World() { Configure(); }
    // Counts, clock mode and input as the environment gives them.
    void Configure();
    void AdvanceTo(std::int64_t ns);
    void StartPacer();
    void StopPacer(std::unique_lock<std::mutex>& held);
    ~World()
    {
        std::unique_lock<std::mutex> held(lock);
        StopPacer(held);
    }
};

World& TheWorld()
{
    static World w;
    return w;
}

class CVirtualStream : public IWaveStream {
public:
    CVirtualStream(CWaveDevice& d, size_t played) : device(d), nPlayed(played) {}
    ~CVirtualStream() override
    {
        World& w = TheWorld();
        std::lock_guard<std::mutex> guard(w.lock);
        w.streams.erase(std::find(w.streams.begin(), w.streams.end(), this));
        if (!device.bInput)
            w.played[nPlayed].bOpen = false;
    }

    // Moves this device's timeline to the world's clock.
    void Advance(World& w)
    {
        const WAVEFORMATEX& f = device.Format;
        std::int64_t target = std::int64_t((__int128(w.clockNs - openNs) * f.nSamplesPerSec) / 1000000000);
        std::int64_t frames = target - timeline;
        timeline = target;
        if (frames <= 0)
            return;
        size_t align = f.nBlockAlign;
        chunk.resize(size_t(std::min<std::int64_t>(frames, kChunkFrames)) * align);
        while (frames > 0) {
            long n = long(std::min<std::int64_t>(frames, kChunkFrames));
            size_t bytes = size_t(n) * align;
            if (!device.bInput) {
                size_t done = device.Render(chunk.data(), bytes);
                std::vector<BYTE>& out = w.played[nPlayed].Bytes;
                out.insert(out.end(), chunk.begin(), chunk.begin() + long(done));
                if (done < bytes)
                    return; // drained: the rest of the time is silence
            } else {
                if (!HasWork()) {
                    if (Started())
                        nSourceFrame += frames; // nobody listens: those frames are lost
                    return;
                }
                for (long i = 0; i < n; ++i) {
                    for (int c = 0; c < f.nChannels; ++c) {
                        short s = w.source.Sample(nSourceFrame + i, c, f.nChannels);
                        size_t at = (size_t(i) * f.nChannels + size_t(c)) * (f.wBitsPerSample / 8);
                        if (f.wBitsPerSample == 8) {
                            chunk[at] = BYTE((s >> 8) + 128);
                        } else {
                            chunk[at] = BYTE(s & 0xFF);
                            chunk[at + 1] = BYTE((s >> 8) & 0xFF);
                        }
                    }
                }
                nSourceFrame += n;
                device.Capture(chunk.data(), bytes);
            }
            frames -= n;
        }
    }

    CWaveDevice& device;
    size_t nPlayed;
    std::int64_t openNs = 0;
    std::int64_t timeline = 0; // frames of device time passed
    long nSourceFrame = 0;
    std::vector<BYTE> chunk;

private:
    bool Started()
    {
        std::lock_guard<std::mutex> guard(device.Lock);
        return device.bStarted;
    }
    bool HasWork()
    {
        std::lock_guard<std::mutex> guard(device.Lock);
        return device.bStarted && !device.Queue.empty();
    }
};

void World::AdvanceTo(std::int64_t ns)
{
    if (ns < clockNs)
        return;
    clockNs = ns;
    for (CVirtualStream* s : streams)
        s->Advance(*this);
}

void World::StartPacer()
{
    if (pacer.joinable())
        return;
    bStopPacer = false;
    pacer = std::thread([this] {
        std::unique_lock<std::mutex> held(lock);
        auto start = Clock::now();
        std::int64_t base = clockNs;
        while (!bStopPacer) {
            wake.wait_for(held, std::chrono::milliseconds(5));
            AdvanceTo(base + std::chrono::duration_cast<Nanos>(Clock::now() - start).count());
        }
    });
}

void World::StopPacer(std::unique_lock<std::mutex>& held)
{
    if (!pacer.joinable())
        return;
    bStopPacer = true;
    wake.notify_all();
    held.unlock();
    pacer.join();
    held.lock();
}

UINT EnvCount()
{
    const char* s = std::getenv("KAVREL_AUDIO_DEVICES");
    if (!s || !*s)
        return 1;
    long n = std::strtol(s, nullptr, 10);
    return n < 0 ? 0 : UINT(std::min(n, 64L));
}

bool ReadWaveFile(const char* path, std::vector<short>& samples, int& nChannels)
{
    HMMIO h = mmioOpen(path, nullptr, MMIO_READ);
    if (!h)
        return false;
    KWaveChunks ck;
    WAVEFORMATEX f{};
    bool ok = ck.EnterFormat(h) && ck.fmt.cksize >= 16 &&
              mmioRead(h, &f, LONG(std::min<DWORD>(ck.fmt.cksize, sizeof f))) >= 16 &&
              f.wFormatTag == WAVE_FORMAT_PCM && (f.wBitsPerSample == 8 || f.wBitsPerSample == 16) &&
              f.nChannels >= 1 && mmioAscend(h, &ck.fmt) == 0 && mmioDescend(h, &ck.data, &ck.riff, MMIO_FINDCHUNK) == 0;
    std::vector<BYTE> bytes;
    if (ok) {
        // Never trust the size a file claims beyond what it holds.
        bytes.resize(std::min<size_t>(ck.data.cksize, 64u << 20));
        LONG got = mmioRead(h, bytes.data(), LONG(bytes.size()));
        bytes.resize(got > 0 ? size_t(got) : 0);
    }
    mmioClose(h);
    if (!ok)
        return false;
    nChannels = f.nChannels;
    samples.clear();
    if (f.wBitsPerSample == 8) {
        for (BYTE b : bytes)
            samples.push_back(short((int(b) - 128) * 256));
    } else {
        for (size_t i = 0; i + 1 < bytes.size(); i += 2)
            samples.push_back(short(bytes[i] | (bytes[i + 1] << 8)));
    }
    return true;
}

void SourceFromFile(InputSource& source, std::vector<short> samples, int nChannels)
{
    source = InputSource();
    source.fn = [samples = std::move(samples), nChannels](long frame, int channel) -> short {
        size_t i = size_t(frame) * size_t(nChannels) + size_t(std::min(channel, nChannels - 1));
        return i < samples.size() ? samples[i] : short(0);
    };
}

void World::Configure()
{
    const char* clock = std::getenv("KAVREL_AUDIO_CLOCK");
    bRealTime = clock && std::strcmp(clock, "realtime") == 0;
    nOut = nIn = EnvCount();
    source = InputSource();
    std::vector<short> samples;
    int nChannels = 1;
    if (const char* path = std::getenv("KAVREL_AUDIO_INPUT"); path && *path && ReadWaveFile(path, samples, nChannels))
        SourceFromFile(source, std::move(samples), nChannels);
}

class CVirtualBackend : public IWaveBackend {
public:
    UINT GetNumDevs(bool bInput) override
    {
        World& w = TheWorld();
        std::lock_guard<std::mutex> guard(w.lock);
        return bInput ? w.nIn : w.nOut;
    }
    MMRESULT OpenStream(CWaveDevice& device, UINT uDeviceID) override
    {
        World& w = TheWorld();
        std::lock_guard<std::mutex> guard(w.lock);
        if (MMRESULT r = w.failNextOpen; r != MMSYSERR_NOERROR) {
            w.failNextOpen = MMSYSERR_NOERROR;
            return r;
        }
        size_t played = w.played.size();
        if (!device.bInput)
            w.played.push_back({uDeviceID, device.Format, {}, true});
        auto stream = std::make_unique<CVirtualStream>(device, played);
        stream->openNs = w.clockNs;
        w.streams.push_back(stream.get());
        device.pStream = std::move(stream);
        if (w.bRealTime)
            w.StartPacer();
        return MMSYSERR_NOERROR;
    }
    MMRESULT InjectedBufferFailure(bool bPrepare) override
    {
        World& w = TheWorld();
        std::lock_guard<std::mutex> guard(w.lock);
        MMRESULT& r = bPrepare ? w.failNextPrepare : w.failNextWrite;
        return std::exchange(r, MMSYSERR_NOERROR);
    }
};

} // namespace

IWaveBackend& VirtualWaveBackend()
{
    static CVirtualBackend backend;
    return backend;
}

std::vector<short> VirtualPlayedStream::Samples16() const
{
    std::vector<short> out(Bytes.size() / 2);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = short(Bytes[2 * i] | (Bytes[2 * i + 1] << 8));
    return out;
}

void CVirtualAudio::Use()
{
    SelectVirtualWaveBackend();
    World& w = TheWorld();
    std::unique_lock<std::mutex> held(w.lock);
    w.StopPacer(held);
    w.Configure();
    w.clockNs = 0;
    for (CVirtualStream* s : w.streams)
        s->openNs = 0, s->timeline = 0;
    w.played.clear();
    w.failNextOpen = MMSYSERR_NOERROR;
    w.failNextPrepare = MMSYSERR_NOERROR;
    w.failNextWrite = MMSYSERR_NOERROR;
    if (w.bRealTime && !w.streams.empty())
        w.StartPacer();
}

void CVirtualAudio::SetDeviceCounts(UINT nOut, UINT nIn)
{
    World& w = TheWorld();
    std::lock_guard<std::mutex> guard(w.lock);
    w.nOut = nOut;
    w.nIn = nIn;
}

void CVirtualAudio::SetRealTimeClock(bool bRealTime)
{
    World& w = TheWorld();
    std::unique_lock<std::mutex> held(w.lock);
    w.bRealTime = bRealTime;
    if (!bRealTime)
        w.StopPacer(held);
    else if (!w.streams.empty())
        w.StartPacer();
}

bool CVirtualAudio::ClockIsManual()
{
    World& w = TheWorld();
    std::lock_guard<std::mutex> guard(w.lock);
    return !w.bRealTime;
}

void CVirtualAudio::AdvanceClock(std::chrono::nanoseconds dt)
{
    World& w = TheWorld();
    std::lock_guard<std::mutex> guard(w.lock);
    if (!w.bRealTime && dt.count() > 0)
        w.AdvanceTo(w.clockNs + dt.count());
}

void CVirtualAudio::AdvanceClockByFrames(DWORD nSamplesPerSec, long nFrames)
{
    if (nSamplesPerSec == 0 || nFrames <= 0)
        return;
    // Rounded up, so that the last of the frames has surely passed.
    __int128 ns = (__int128(nFrames) * 1000000000 + nSamplesPerSec - 1) / nSamplesPerSec;
    AdvanceClock(std::chrono::nanoseconds(std::int64_t(ns)));
}

std::chrono::nanoseconds CVirtualAudio::Clock()
{
    World& w = TheWorld();
    std::lock_guard<std::mutex> guard(w.lock);
    return std::chrono::nanoseconds(w.clockNs);
}

std::vector<VirtualPlayedStream> CVirtualAudio::PlayedStreams()
{
    World& w = TheWorld();
    std::lock_guard<std::mutex> guard(w.lock);
    return w.played;
}

void CVirtualAudio::SetInputSamples(std::vector<short> interleaved)
{
    World& w = TheWorld();
    std::lock_guard<std::mutex> guard(w.lock);
    w.source = InputSource();
    w.source.samples = std::move(interleaved);
    w.source.bSamples = true;
}

void CVirtualAudio::SetInputFunction(std::function<short(long nFrame, int nChannel)> source)
{
    World& w = TheWorld();
    std::lock_guard<std::mutex> guard(w.lock);
    w.source = InputSource();
    w.source.fn = std::move(source);
}

bool CVirtualAudio::SetInputWaveFile(const char* path)
{
    std::vector<short> samples;
    int nChannels = 1;
    if (!ReadWaveFile(path, samples, nChannels))
        return false;
    World& w = TheWorld();
    std::lock_guard<std::mutex> guard(w.lock);
    SourceFromFile(w.source, std::move(samples), nChannels);
    return true;
}

void CVirtualAudio::FailNextOpen(MMRESULT result)
{
    World& w = TheWorld();
    std::lock_guard<std::mutex> guard(w.lock);
    w.failNextOpen = result;
}

void CVirtualAudio::FailNextPrepare(MMRESULT result)
{
    World& w = TheWorld();
    std::lock_guard<std::mutex> guard(w.lock);
    w.failNextPrepare = result;
}

void CVirtualAudio::FailNextWrite(MMRESULT result)
{
    World& w = TheWorld();
    std::lock_guard<std::mutex> guard(w.lock);
    w.failNextWrite = result;
}
