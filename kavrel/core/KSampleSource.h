// Where the pitch and formant analyses take their samples from: a sound of
// one channel read as floats on the 16-bit scale (a sample of 1000 reads
// 1000.0), silence outside it. The batch tool reads a file, the views the
// document's wave, the tests an array.
#pragma once
#include <vector>

class CKWave;

class KSampleSource {
public:
    virtual ~KSampleSource() = default;
    virtual long Size() const = 0;      // samples
    virtual double Rate() const = 0;    // samples per second
    // Samples first .. first+n-1 into out; zeros for those outside 0 .. Size()-1.
    virtual void Read(long first, long n, float* out) const = 0;
};

// Samples held in memory.
class CKArraySampleSource : public KSampleSource {
public:
    CKArraySampleSource(std::vector<float> samples, double rate) : m_samples(std::move(samples)), m_rate(rate) {}
    long Size() const override { return long(m_samples.size()); }
    double Rate() const override { return m_rate; }
    void Read(long first, long n, float* out) const override;

private:
    std::vector<float> m_samples;
    double m_rate;
};

// The analysed channel of a wave, read through the wave's own reader (so
// from one thread at a time: the analyses read each stretch once, from the
// thread that called them).
class CKWaveSampleSource : public KSampleSource {
public:
    explicit CKWaveSampleSource(CKWave& wave) : m_wave(wave) {}
    long Size() const override;
    double Rate() const override;
    void Read(long first, long n, float* out) const override;

private:
    CKWave& m_wave;
};

// The largest |x - mean| of the whole source, read in blocks: the pitch
// analysis's reference for silence.
double KSourceAbsolutePeak(const KSampleSource& source);
