#include "tembrix/KAnalysisProtocol.h"

#include <cstdio>

#include "framework/base/CFile.h"
#include "framework/base/Cp1251.h"
#include "kavrel/core/KDisplayFileExceptions.h"
#include "kavrel/core/KPhoneObject.h"
#include "kavrel/core/KWaveFilm.h"

std::string AnalysisProtocolText(const CKWaveFilm& film, const std::vector<const CKPhoneObject*>& objects)
{
    std::string text = "Протокол анализа звукового файла:\n";
    text += film.GetKWaveFilePathName().GetString();
    text += "\n\n";
    // Picked one by one, the smallest start first; a later object replaces
    // the choice only when it starts strictly earlier, so ties keep the
    // list's order.
    std::vector<bool> pending(objects.size(), true);
    for (size_t round = 0; round < objects.size(); ++round) {
        size_t best = objects.size();
        for (size_t i = 0; i < objects.size(); ++i)
            if (pending[i] && (best == objects.size() || objects[i]->nFirstSample < objects[best]->nFirstSample))
                best = i;
        pending[best] = false;
        const CKPhoneObject& po = *objects[best];
        const double t0 = film.GetTimeInSecondsFromSample(po.nFirstSample);
        const double t1 = float(film.GetTimeInSecondsFromSample(po.nLastSample));
        CString entry;
        entry.Format("\nНачало - %.2f с. Окончание - %.2f с. Длительность - %.2f с.\n%s:\n%s.\n", t0, t1, t1 - t0,
                     po.sName.GetString(), po.sComment.GetString());
        text += entry.GetString();
    }
    return text;
}

bool WriteAnalysisProtocol(const CString& sPath, const CKWaveFilm& film,
                           const std::vector<const CKPhoneObject*>& objects)
{
    std::string bytes;
    // A character the code page lacks is written as '?'; nothing is lost
    // silently beyond that.
    Utf8ToCp1251(AnalysisProtocolText(film, objects), bytes);
    CFile f;
    CFileException e;
    if (!f.Open(sPath, CFile::modeCreate | CFile::modeWrite, &e) ||
        (!bytes.empty() && !f.Write(bytes.data(), UINT(bytes.size())))) {
        const bool bCreated = f.IsOpen();
        if (bCreated)
            e = f.GetLastError();
        f.Abort();
        if (bCreated)
            std::remove(sPath); // no half-written protocol stays behind
        CKDisplayFileExceptions().ShowMessageBox(&e);
        return false;
    }
    f.Close();
    return true;
}
