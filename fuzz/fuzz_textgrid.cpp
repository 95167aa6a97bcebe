// Praat's TextGrid from a hostile file, read as the workshop's import and
// kavrel make-document --textgrid read one: the text decoded and parsed,
// the message of a refusal made, then the intervals placed as sound objects
// on a sound of 10 s at 16 kHz and the grid of those objects written again.
#include "fuzz/FuzzSupport.h"
#include "kavrel/core/KTextGrid.h"
#include "kavrel/core/KTextGridObjects.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    kfuzz::Messages ui;
    kfuzz::InputFile in(data, size, ".TextGrid");
    KTextGrid grid;
    KTextGridError error;
    if (!KReadTextGridFile(in.Path(), grid, error)) {
        KTextGridErrorMessage(in.Path(), error);
        return 0;
    }
    constexpr long kRate = 16000, kSize = 10 * kRate;
    KTextGridImport placed;
    CString refusal;
    if (!KPlaceTextGridObjects(grid, {}, kRate, kSize, placed, refusal))
        return 0;
    KTextGridImportReport(placed);
    std::vector<CKPhoneObject> objects(placed.objects.size());
    std::vector<const CKPhoneObject*> list;
    for (size_t k = 0; k < objects.size(); ++k) {
        objects[k].sName = placed.objects[k].sName;
        objects[k].nFirstSample = placed.objects[k].nFirstSample;
        objects[k].nLastSample = placed.objects[k].nLastSample;
        objects[k].nLevel = placed.objects[k].nLevel;
        list.push_back(&objects[k]);
    }
    const std::string text = KTextGridLongText(KTextGridOfPhoneObjects(list, kRate, kSize));
    // What is written reads back.
    KTextGrid again;
    if (!KReadTextGrid(text, again, error))
        std::abort();
    return 0;
}
