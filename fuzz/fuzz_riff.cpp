// The RIFF layer on a hostile file: the WAVE form found, every chunk of it
// and of its lists descended into, read and ascended from, and the chunks
// the WAV readers look for found by name from the start of the form; every
// "fmt " record parsed, and the start of a file that is no form described.
#include <string>

#include "framework/base/Mmio.h"
#include "framework/base/WavePcm.h"
#include "fuzz/FuzzSupport.h"

namespace {

constexpr FOURCC kWave = mmioFOURCC('W', 'A', 'V', 'E');
constexpr FOURCC kList = mmioFOURCC('L', 'I', 'S', 'T');
constexpr FOURCC kFmt = mmioFOURCC('f', 'm', 't', ' ');

void walk(HMMIO h, const MMCKINFO& parent, int depth)
{
    static char body[4096];
    for (;;) {
        MMCKINFO ck;
        if (mmioDescend(h, &ck, &parent, 0) != MMSYSERR_NOERROR)
            return;
        if (ck.ckid == kList && depth < 4)
            walk(h, ck, depth + 1);
        else {
            const LONG got = mmioRead(h, body, LONG(ck.cksize < sizeof body ? ck.cksize : sizeof body));
            // Every "fmt " record parsed as the readers parse theirs.
            if (ck.ckid == kFmt && got > 0) {
                KPcmLayout layout;
                std::string why;
                if (KParsePcmFormat(reinterpret_cast<const BYTE*>(body), size_t(got), layout, why))
                    (void)KPcmSampleTo16(reinterpret_cast<const BYTE*>(body), layout);
            }
        }
        if (mmioAscend(h, &ck, 0) != MMSYSERR_NOERROR)
            return;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    kfuzz::Messages ui;
    kfuzz::InputFile in(data, size, ".wav");
    (void)KDescribeFileStart(data, size);
    MMIOINFO info;
    HMMIO h = mmioOpen(in.Path(), &info, MMIO_READ | MMIO_DENYNONE);
    if (!h)
        return 0;
    MMCKINFO riff;
    riff.fccType = kWave;
    if (mmioDescend(h, &riff, nullptr, MMIO_FINDRIFF) == MMSYSERR_NOERROR) {
        walk(h, riff, 0);
        for (const FOURCC id : {mmioFOURCC('f', 'm', 't', ' '), mmioFOURCC('d', 'a', 't', 'a')}) {
            if (mmioSeek(h, (long long)riff.dwDataOffset + 4, SEEK_SET) == -1)
                break;
            MMCKINFO ck;
            ck.ckid = id;
            if (mmioDescend(h, &ck, &riff, MMIO_FINDCHUNK) == MMSYSERR_NOERROR) {
                char head[16];
                mmioRead(h, head, sizeof head);
                mmioSeek(h, 0, SEEK_END);
                mmioSeek(h, -(long long)ck.cksize, SEEK_CUR);
            }
        }
        if (mmioSeek(h, (long long)riff.dwDataOffset + 4, SEEK_SET) != -1) {
            MMCKINFO info;
            info.fccType = mmioFOURCC('I', 'N', 'F', 'O');
            if (mmioDescend(h, &info, &riff, MMIO_FINDLIST) == MMSYSERR_NOERROR)
                walk(h, info, 1);
        }
    }
    mmioClose(h, 0);
    return 0;
}
