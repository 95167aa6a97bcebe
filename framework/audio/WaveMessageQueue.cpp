#include "framework/audio/WaveMessageQueue.h"

void CWaveMessageQueue::PostWaveMessage(UINT message, WPARAM device, LPARAM header)
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_messages.push_back({message, device, header});
    }
    m_posted.notify_all();
}

std::vector<WaveMessage> CWaveMessageQueue::Take()
{
    std::lock_guard<std::mutex> guard(m_lock);
    std::vector<WaveMessage> out(m_messages.begin(), m_messages.end());
    m_messages.clear();
    return out;
}

size_t CWaveMessageQueue::Deliver(const std::function<void(const WaveMessage&)>& handler)
{
    size_t n = 0;
    for (;;) {
        WaveMessage m;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            if (m_messages.empty())
                return n;
            m = m_messages.front();
            m_messages.pop_front();
        }
        handler(m);
        ++n;
    }
}

bool CWaveMessageQueue::WaitForMessage(std::chrono::milliseconds timeout)
{
    std::unique_lock<std::mutex> guard(m_lock);
    return m_posted.wait_for(guard, timeout, [this] { return !m_messages.empty(); });
}

size_t CWaveMessageQueue::Count()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_messages.size();
}
