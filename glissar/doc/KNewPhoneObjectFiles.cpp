#include "glissar/doc/KNewPhoneObjectFiles.h"

#include "framework/base/UserServices.h"
#include "glissar/doc/GlissarDoc.h"

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
KReverberationDocWriter g_reverberationDocWriter = nullptr;
} // namespace

void SetReverberationDocWriter(KReverberationDocWriter writer)
{
    g_reverberationDocWriter = writer;
}

KReverberationDocWriter GetReverberationDocWriter()
{
    return g_reverberationDocWriter;
}

bool WriteNewPhoneObjectFiles(CKPhoneObject* po, CKWaveFilm* pWF)
{
    switch (po->nType) {
    case 1:
    case 3:
        return CGlissarDoc::SaveNewEmptyDocFile(po, pWF);
    case 4:
        if (KReverberationDocWriter writer = GetReverberationDocWriter()) {
            if (writer(po, pWF))
                return true;
            AfxMessageBox("Error:\n\nCVornelDoc::SaveNewEmptyDocFile ( CKPhoneObject *pNew_PO, CKWaveFilm *pWF )");
            return false;
        }
        AfxMessageBox("Документ реверберационного объекта (*.vrn) пока не может быть создан: анализатор реверберации "
                      "ещё не входит в систему.");
        return false;
    default:
        return true;
    }
}
