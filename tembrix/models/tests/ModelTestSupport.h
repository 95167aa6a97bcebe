// Films for the model tests: a WAV file of given samples in the test's own
// folder, opened as the workshop's film of a new document.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "kavrel/core/KWaveFilmHelpers.h"
#include "testsupport/TempFiles.h"
#include "testsupport/WavBytes.h"

namespace ktest {

struct FilmOnFile {
    FilmOnFile(const std::string& name, unsigned rate, const std::vector<int>& samples, int nfft = 1024)
        : path(dir / (name + ".wav"))
    {
        const wavbytes::Bytes b = wavbytes::pcm16(1, rate, samples);
        FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(b.data(), 1, b.size(), f);
        std::fclose(f);
        bOpen = OpenKWaveFilmOnWholeFile(film, path.c_str(), name.c_str(), nfft);
        // As the SigmaFr dialog's OK leaves a new document's film.
        if (bOpen) {
            film.SetSigmaFrCadreStepAndChannel(nfft, film.GetCadreStepInSamples(), SigmaFrAsShown(film.GetSigmaFr()), 0);
            film.SetFirstAndLastSample(0, film.GetKWaveSizeInSamples());
        }
    }
    ScratchDir dir;
    std::string path;
    CKWaveFilm film;
    bool bOpen = false;
};

} // namespace ktest
