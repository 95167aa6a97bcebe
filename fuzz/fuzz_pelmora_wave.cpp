// Pelmora's own WAV reader on a hostile file: the header checked and the
// whole of either channel read, as the noise test reads its sources.
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "pelmora/KWave.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    kfuzz::Messages ui;
    kfuzz::InputFile in(data, size, ".wav");
    CKWave wave;
    std::vector<double> samples;
    kfuzz::ReadEachChannel(wave, in, [&] { wave.ReadWholeKWave(samples); });
    return 0;
}
