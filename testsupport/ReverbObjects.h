// Reverberation documents for tests: a sound written from its samples, and
// the first document of a reverberation object over a span of it, made the
// way the workshop makes it.
#pragma once
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "kavrel/core/KWaveFilmHelpers.h"
#include "testsupport/OpenDocument.h"
#include "testsupport/TempFiles.h"
#include "testsupport/WavBytes.h"
#include "vornel/doc/VornelDoc.h"

namespace reverbtest {

struct ReverbObject {
    std::string wav, vrn;
};

// A mono 16-bit sound in dir (named sound.wav unless told) and an object
// of type 4 whose span is samples first..last; the film is the workshop's
// at NFFT 1024 with the first two cadres selected.
inline ReverbObject MakeReverbObject(const ktest::ScratchDir& dir, const std::vector<int>& samples, unsigned rate,
                                     int first, int last, const std::string& wavName = "sound.wav",
                                     const std::string& vrnName = "sound_1.vrn")
{
    ReverbObject t{dir / wavName, dir / vrnName};
    const wavbytes::Bytes bytes = wavbytes::pcm16(1, rate, samples);
    if (FILE* f = std::fopen(t.wav.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    CKWaveFilm film;
    const size_t dot = wavName.rfind('.');
    OpenKWaveFilmOnWholeFile(film, t.wav.c_str(), wavName.substr(0, dot).c_str(), 1024);
    film.SetSelectedFragmentAbsCadres(0, 1);
    CKPhoneObject po;
    po.nType = 4;
    po.nIndex = 1;
    po.nFirstSample = first;
    po.nLastSample = last;
    po.sPhoneObjectDocFilePathName = t.vrn.c_str();
    if (!CVornelDoc::SaveNewEmptyDocFile(&po, &film))
        t.vrn.clear();
    return t;
}

inline std::unique_ptr<CVornelDoc> OpenReverbDoc(const std::string& vrn)
{
    return ktest::OpenDocument<CVornelDoc>(vrn);
}

} // namespace reverbtest
