// The tracer's document (.gsr, .ocn) from a hostile file, opened as Glissar
// and `kavrel traces` open it: the sound object, the film, the trace status
// of every bin of every cadre, the rebuilt signal from the .kfw beside it,
// the spectra of the cadres and the peaks of their maxima; then every
// visible trace added to the rebuilt signal.
//
// The .kfw can be fuzzed with the document: where KAVREL_FUZZ_KFW names the
// float wave file that the seeds' documents name, whatever follows the
// marker "KFW-DATA" in the input is that file's content (nothing follows in
// an input without the marker). The harness writes that one path only.
#include <algorithm>
#include <cstring>

#include "fuzz/FuzzSupport.h"
#include "glissar/doc/GlissarDoc.h"

namespace {

constexpr char kMarker[] = "KFW-DATA";
constexpr size_t kMarkerSize = sizeof kMarker - 1;

void writeFloatWave(const char* path, const uint8_t* data, size_t size)
{
    FILE* f = std::fopen(path, "wb");
    if (!f) {
        std::perror(path);
        std::abort();
    }
    if (size)
        std::fwrite(data, 1, size, f);
    std::fclose(f);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    size_t docSize = size;
    if (const char* kfw = std::getenv("KAVREL_FUZZ_KFW")) {
        const uint8_t* end = data + size;
        const uint8_t* at = std::search(data, end, kMarker, kMarker + kMarkerSize);
        docSize = size_t(at - data);
        const uint8_t* wave = at == end ? end : at + kMarkerSize;
        writeFloatWave(kfw, wave, size_t(end - wave));
    }
    kfuzz::Messages ui;
    kfuzz::InputFile in(data, docSize, ".gsr");
    auto* doc = static_cast<CGlissarDoc*>(RUNTIME_CLASS(CGlissarDoc)->CreateObject());
    if (doc->OnOpenDocument(in.Path()))
        doc->OnAddAllVisibleTraces();
    delete doc;
    return 0;
}
