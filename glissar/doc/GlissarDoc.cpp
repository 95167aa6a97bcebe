#include "glissar/doc/GlissarDoc.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "framework/base/UserServices.h"
#include "kavrel/core/KDisplayFileExceptions.h"
#include "kavrel/views/DialogPhoneObjectProperties.h"
#include "kavrel/views/KFilmViewState.h"
#include "kavrel/views/KWaveView.h"

IMPLEMENT_DYNCREATE(CGlissarDoc, CDocument)

CGlissarDocHooks& GlissarDocHooks()
{
    static CGlissarDocHooks hooks;
    return hooks;
}

namespace {

const char* const kSigmaFrQuestion =
    "Эта операция приведет к уничтожению всех старых следов данного фонообъекта.\nВы действительно хотите уничтожить "
    "всю информацию о следах в данном фонообъекте и начать выделение этих следов при новом разрешении по частоте и по "
    "времени?";
const char* const kAnalysisStopped = "Анализ прерван пользователем.\n\nПрограмма завершает работу, документ не изменён.";

} // namespace

CGlissarDoc::CGlissarDoc() : pPhoneObject(new CKPhoneObject)
{
    MapCommandAndUpdate(ID_GLISSAR_SHOW_TRACES, &CGlissarDoc::OnShowTraces, &CGlissarDoc::OnUpdateShowTraces);
    MapCommandAndUpdate(ID_GLISSAR_SHOW_ONLY_TRACES, &CGlissarDoc::OnShowOnlyTraces, &CGlissarDoc::OnUpdateShowOnlyTraces);
    MapCommand(ID_GLISSAR_SET_SIGMA_FR, &CGlissarDoc::OnSetSigmaFr);
    MapCommandAndUpdate(ID_GLISSAR_SYNC_OSCILLOGRAM, &CGlissarDoc::OnSyncOscillogram, &CGlissarDoc::OnUpdateSyncOscillogram);
    MapCommand(ID_GLISSAR_ADD_ALL_VISIBLE, &CGlissarDoc::OnAddAllVisibleTraces);
    MapCommand(ID_GLISSAR_REMOVE_ALL, &CGlissarDoc::OnRemoveAllTraces);
    MapCommandAndUpdate(ID_GLISSAR_SHOW_OSCILLOGRAM, &CGlissarDoc::OnShowOscillogram, &CGlissarDoc::OnUpdateShowOscillogram);
    MapCommand(ID_GLISSAR_PHONE_OBJECT_PROPERTIES, &CGlissarDoc::OnPhoneObjectProperties);
    MapCommandAndUpdate(ID_GLISSAR_EDIT_TRACES, &CGlissarDoc::OnEditTraces, &CGlissarDoc::OnUpdateEditTraces);
    MapCommandAndUpdate(ID_GLISSAR_TOOL_ADDS, &CGlissarDoc::OnToolAdds, &CGlissarDoc::OnUpdateToolAdds);
    MapCommandAndUpdate(ID_GLISSAR_TOOL_REMOVES, &CGlissarDoc::OnToolRemoves, &CGlissarDoc::OnUpdateToolRemoves);
    MapCommandAndUpdate(ID_GLISSAR_FOLLOW_MAXIMA, &CGlissarDoc::OnFollowMaxima, &CGlissarDoc::OnUpdateFollowMaxima);
    MapCommandAndUpdate(ID_GLISSAR_QUICK_EDITING, &CGlissarDoc::OnQuickEditing, &CGlissarDoc::OnUpdateQuickEditing);
    MapCommandAndUpdate(ID_GLISSAR_SHOW_ONLY_MARKED, &CGlissarDoc::OnShowOnlyMarkedTraces, &CGlissarDoc::OnUpdateShowOnlyMarkedTraces);
}

CGlissarDoc::~CGlissarDoc()
{
    pWaveFilm.DestroyKWaveViews();
    FreeSpectraArrays();
    delete pPhoneObject;
}

void CGlissarDoc::FreeSpectraArrays()
{
    delete[] pSpectraParam_A_F;
    delete[] pSpectraParam_D_P;
    delete[] pGaussWindow;
    pSpectraParam_A_F = nullptr;
    pSpectraParam_D_P = nullptr;
    pGaussWindow = nullptr;
}

void CGlissarDoc::DeleteContents()
{
    FreeSpectraArrays();
    EmptyDirtyRegion();
    bToolStroke = false;
}

BOOL CGlissarDoc::OnNewDocument()
{
    AfxMessageBox("Это подчиненная программа.\nОна запускается автоматически только из программы Tembrix.exe !");
    return FALSE;
}

// ---- the file ----------------------------------------------------------------

void CGlissarDoc::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        pPhoneObject->Serialize(ar);
        pWaveFilm.KSerialize(ar);
        ar << bInitiateTraceStatus << bReserved;
        const long long nBytes = (long long)(pWaveFilm.GetNFFT() / 2) * pWaveFilm.GetNCadres();
        for (long long i = 0; i < nBytes; ++i)
            ar << (i < LocalMaxAmplPosition.nSize ? LocalMaxAmplPosition.pArray[i] : (unsigned char)0);
        ar << nToolsSize;
        // The marks and the rebuilt signal belong together: a document whose
        // .kfw could not be written is not saved.
        if (pFloatWave.HasFloatWaveBuffer() &&
            !pFloatWave.SaveFloatWaveBufferToFile(pPhoneObject->sPhoneObjectFloatWaveFilePathName))
            ar.ThrowArchive(CArchiveException::genericException);
        return;
    }
    pPhoneObject->Serialize(ar);
    pWaveFilm.KSerialize(ar);
    ar >> bInitiateTraceStatus >> bReserved;
    const long long nBytes = (long long)(pWaveFilm.GetNFFT() / 2) * pWaveFilm.GetNCadres();
    // Sized from the film just read: checked against what the file still holds.
    if (nBytes > ar.GetRemaining())
        ar.ThrowArchive(CArchiveException::endOfFile);
    if (nBytes > 0x7FFFFFFFLL || !LocalMaxAmplPosition.SetSize(int(nBytes))) {
        AfxMessageBox("Не создался и не загрузился массив LocalMaxAmplPosition.pArray в CGlissarDoc::Serialize()");
        ar.ThrowArchive(CArchiveException::genericException);
    }
    if (nBytes > 0)
        ar.ReadExact(LocalMaxAmplPosition.pArray, UINT(nBytes));
    // Marks no spectrum can make would have the peaks of neighbouring maxima
    // overwrite each other, or read a bin outside the spectrum.
    const int B = GetNBins();
    for (long long at = 0; B > 0 && at + B <= nBytes; at += B)
        if (!TraceStatusRowIsPossible(LocalMaxAmplPosition.pArray + at, B))
            ar.ThrowArchive(CArchiveException::genericException);
    ar >> nToolsSize;
}

BOOL CGlissarDoc::OnOpenDocument(const char* lpszPathName)
{
    if (!CDocument::OnOpenDocument(lpszPathName))
        return FALSE;

    const CString path = pWaveFilm.GetKWaveFilePathName();
    const CString title = pWaveFilm.GetKWaveFileTitle();
    // A sound the record's reading could not open (the user asked already)
    // is not opened twice more only for the readers to say so again.
    if (pWaveFilm.KWaveIsGood()) {
        pWaveFilm.pS0->Wave.OpenKWaveFile(path, title);
        pWaveFilm.pS1->Wave.OpenKWaveFile(path, title);
    }
    if (!pWaveFilm.pS0->Wave.KWaveIsGood() || !pWaveFilm.pS1->Wave.KWaveIsGood()) {
        AfxMessageBox("В CGlissarDoc не отработали функции pWaveFilm->pS0->OpenKWaveFile() и "
                      "pWaveFilm->pS1->OpenKWaveFile()");
        return FALSE;
    }

    pWaveFilm.SetNFFTandLeaveCadreParamsUnchangable(pWaveFilm.GetNFFT());
    // A step of zero cannot divide the object into cadres, and a status array
    // of another size than the cadres would be read past its end.
    bool geometryOK = pWaveFilm.GetCadreStepInSamples() > 0;
    if (geometryOK) {
        pWaveFilm.SetFirstAndLastSample(pPhoneObject->nFirstSample, pPhoneObject->nLastSample);
        geometryOK = (long long)(pWaveFilm.GetNFFT() / 2) * pWaveFilm.GetNCadres() == LocalMaxAmplPosition.nSize;
    }
    if (!geometryOK || !pWaveFilm.IsInternalStatusOK()) {
        AfxMessageBox("В CGlissarDoc не отработала функция pWaveFilm->IsInternalStatusOK()");
        return FALSE;
    }

    if (!pFloatWave.CreateKFloatWave(pWaveFilm.GetLengthInSamples())) {
        AfxMessageBox("В CGlissarDoc не отработала функция OnOpenDocument() - pWaveFilm->pFloatWave->CreateKFloatWave "
                      "( pWaveFilm->GetLengthInSamples() )");
        return FALSE;
    }
    if (!pFloatWave.LoadFloatWaveBufferFromFile(pPhoneObject->sPhoneObjectFloatWaveFilePathName)) {
        AfxMessageBox("В CGlissarDoc не отработала функция OnOpenDocument() - "
                      "pWaveFilm->pFloatWave->LoadFloatWaveBufferFromFile ( "
                      "pPhoneObject->sPhoneObjectFloatWaveFilePathName )");
        return FALSE;
    }

    CKWaveFilmHint hint(&pWaveFilm);
    UpdateAllViews(nullptr, HintNewFilm, &hint);
    if (!CreateNewSpectraArrays())
        return FALSE;
    if (!CalculateAllSpectra(bInitiateTraceStatus)) {
        if (bAnalysisStopped)
            AfxMessageBox(kAnalysisStopped, MB_OK | MB_ICONINFORMATION);
        return FALSE;
    }
    bInitiateTraceStatus = false;
    // Without windows (the batch tool) there is no frame to hold the oscillogram.
    CWnd* frame = GlissarDocHooks().FirstViewFrame ? GlissarDocHooks().FirstViewFrame(this) : nullptr;
    if (frame) {
        pWaveFilm.CreateKWaveView(frame);
        pWaveFilm.ShowKWaveWindow(false);
    }
    return TRUE;
}

bool CGlissarDoc::CreateNewSpectraArrays()
{
    FreeSpectraArrays();
    const long long n = (long long)(pWaveFilm.GetNFFT() / 2) * pWaveFilm.GetNCadres();
    pSpectraParam_A_F = new (std::nothrow) float[size_t(n > 0 ? n : 1)];
    if (!pSpectraParam_A_F) {
        AfxMessageBox("В CGlissarDoc не отработала функция CreateNewSpectraArrays() - pSpectraParam_A_F");
        return false;
    }
    pSpectraParam_D_P = new (std::nothrow) float[size_t(n > 0 ? n : 1)];
    if (!pSpectraParam_D_P) {
        AfxMessageBox("В CGlissarDoc не отработала функция CreateNewSpectraArrays() - pSpectraParam_D_P");
        return false;
    }
    const int N = pWaveFilm.GetNFFT();
    pGaussWindow = new (std::nothrow) double[size_t(N > 0 ? N : 1)];
    if (!pGaussWindow) {
        AfxMessageBox("В CGlissarDoc не отработала функция CreateNewSpectraArrays() - pGaussWindow");
        return false;
    }
    return true;
}

bool CGlissarDoc::CreateNewLocalMaxAmplPositionArray()
{
    const long long n = (long long)(pWaveFilm.GetNFFT() / 2) * pWaveFilm.GetNCadres();
    if (n > 0x7FFFFFFFLL || !LocalMaxAmplPosition.SetSize(int(n))) {
        AfxMessageBox("В CGlissarDoc не отработала функция CreateNewLocalMaxAmplPositionArray()");
        return false;
    }
    if (n > 0)
        std::memset(LocalMaxAmplPosition.pArray, 0, size_t(n));
    pFloatWave.ClearKFloatWave();
    return true;
}

bool CGlissarDoc::SaveNewEmptyDocFile(CKPhoneObject* pNewPO, CKWaveFilm* pWF)
{
    CGlissarDoc* doc = static_cast<CGlissarDoc*>(RUNTIME_CLASS(CGlissarDoc)->CreateObject());
    if (!doc)
        return false;
    doc->bInitiateTraceStatus = true;
    doc->nToolsSize = 2;
    doc->pPhoneObject->InitializeFromAnotherKPhoneObject(pNewPO);
    doc->pWaveFilm.InitializeFromSelectedFragmentAnotherKWaveFilm(pWF);
    bool ok = doc->CreateNewLocalMaxAmplPositionArray() &&
              doc->OnSaveDocument(pNewPO->sPhoneObjectDocFilePathName);
    delete doc;
    if (!ok) {
        AfxMessageBox("Error:\nCGlissarDoc::\nOnSaveDocument ( po->sPhoneObjectDocFilePathName )");
        return false;
    }

    CFile file;
    CFileException fe;
    const CString& kfw = pNewPO->sPhoneObjectFloatWaveFilePathName;
    if (!file.Open(kfw, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive, &fe)) {
        fe.m_strFileName = kfw;
        CKDisplayFileExceptions().ShowMessageBox(&fe);
        return false;
    }
    const long long n = (long long)pNewPO->nLastSample - pNewPO->nFirstSample + 1;
    static const float zeros[4096] = {};
    for (long long done = 0; done < n;) {
        const long long part = std::min<long long>(n - done, 4096);
        if (!KWriteFloatWaveBytes(file, zeros, UINT(part * 4), kfw))
            return false;
        done += part;
    }
    file.Close();
    return true;
}

// ---- commands -----------------------------------------------------------------

void CGlissarDoc::RedrawAllViews()
{
    UpdateAllViews(nullptr);
}

void CGlissarDoc::OnShowTraces()
{
    bShowTraces = !bShowTraces;
    if (bShowTraces)
        bShowOnlyTraces = false;
    RedrawAllViews();
}

void CGlissarDoc::OnShowOnlyTraces()
{
    bShowOnlyTraces = !bShowOnlyTraces;
    if (bShowOnlyTraces)
        bShowTraces = false;
    RedrawAllViews();
}

void CGlissarDoc::OnSetSigmaFr()
{
    if (AfxMessageBox(kSigmaFrQuestion, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    if (pWaveFilm.DialogSetSigmaFr() != IDOK)
        return;
    pWaveFilm.SetFirstAndLastSample(pPhoneObject->nFirstSample, pPhoneObject->nLastSample);
    const char* failure = nullptr;
    // The new step changes the object's length in whole cadres: the rebuilt
    // signal takes that length, or atoms would be written past its end.
    if (!CreateNewLocalMaxAmplPositionArray() || !pFloatWave.CreateKFloatWave(pWaveFilm.GetLengthInSamples()))
        failure = "Не хватает памяти для продолжения работы!\n\nCreateNewLocalMaxAmplPositionArray()\n\nРабота будет прервана.";
    else if (!CreateNewSpectraArrays())
        failure = "Не хватает памяти для продолжения работы!\n\nCreateNewSpectraArrays()\n\nРабота будет прервана.";
    else if (!CalculateAllSpectra(true))
        failure = bAnalysisStopped ? kAnalysisStopped
                                   : "Не удалось рассчитать все спектры!\n\nCalculateAllSpectra()\n\nРабота будет прервана.";
    if (failure) {
        AfxMessageBox(failure, MB_OK | MB_ICONSTOP);
        if (GlissarDocHooks().EndProgram)
            GlissarDocHooks().EndProgram(this);
        return;
    }
    EmptyDirtyRegion();
    SetModifiedFlag();
    CKWaveFilmHint hint(&pWaveFilm);
    UpdateAllViews(nullptr, HintNewFilm, &hint);
}

void CGlissarDoc::OnSyncOscillogram()
{
    pWaveFilm.MoveCaretOnlyWithCtrl = !pWaveFilm.MoveCaretOnlyWithCtrl;
    if (pWaveFilm.MoveCaretOnlyWithCtrl)
        pWaveFilm.SetKCaretCadre(pWaveFilm.GetKCaretCadre());
}

void CGlissarDoc::OnAddAllVisibleTraces()
{
    pFloatWave.ClearKFloatWave();
    const long long n = LocalMaxAmplPosition.nSize;
    unsigned char* s = LocalMaxAmplPosition.pArray;
    for (long long i = 0; i < n; ++i) {
        s[i] &= ~TRACE_IN_SYNTHESIS;
        if ((s[i] & TRACE_LOCAL_MAX) && (s[i] & TRACE_VISIBLE))
            s[i] |= TRACE_ADD_REQUEST;
    }
    MarkWholeArrayDirty();
    RecalculateFloatTracesAndUpdateViews(true);
    SetModifiedFlag();
}

void CGlissarDoc::OnRemoveAllTraces()
{
    pFloatWave.ClearKFloatWave();
    const long long n = LocalMaxAmplPosition.nSize;
    for (long long i = 0; i < n; ++i)
        LocalMaxAmplPosition.pArray[i] &= ~TRACE_IN_SYNTHESIS;
    MarkWholeArrayDirty();
    UpdateTraceViews();
    SetModifiedFlag();
}

void CGlissarDoc::OnShowOscillogram()
{
    CKWaveView* view = pWaveFilm.pKWaveView;
    if (!view || !view->GetWidget())
        return;
    pWaveFilm.ShowKWaveWindow(!view->IsWindowVisible());
    SetModifiedFlag();
}

void CGlissarDoc::OnPhoneObjectProperties()
{
    CDialogPhoneObjectProperties dlg(pPhoneObject);
    if (dlg.DoModal() == IDOK)
        SetModifiedFlag();
}

void CGlissarDoc::OnEditTraces()
{
    bEditTraces = !bEditTraces;
    RedrawAllViews();
}

void CGlissarDoc::OnToolAdds() { bAddTraces = !bAddTraces; }
void CGlissarDoc::OnToolRemoves() { bAddTraces = !bAddTraces; }
void CGlissarDoc::OnFollowMaxima() { bFollowMaxima = !bFollowMaxima; }
void CGlissarDoc::OnQuickEditing() { bQuickEditing = !bQuickEditing; }

void CGlissarDoc::OnShowOnlyMarkedTraces()
{
    bShowOnlyMarkedTraces = !bShowOnlyMarkedTraces;
    if (GlissarDocHooks().ShowOnlyMarkedTracesChanged)
        GlissarDocHooks().ShowOnlyMarkedTracesChanged(this);
}

void CGlissarDoc::OnUpdateShowTraces(CCmdUI* pCmdUI) { pCmdUI->SetCheck(bShowTraces); }
void CGlissarDoc::OnUpdateShowOnlyTraces(CCmdUI* pCmdUI) { pCmdUI->SetCheck(bShowOnlyTraces); }
void CGlissarDoc::OnUpdateSyncOscillogram(CCmdUI* pCmdUI) { pCmdUI->SetCheck(!pWaveFilm.MoveCaretOnlyWithCtrl); }

void CGlissarDoc::OnUpdateShowOscillogram(CCmdUI* pCmdUI)
{
    CKWaveView* view = pWaveFilm.pKWaveView;
    pCmdUI->SetCheck(view && view->GetWidget() && view->IsWindowVisible());
}

void CGlissarDoc::OnUpdateEditTraces(CCmdUI* pCmdUI) { pCmdUI->SetCheck(bEditTraces); }

void CGlissarDoc::OnUpdateToolAdds(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(bAddTraces);
    pCmdUI->Enable(bEditTraces);
}

void CGlissarDoc::OnUpdateToolRemoves(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(!bAddTraces);
    pCmdUI->Enable(bEditTraces);
}

void CGlissarDoc::OnUpdateFollowMaxima(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(bFollowMaxima);
    pCmdUI->Enable(bEditTraces);
}

void CGlissarDoc::OnUpdateQuickEditing(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(bQuickEditing);
    pCmdUI->Enable(bEditTraces);
}

void CGlissarDoc::OnUpdateShowOnlyMarkedTraces(CCmdUI* pCmdUI) { pCmdUI->SetCheck(bShowOnlyMarkedTraces); }
