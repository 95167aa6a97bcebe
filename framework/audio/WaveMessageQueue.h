// A notification target that keeps the devices' messages in order until
// the owner takes them on its own thread: for tests, and for players that
// wait for their buffers without a window.
#pragma once
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

#include "framework/audio/WaveAudio.h"

struct WaveMessage {
    UINT message;
    WPARAM device;
    LPARAM header;
    WAVEHDR* Header() const { return reinterpret_cast<WAVEHDR*>(header); }
};

class CWaveMessageQueue : public IWaveNotifySink {
public:
    void PostWaveMessage(UINT message, WPARAM device, LPARAM header) override;

    // Everything posted so far, oldest first; the queue is left empty.
    std::vector<WaveMessage> Take();
    // Hands the posted messages to a handler in order, on this thread,
    // including those the handler itself causes; returns how many.
    size_t Deliver(const std::function<void(const WaveMessage&)>& handler);
    // Waits until a message is there or the time has passed.
    bool WaitForMessage(std::chrono::milliseconds timeout);
    size_t Count();

private:
    std::mutex m_lock;
    std::condition_variable m_posted;
    std::deque<WaveMessage> m_messages;
};
