// The workshop's analysis document (.tbx) from a hostile file, opened as the
// workshop and `kavrel protocol` open it: the record read (the film, the
// sound objects on their levels, the two integers), the sound opened again,
// the record checked against it and the power of every cadre computed; then
// the protocol's text of its objects.
#include "framework/base/CFile.h"
#include "fuzz/FuzzSupport.h"
#include "kavrel/core/KWorkshopDocument.h"
#include "tembrix/KAnalysisProtocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    kfuzz::Messages ui;
    kfuzz::InputFile in(data, size, ".tbx");
    CKWaveFilm film;
    CObList objects;
    int nMaxLevel = -1, nNextPhoneObjectIndex = 1;
    // As the document layer opens a document: a malformed archive is refused.
    bool loaded = false;
    CFile file;
    if (file.Open(in.Path(), CFile::modeRead)) {
        try {
            CArchive ar(&file, CArchive::load);
            KSerializeWorkshopDocument(ar, film, objects, nMaxLevel, nNextPhoneObjectIndex);
            ar.Close();
            loaded = true;
        } catch (const CArchiveException&) {
        } catch (const CFileException&) {
        }
        file.Close();
    }
    std::vector<const CKPhoneObject*> list;
    POSITION pos = objects.GetHeadPosition();
    while (pos)
        list.push_back(static_cast<const CKPhoneObject*>(objects.GetNext(pos)));
    if (loaded && KOpenWorkshopFilm(film, objects, in.Path()))
        AnalysisProtocolText(film, list);
    for (const CKPhoneObject* po : list)
        delete po;
    return 0;
}
