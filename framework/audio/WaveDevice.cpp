#include "framework/audio/WaveDevice.h"

#include <algorithm>
#include <cstring>

void CWaveDevice::Post(UINT message, WAVEHDR* pwh)
{
    if (pTarget)
        pTarget->PostWaveMessage(message, WPARAM(this), LPARAM(pwh));
}

void CWaveDevice::Return(WAVEHDR* pwh)
{
    pwh->dwFlags = (pwh->dwFlags & ~DWORD(WHDR_INQUEUE)) | WHDR_DONE;
    Post(bInput ? MM_WIM_DATA : MM_WOM_DONE, pwh);
}

size_t CWaveDevice::Render(BYTE* pOut, size_t nBytes)
{
    std::lock_guard<std::mutex> guard(Lock);
    size_t done = 0;
    while (!Queue.empty()) {
        WAVEHDR* pwh = Queue.front();
        size_t left = pwh->dwBufferLength - std::min<size_t>(nHeadOffset, pwh->dwBufferLength);
        if (left > 0 && done == nBytes)
            break;
        size_t take = std::min(left, nBytes - done);
        if (take > 0)
            std::memcpy(pOut + done, pwh->lpData + nHeadOffset, take);
        done += take;
        nHeadOffset += take;
        if (take == left) {
            Queue.pop_front();
            nHeadOffset = 0;
            Return(pwh);
        }
    }
    std::memset(pOut + done, SilenceByte(Format), nBytes - done);
    return done;
}

void CWaveDevice::Capture(const BYTE* pIn, size_t nBytes)
{
    std::lock_guard<std::mutex> guard(Lock);
    if (!bStarted)
        return;
    size_t used = 0;
    while (!Queue.empty()) {
        WAVEHDR* pwh = Queue.front();
        size_t space = pwh->dwBufferLength - std::min(pwh->dwBytesRecorded, pwh->dwBufferLength);
        if (space > 0 && used == nBytes)
            break;
        size_t take = std::min(space, nBytes - used);
        if (take > 0)
            std::memcpy(pwh->lpData + pwh->dwBytesRecorded, pIn + used, take);
        used += take;
        pwh->dwBytesRecorded += DWORD(take);
        if (take == space) {
            Queue.pop_front();
            Return(pwh);
        }
    }
}
