// The film's record and the sound-object list of a document from a hostile
// archive, on their own: every field read and range-checked before anything
// is sized from it. A record once read is stored again, and what was stored
// must read back, since a document saved by the suite is opened by it.
#include <vector>

#include "framework/base/CObList.h"
#include "fuzz/FuzzSupport.h"
#include "kavrel/core/KPhoneObject.h"
#include "kavrel/core/KWaveFilm.h"

namespace {

void deleteAll(CObList& list)
{
    POSITION pos = list.GetHeadPosition();
    while (pos)
        delete list.GetNext(pos);
    list.RemoveAll();
}

// Loads bytes as a film record and an object list; false when refused.
bool load(std::vector<BYTE>& bytes, CKWaveFilm& film, CObList& list)
{
    try {
        CArchive ar(&bytes, CArchive::load);
        film.KSerialize(ar);
        list.Serialize(ar);
        ar.Close();
        return true;
    } catch (const CArchiveException&) {
    } catch (const CFileException&) {
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    kfuzz::Messages ui;
    std::vector<BYTE> bytes(data, data + size);
    CKWaveFilm film;
    CObList list;
    if (load(bytes, film, list)) {
        std::vector<BYTE> stored;
        {
            CArchive ar(&stored, CArchive::store);
            film.KSerialize(ar);
            list.Serialize(ar);
            ar.Close();
        }
        // Read as a document of its own: its messages are counted afresh.
        kfuzz::Messages reloadUi;
        CKWaveFilm again;
        CObList againList;
        if (!load(stored, again, againList)) {
            std::fprintf(stderr, "Записанная заново запись сонофильма не читается\n");
            std::abort();
        }
        deleteAll(againList);
    }
    deleteAll(list);
    return 0;
}
