#include "glissar/doc/KNewPhoneObjectFiles.h"

#include <sys/stat.h>

#include "framework/base/UserServices.h"
#include "glissar/doc/GlissarDoc.h"
#include "vornel/doc/VornelDoc.h"

void SetNewPhoneObjectFilePathNames(CKPhoneObject* po, const CString& sDocFolder, const CString& sTitle)
{
    CString base;
    base.Format("%s%s_%i.", sDocFolder.GetString(), sTitle.GetString(), po->nIndex);
    po->sPhoneObjectDocFilePathName = base;
    if (po->nType < 1 || po->nType > 4)
        return;
    po->sPhoneObjectFloatWaveFilePathName.Format("%s%s_%i.kfw", sDocFolder.GetString(), sTitle.GetString(),
                                                 po->nIndex);
    static const char* const kEndings[5] = {"", "gsr", "ksg", "ocn", "vrn"};
    po->sPhoneObjectDocFilePathName += kEndings[po->nType];
}

namespace {

bool Exists(const CString& path)
{
    struct stat st;
    return ::lstat(path.GetString(), &st) == 0;
}

} // namespace

bool PhoneObjectFilesExist(const CString& sDocFolder, const CString& sTitle, int nIndex)
{
    for (const char* ending : {"gsr", "ksg", "ocn", "vrn", "kfw"}) {
        CString path;
        path.Format("%s%s_%i.%s", sDocFolder.GetString(), sTitle.GetString(), nIndex, ending);
        if (Exists(path))
            return true;
    }
    return false;
}

bool WriteNewPhoneObjectFiles(CKPhoneObject* po, CKWaveFilm* pWF)
{
    const bool writesDocument = po->nType == 1 || po->nType == 3 || po->nType == 4;
    const bool writesFloatWave = po->nType == 1 || po->nType == 3;
    for (const CString* path : {writesDocument ? &po->sPhoneObjectDocFilePathName : nullptr,
                                writesFloatWave ? &po->sPhoneObjectFloatWaveFilePathName : nullptr})
        if (path && Exists(*path)) {
            AfxMessageBox("Файл уже существует и не будет перезаписан: " + *path, MB_ICONEXCLAMATION);
            return false;
        }
    switch (po->nType) {
    case 1:
    case 3:
        return CGlissarDoc::SaveNewEmptyDocFile(po, pWF);
    case 4:
        return CVornelDoc::SaveNewEmptyDocFile(po, pWF);
    default:
        return true;
    }
}
