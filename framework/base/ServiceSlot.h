// The one instance of a replaceable service: a program or a test installs
// its own, and taking it away again leaves the built-in fallback in place,
// so that a caller always finds a service to talk to.
#pragma once

template <class I, class Fallback> class KServiceSlot {
public:
    constexpr KServiceSlot() : m_current(&m_fallback) {}
    KServiceSlot(const KServiceSlot&) = delete;
    KServiceSlot& operator=(const KServiceSlot&) = delete;
    I& Get() const { return *m_current; }
    // Installs service (nullptr: the fallback again); returns the one it replaces.
    I* Set(I* service)
    {
        I* old = m_current;
        m_current = service ? service : &m_fallback;
        return old;
    }

private:
    Fallback m_fallback;
    I* m_current;
};
