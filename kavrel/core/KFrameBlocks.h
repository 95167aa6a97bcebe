// How the batch analyses of frames (pitch, formants) go through a sound: a
// block of frames at a time, its stretch read on the calling thread (a wave
// is read from one thread), its frames then shared out on every core.
#pragma once
#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

// The threads an analysis runs on: one per core, at most 8.
inline unsigned KAnalysisThreads()
{
    return std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
}

// The end of the block that begins at frame a of the ascending times: at
// most maxFrames frames, and frames far apart make a block of fewer frames,
// not a longer read.
inline size_t KFrameBlockEnd(const std::vector<double>& times, size_t a, size_t maxFrames)
{
    constexpr double kBlockSeconds = 30;
    size_t b = a + 1;
    while (b < times.size() && b - a < maxFrames && times[b] - times[a] < kBlockSeconds)
        ++b;
    return b;
}

// job(t) for every t below threads, job(0) on this thread.
template <class Job> void KOnEveryThread(unsigned threads, const Job& job)
{
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t)
        pool.emplace_back(job, t);
    job(0u);
    for (auto& t : pool)
        t.join();
}

// body(t, k) for frames k = a .. b-1, 16 at a time to whichever thread is free.
template <class Body> void KShareFrames(size_t a, size_t b, unsigned threads, const Body& body)
{
    std::atomic<size_t> next{a};
    KOnEveryThread(threads, [&](unsigned t) {
        for (size_t i; (i = next.fetch_add(16)) < b;)
            for (size_t k = i; k < std::min(b, i + 16); ++k)
                body(t, k);
    });
}
