// The suite's WAV reader on a hostile file, as the batch tool's info,
// samples and power commands use it: the header checked, stretches of
// samples read across both ends of the data in either channel, the window
// moved over the file, the raw frames read in one pass (as they stand and
// as 16-bit samples), and the power of
// every cadre of a film over the whole file; then the pitch and formant
// tracks its sonogram would show.
#include <algorithm>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "kavrel/core/KFilmTracks.h"
#include "kavrel/core/KWave.h"
#include "kavrel/core/KWaveFilm.h"
#include "kavrel/core/KWaveFilmHelpers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    kfuzz::Messages ui;
    kfuzz::InputFile in(data, size, ".wav");
    {
        CKWave wave;
        std::vector<short> stretch(300);
        const bool opened = kfuzz::ReadEachChannel(wave, in, [&] {
            const long n = wave.GetKWaveSizeInSamples();
            for (const long first : {-150L, 0L, n / 2, n - 150, n + 10})
                wave.FillKWaveBufFromSampleNSamples(stretch.data(), first, long(stretch.size()));
            for (const long s : {0L, n / 2, n - 1})
                wave.PositKWaveWindowOnSample(s);
        });
        if (!opened)
            return 0;
        const long n = wave.GetKWaveSizeInSamples();
        wave.SetKWaveWindowWidthInSamples(4096);
        wave.PositKWaveWindowOnSample(n);
        std::vector<unsigned char> frames(size + 4);
        if (wave.SeekBlockAlignedWaveSample(0) != -1)
            wave.ReadBlockAlignedWaveSamples(frames.data(), long(frames.size()) / wave.GetKWaveBlockAlign());
        // The same frames as 16-bit samples of every channel, as the edits read them.
        std::vector<short> wide(frames.size() / 2 + 8);
        if (wave.SeekBlockAlignedWaveSample(0) != -1)
            wave.ReadBlockAlignedWaveSamples16(wide.data(), long(wide.size()) / wave.GetKWaveNChannels());
    }
    CKWaveFilm film;
    if (!OpenKWaveFilmOnWholeFile(film, in.Path(), "fuzz", 1024))
        return 0;
    film.PowerCreate();
    // The sonogram's pitch and formant overlays over the first cadres and
    // their values at the caret, with the workshop's parameters.
    CKFilmTracks tracks;
    const long shown = std::min(film.GetNCadres(), 300L);
    std::vector<double> f0;
    tracks.Pitch(film, 0, shown, f0);
    std::vector<const KFormantFrame*> formants;
    tracks.Formants(film, 0, shown, formants);
    tracks.AtCadre(film, shown / 2, true, true);
    return 0;
}
