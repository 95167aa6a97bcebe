#include "glissar/doc/KNewPhoneObjectFiles.h"

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

bool WriteNewPhoneObjectFiles(CKPhoneObject* po, CKWaveFilm* pWF)
{
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
