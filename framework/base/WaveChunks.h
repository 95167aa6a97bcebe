// The chunks a reader of a WAVE file descends into: the RIFF form, its
// "fmt " and its "data", each named for mmioDescend to find.
#pragma once
#include "framework/base/Mmio.h"

struct KWaveChunks {
    MMCKINFO riff, fmt, data;
    KWaveChunks()
    {
        riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
        fmt.ckid = mmioFOURCC('f', 'm', 't', ' ');
        data.ckid = mmioFOURCC('d', 'a', 't', 'a');
    }
    // Into the form and on into its "fmt " chunk, where the format is read.
    bool EnterFormat(HMMIO h)
    {
        return mmioDescend(h, &riff, nullptr, MMIO_FINDRIFF) == 0 && mmioDescend(h, &fmt, &riff, MMIO_FINDCHUNK) == 0;
    }
};
