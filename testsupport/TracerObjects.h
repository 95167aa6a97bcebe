// Tracer documents for tests: a sound written from its samples, and the
// first document of a micro-harmonic object over a stretch of it, made the
// way the workshop makes it.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "glissar/doc/GlissarDoc.h"
#include "glissar/doc/KNewPhoneObjectFiles.h"
#include "kavrel/core/KWaveFilmHelpers.h"
#include "testsupport/OpenDocument.h"
#include "testsupport/TempFiles.h"
#include "testsupport/WavBytes.h"

namespace tracertest {

struct TracerObject {
    std::string wav, gsr, kfw;
};

// A mono 16-bit sound in dir; an object of type 1 over cadres c0..c1 of its
// film at NFFT 1024 with the optimum cadre parameters.
inline TracerObject MakeTracerObject(const ktest::ScratchDir& dir, const std::vector<int>& samples, unsigned rate,
                                     long c0, long c1)
{
    TracerObject t{dir / "sound.wav", dir / "sound_1.gsr", dir / "sound_1.kfw"};
    const wavbytes::Bytes bytes = wavbytes::pcm16(1, rate, samples);
    if (FILE* f = std::fopen(t.wav.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    CKWaveFilm film;
    OpenKWaveFilmOnWholeFile(film, t.wav.c_str(), "sound", 1024);
    film.SetSelectedFragmentAbsCadres(c0, c1);
    CKPhoneObject po;
    po.nType = 1;
    po.nIndex = 1;
    po.nFirstSample = int(film.GetSelectedFragmentSample0());
    po.nLastSample = int(film.GetSelectedFragmentSample1());
    po.sPhoneObjectDocFilePathName = t.gsr.c_str();
    po.sPhoneObjectFloatWaveFilePathName = t.kfw.c_str();
    if (!WriteNewPhoneObjectFiles(&po, &film))
        t.gsr.clear();
    return t;
}

inline std::unique_ptr<CGlissarDoc> OpenTracerDoc(const std::string& gsr)
{
    return ktest::OpenDocument<CGlissarDoc>(gsr);
}

} // namespace tracertest
