// The reverberation analyser's document (.vrn) from a hostile file, opened
// as Vornel and `kavrel reverb` open it: the sound object, the film and the
// long spectrum of the object's stretch; then the lists of its maxima and
// minima written as the analyser writes them.
#include "fuzz/FuzzSupport.h"
#include "vornel/doc/VornelDoc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    kfuzz::Messages ui;
    kfuzz::InputFile in(data, size, ".vrn");
    auto* doc = static_cast<CVornelDoc*>(RUNTIME_CLASS(CVornelDoc)->CreateObject());
    if (doc->OnOpenDocument(in.Path())) {
        const kfuzz::InputFile maxima(nullptr, 0, ".xls"), minima(nullptr, 0, ".xls");
        doc->WriteExtremaListFile(maxima.Path(), true);
        doc->WriteExtremaListFile(minima.Path(), false);
    }
    delete doc;
    return 0;
}
