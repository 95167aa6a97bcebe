#include "tembrix/TembrixDoc.h"
#include "tembrix/KNewDocumentSound.h"

#include <algorithm>
#include <climits>

#include "framework/base/CFile.h"
#include "framework/base/UserServices.h"
#include "framework/ui/AfxIds.h"
#include "framework/ui/CFrameWnd.h"
#include "framework/ui/CView.h"
#include "framework/ui/CWinApp.h"
#include "glissar/doc/KNewPhoneObjectFiles.h"
#include "kavrel/views/KDialogPlayWaveFile.h"
#include "kavrel/views/KFilmViewState.h"
#include "kavrel/views/KWaveFilmFloatingWindows.h"
#include "tembrix/KAnalysisProtocol.h"
#include "tembrix/models/KDialogPirogovFunction.h"
#include "kavrel/views/KWaveView.h"
#include "kavrel/views/KWaveSpectrumPhasePortraitView.h"
#include "kavrel/views/KWaveSpectrumView.h"
#include "kavrel/core/KTextGrid.h"
#include "kavrel/core/KWorkshopDocument.h"
#include "tembrix/KDialogPhoneObjectSetContent.h"
#include "tembrix/KFilmOperations.h"
#include "tembrix/KSignalEditDialogs.h"
#include "tembrix/KSignalEdits.h"
#include "tembrix/KWaveOutputSteps.h"
#include "tembrix/TembrixFormulas.h"
#include "tembrix/TembrixIds.h"

IMPLEMENT_DYNCREATE(CTembrixDoc, CDocument)

CTembrixDoc::CTembrixDoc()
{
    MapCommand(ID_SET_SIGMA_FR, &CTembrixDoc::OnSetSigmaFr);
    MapCommand(ID_PLAY_WHOLE_FILE, &CTembrixDoc::OnPlayWholeFile);
    MapCommandAndUpdate(ID_PLAY_SELECTED_FRAGMENT, &CTembrixDoc::OnPlaySelectedFragment, &CTembrixDoc::OnUpdateNeedsSelection);
    MapCommandAndUpdate(ID_SHOW_OSCILLOGRAM, &CTembrixDoc::OnShowOscillogram, &CTembrixDoc::OnUpdateShowOscillogram);
    MapCommandAndUpdate(ID_SAVE_PROTOCOL, &CTembrixDoc::OnSaveProtocol, &CTembrixDoc::OnUpdateSaveProtocol);
    MapCommandAndUpdate(ID_EXPORT_TEXTGRID, &CTembrixDoc::OnExportTextGrid, &CTembrixDoc::OnUpdateSaveProtocol);
    MapCommand(ID_IMPORT_TEXTGRID, &CTembrixDoc::OnImportTextGrid);
    MapCommandAndUpdate(ID_PIROGOV_FUNCTION, &CTembrixDoc::OnPirogovFunction, &CTembrixDoc::OnUpdateNeedsSelection);
    MapCommandAndUpdate(ID_NEW_PHONE_OBJECT, &CTembrixDoc::NewPhoneObject, &CTembrixDoc::OnUpdateNeedsSelection);
    for (UINT id : {ID_CARET_LEFT, ID_CARET_RIGHT, ID_CARET_LEFT_TEN, ID_CARET_RIGHT_TEN, ID_CARET_UP, ID_CARET_DOWN,
                    ID_CARET_UP_TEN, ID_CARET_DOWN_TEN})
        MapCommandWithId(id, &CTembrixDoc::OnCaretMove);
    MapCommandAndUpdate(ID_SYNC_OSCILLOGRAM_BY_MARKER, &CTembrixDoc::OnSyncOscillogramByMarker, &CTembrixDoc::OnUpdateSyncOscillogramByMarker);
    MapUpdate(ID_DIFFERENTIATE, &CTembrixDoc::OnUpdateNeverEnabled);
    MapCommandAndUpdate(ID_PAPER_COLOURS, &CTembrixDoc::OnPaperColours, &CTembrixDoc::OnUpdatePaperColours);
    MapCommand(ID_TOOLTIP_CONTENT, &CTembrixDoc::OnTooltipContent);
    MapCommandAndUpdate(ID_SHOW_INSTANT_SPECTRUM, &CTembrixDoc::OnShowInstantSpectrum, &CTembrixDoc::OnUpdateShowInstantSpectrum);
    MapCommandAndUpdate(ID_SHOW_PHASE_PORTRAIT, &CTembrixDoc::OnShowPhasePortrait, &CTembrixDoc::OnUpdateShowPhasePortrait);
    for (UINT id : {ID_FILM_GREY, ID_FILM_GREY_INVERSE, ID_FILM_COLOUR, ID_FILM_PHASE_AMPL, ID_FILM_PHASE_FREQ}) {
        MapCommandWithId(id, &CTembrixDoc::OnFilmDisplayMode);
        MapUpdate(id, &CTembrixDoc::OnUpdateFilmDisplayMode);
    }
    for (UINT id : {ID_RAISE_LOWER_BOUND, ID_LOWER_LOWER_BOUND, ID_RAISE_UPPER_BOUND, ID_LOWER_UPPER_BOUND})
        MapCommandWithId(id, &CTembrixDoc::OnMoveTraceBounds);
    MapCommand(ID_DEFAULT_BOUNDS, &CTembrixDoc::OnDefaultTraceBounds);
    MapCommandAndUpdate(ID_DELETE_OR_KEEP_SEGMENT, &CTembrixDoc::OnDeleteOrKeepSegment, &CTembrixDoc::OnUpdateNeedsSelection);
    MapCommandAndUpdate(ID_DELETE_OR_KEEP_BEFORE_CARET, &CTembrixDoc::OnDeleteBeforeCaret, &CTembrixDoc::OnUpdateNeedsNoSelection);
    MapCommand(ID_LEVEL_POWER, &CTembrixDoc::OnLevelPower);
    MapCommandWithId(ID_UPSAMPLE_2, &CTembrixDoc::OnUpsample);
    MapCommandWithId(ID_UPSAMPLE_4, &CTembrixDoc::OnUpsample);
    MapCommand(ID_DOWNSAMPLE, &CTembrixDoc::OnDownsample);
    MapCommand(ID_REVERSE_CADRES, &CTembrixDoc::OnReverseCadres);
    MapCommand(ID_SYNTHESIS, &CTembrixDoc::OnSynthesis);
    MapCommand(ID_SOUND_COCKTAIL, &CTembrixDoc::OnSoundCocktail);
    MapCommandAndUpdate(CKTrackOverlays::ID_SHOW_PITCH_TRACK, &CTembrixDoc::OnShowPitchTrack,
                        &CTembrixDoc::OnUpdateShowPitchTrack);
    MapCommandAndUpdate(CKTrackOverlays::ID_SHOW_FORMANT_TRACKS, &CTembrixDoc::OnShowFormantTracks,
                        &CTembrixDoc::OnUpdateShowFormantTracks);
    MapCommand(CKTrackOverlays::ID_TRACK_PARAMETERS, &CTembrixDoc::OnTrackParameters);
    pTrackOverlays->ReadProfile();
}

CTembrixDoc::~CTembrixDoc()
{
    DeleteAllPhoneObjects();
    // The floating windows draw from the film: they go before it.
    WaveFilm.DestroyKWaveViews();
    DestroyKWaveFilmFloatingWindows(WaveFilm);
}

void CTembrixDoc::DeleteAllPhoneObjects()
{
    POSITION pos = PhoneObjectList.GetHeadPosition();
    while (pos)
        delete PhoneObjectList.GetNext(pos);
    PhoneObjectList.RemoveAll();
}

void CTembrixDoc::DeleteContents()
{
    DeleteAllPhoneObjects();
    nMaxLevel = -1;
    nNextPhoneObjectIndex = 1;
}

CString CTembrixDoc::FolderOfPath(const CString& path)
{
    // Whole, since the objects' paths are built on it and stored.
    const CString full = KFullPath(path);
    const int slash = full.ReverseFind('/');
    return slash >= 0 ? full.Left(slash + 1) : CString();
}

// ---- life of the document ----------------------------------------------------

BOOL CTembrixDoc::OnNewDocument()
{
    if (!CDocument::OnNewDocument())
        return FALSE;
    // A compressed sound comes in as a WAV copy, which the document names.
    if (!KAskForNewDocumentSound(WaveFilm))
        return FALSE;
    OpenNewSoundInSpectrumFrames();
    if (WaveFilm.DialogSetSigmaFr() != IDOK)
        return FALSE;
    if (!CompleteNewFilm())
        return FALSE;

    FileDialogRequest rq;
    rq.bOpen = false;
    rq.sFileName = WaveFilm.GetKWaveFileTitle() + ".tbx";
    rq.nFlags = OFN_OVERWRITEPROMPT;
    rq.sFilter = "TBX файлы (*.tbx)|*.tbx|Все файлы (*.*)|*.*||";
    rq.sTitle = "Где хранить файл анализа? (лучше в отдельном каталоге)";
    if (!UserInteraction().FileDialog(rq))
        return FALSE;
    KeepNewDocumentAt(rq.sPathName, rq.sFileName_);
    CreateFilmWindows();
    // Named, it is written at once: the objects made next write their files
    // beside it, and closing must not lose what the user just chose to keep.
    if (!OnSaveDocument(rq.sPathName))
        SetModifiedFlag(true);
    return TRUE;
}

void CTembrixDoc::OpenNewSoundInSpectrumFrames()
{
    const CString path = WaveFilm.GetKWaveFilePathName(), title = WaveFilm.GetKWaveFileTitle();
    for (CKSpectrum* s : {WaveFilm.pS0, WaveFilm.pS1, WaveFilm.pS2, WaveFilm.pS3}) {
        s->Wave.OpenKWaveFile(path, title);
        s->SetNFFT(1024);
    }
    WaveFilm.SetNFFTandOptimumCadreParams(1024);
}

bool CTembrixDoc::CompleteNewFilm()
{
    WaveFilm.SetFirstAndLastSample(0, WaveFilm.GetKWaveSizeInSamples());
    if (!WaveFilm.PowerCreate())
        return false;
    SendFilmHint();
    return true;
}

void CTembrixDoc::KeepNewDocumentAt(const CString& sPathName, const CString& sFileName)
{
    SetPathName(sPathName, false);
    SetTitle(sFileName);
    sDocFolder = FolderOfPath(sPathName);
    nNextPhoneObjectIndex = 1;
}

BOOL CTembrixDoc::OnOpenDocument(const char* lpszPathName)
{
    if (!CDocument::OnOpenDocument(lpszPathName))
        return FALSE;
    if (!KOpenWorkshopFilm(WaveFilm, PhoneObjectList, lpszPathName))
        return FALSE;
    sDocFolder = FolderOfPath(lpszPathName);
    CreateFilmWindows();
    SendFilmHint();
    return TRUE;
}

void CTembrixDoc::Serialize(CArchive& ar)
{
    KSerializeWorkshopDocument(ar, WaveFilm, PhoneObjectList, nMaxLevel, nNextPhoneObjectIndex);
}

void CTembrixDoc::CreateFilmWindows()
{
    if (GetViews().empty())
        return;
    CFrameWnd* frame = GetViews().front()->GetParentFrame();
    if (!frame)
        return;
    WaveFilm.CreateKWaveView(frame);
    WaveFilm.ShowKWaveWindow(false);
    WaveFilm.CreateKWaveSpectrumView(frame);
    WaveFilm.CreateKWaveSpectrumPhasePortraitView(frame);
}

void CTembrixDoc::SendFilmHint()
{
    CKWaveFilmHint hint(&WaveFilm);
    UpdateAllViews(nullptr, HintNewFilm, &hint);
    SendTracksHint();
}

void CTembrixDoc::SendTracksHint()
{
    UpdateAllViews(nullptr, HintTracks, pTrackOverlays.get());
}

void CTembrixDoc::OnShowPitchTrack()
{
    pTrackOverlays->TogglePitch();
    SendTracksHint();
}

void CTembrixDoc::OnShowFormantTracks()
{
    pTrackOverlays->ToggleFormants();
    SendTracksHint();
}

void CTembrixDoc::OnTrackParameters()
{
    CWnd* parent = GetViews().empty() ? nullptr : GetViews().front()->GetParentFrame();
    if (pTrackOverlays->EditParams(parent))
        SendTracksHint();
}

void CTembrixDoc::OnUpdateShowPitchTrack(CCmdUI* pCmdUI)
{
    pTrackOverlays->OnUpdatePitch(pCmdUI);
}

void CTembrixDoc::OnUpdateShowFormantTracks(CCmdUI* pCmdUI)
{
    pTrackOverlays->OnUpdateFormants(pCmdUI);
}

void CTembrixDoc::SendCaretHint()
{
    CKWaveFilmHint hint(&WaveFilm);
    UpdateAllViews(nullptr, HintCaret, &hint);
}

// ---- sound objects ----------------------------------------------------------------

std::vector<const CKPhoneObject*> CTembrixDoc::PhoneObjects() const
{
    std::vector<const CKPhoneObject*> objects;
    POSITION pos = PhoneObjectList.GetHeadPosition();
    while (pos)
        objects.push_back(static_cast<const CKPhoneObject*>(PhoneObjectList.GetNext(pos)));
    return objects;
}

CKPhoneObject* CTembrixDoc::GetPhoneObject(int i) const
{
    POSITION pos = PhoneObjectList.GetHeadPosition();
    for (int k = 0; pos; ++k) {
        CObject* o = PhoneObjectList.GetNext(pos);
        if (k == i)
            return static_cast<CKPhoneObject*>(o);
    }
    return nullptr;
}

bool CTembrixDoc::HasSelection() const
{
    return WaveFilm.GetSelectedFragmentAbsCadre0() != WaveFilm.GetSelectedFragmentAbsCadre1();
}

int CTembrixDoc::FindFreeLevel()
{
    const int level = LowestFreeLevel(PhoneObjects(), WaveFilm.GetSelectedFragmentSample0(),
                                      WaveFilm.GetSelectedFragmentSample1());
    if (level > nMaxLevel)
        nMaxLevel = level;
    return level;
}

CKPhoneObject* CTembrixDoc::CreatePhoneObjectOnSelection()
{
    auto* po = dynamic_cast<CKPhoneObject*>(RUNTIME_CLASS(CKPhoneObject)->CreateObject());
    if (!po) {
        AfxMessageBox("Не удается создать новый фонообъект.");
        return nullptr;
    }
    po->nLevel = FindFreeLevel();
    if (po->nLevel == -1) {
        AfxMessageBox("Не удается вставить новый фонообъект из-за нехватки уровней\n(Все 128 информационных уровня "
                      "фонообъектов заняты).");
        delete po;
        return nullptr;
    }
    po->nFirstSample = int(WaveFilm.GetSelectedFragmentSample0());
    po->nLastSample = int(WaveFilm.GetSelectedFragmentSample1());
    return po;
}

void CTembrixDoc::NewPhoneObject()
{
    CKPhoneObject* po = CreatePhoneObjectOnSelection();
    if (!po)
        return;
    CKDialogPhoneObjectSetContent dlg;
    dlg.sComment = po->sComment;
    dlg.sName = po->sName;
    dlg.nType = po->nType;
    dlg.dLevelChange_dB = po->dLevelChange_dB;
    if (dlg.DoModal() != IDOK) {
        delete po;
        return;
    }
    po->sComment = dlg.sComment;
    po->sName = dlg.sName;
    po->nType = dlg.nType;
    po->dLevelChange_dB = dlg.dLevelChange_dB;
    AddDescribedPhoneObject(po);
}

bool CTembrixDoc::AddDescribedPhoneObject(CKPhoneObject* po)
{
    // Another document on the same sound in this folder may have used the
    // index already: its files are never written over, the next free index is taken.
    while (nNextPhoneObjectIndex < INT_MAX &&
           PhoneObjectFilesExist(sDocFolder, WaveFilm.GetKWaveFileTitle(), nNextPhoneObjectIndex))
        ++nNextPhoneObjectIndex;
    po->nIndex = nNextPhoneObjectIndex;
    if (po->nType == 4 && po->nLastSample - po->nFirstSample > 65536) {
        const int answer = AfxMessageBox(
            "Выделенный фрагмент превышает допустимые размеры. Что делать?\n\nYES (да) - удалить избыток справа;\nNO(нет) "
            "- удалить избыток слева;\nCANCEL(отказ) - не создавать новый объект.",
            MB_YESNOCANCEL);
        if (answer == IDYES) {
            po->nLastSample = po->nFirstSample + 65536;
        } else if (answer == IDNO) {
            po->nFirstSample = po->nLastSample - 65536;
        } else {
            delete po;
            return false;
        }
    }
    SetNewPhoneObjectFilePathNames(po, sDocFolder, WaveFilm.GetKWaveFileTitle());
    if (!WriteNewPhoneObjectFiles(po, &WaveFilm)) {
        delete po;
        return false;
    }
    ++nNextPhoneObjectIndex;
    PhoneObjectList.AddTail(po);
    UpdateAllViews(nullptr, HintPhoneObject, po);
    SetModifiedFlag();
    return true;
}

void CTembrixDoc::AddTextGridObjects(const KTextGridImport& placed)
{
    for (const KImportedObject& o : placed.objects) {
        auto* po = dynamic_cast<CKPhoneObject*>(RUNTIME_CLASS(CKPhoneObject)->CreateObject());
        if (!po) {
            AfxMessageBox("Не удается создать новый фонообъект.");
            return;
        }
        po->sName = o.sName;
        po->nFirstSample = o.nFirstSample;
        po->nLastSample = o.nLastSample;
        po->nLevel = o.nLevel;
        po->nType = 0;
        nMaxLevel = std::max(nMaxLevel, o.nLevel);
        // A text-only object writes no file: this cannot be refused.
        AddDescribedPhoneObject(po);
    }
}

void CTembrixDoc::DeletePhoneObject(CKPhoneObject* po)
{
    if (POSITION pos = PhoneObjectList.Find(po)) {
        PhoneObjectList.RemoveAt(pos);
        // Every column has a window on the object: they all let go of it first.
        UpdateAllViews(nullptr, HintPhoneObjectGone, po);
        delete po;
        SetModifiedFlag();
    }
}

// ---- commands -----------------------------------------------------------------------

void CTembrixDoc::OnSetSigmaFr()
{
    const long s0 = WaveFilm.GetSelectedFragmentSample0(), s1 = WaveFilm.GetSelectedFragmentSample1();
    if (WaveFilm.DialogSetSigmaFr() != IDOK)
        return;
    WaveFilm.SetFirstAndLastSample(0, WaveFilm.GetKWaveSizeInSamples());
    if (!WaveFilm.PowerCreate()) {
        AfxMessageBox("Не удалось создать фильм динамики уровня мощности сигнала. Работа с документом будет прекращена.");
        SetModifiedFlag(false);
        // Closed once this command has returned: its frame and views are still on the way back.
        if (!GetViews().empty())
            if (CFrameWnd* frame = GetViews().front()->GetParentFrame()) {
                frame->PostMessage(WM_COMMAND, ID_FILE_CLOSE);
                return;
            }
        OnCloseDocument();
        return;
    }
    WaveFilm.SetSelectedFragmentAbsCadres(WaveFilm.GetCadreNumberFromSample(s0), WaveFilm.GetCadreNumberFromSample(s1));
    SendFilmHint();
    WaveFilm.SetKCaretCadre(WaveFilm.GetKCaretCadre());
    SendCaretHint();
    SetModifiedFlag();
}

void CTembrixDoc::OnPlayWholeFile()
{
    CKDialogPlayWaveFile dlg;
    dlg.sPathName = WaveFilm.GetKWaveFilePathName();
    dlg.DoModal();
}

void CTembrixDoc::OnPlaySelectedFragment()
{
    WaveFilm.PlaySelectedFragment();
}

void CTembrixDoc::OnSaveProtocol()
{
    FileDialogRequest request;
    request.bOpen = false;
    request.sDefaultExt = "doc";
    request.sFileName = WaveFilm.GetKWaveFileTitle();
    request.nFlags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
    request.sFilter = "Word документ (*.doc)|*.doc|Все файлы (*.*)|*.*||";
    if (UserInteraction().FileDialog(request))
        WriteAnalysisProtocol(request.sPathName, WaveFilm, PhoneObjects());
}

namespace {
const char* const kTextGridFilter = "TextGrid Praat (*.TextGrid)|*.TextGrid|Все файлы (*.*)|*.*||";
}

void CTembrixDoc::OnExportTextGrid()
{
    FileDialogRequest request;
    request.bOpen = false;
    request.sDefaultExt = "TextGrid";
    request.sFileName = OutputInitialName(".TextGrid");
    // No question of replacing: an existing file is refused whatever the answer.
    request.nFlags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
    request.sFilter = kTextGridFilter;
    request.sTitle = "Экспорт объектов в TextGrid";
    if (!UserInteraction().FileDialog(request))
        return;
    CWaitCursor wait;
    KWriteTextGridFile(request.sPathName,
                       KTextGridOfPhoneObjects(PhoneObjects(), WaveFilm.GetKWaveFrADC(), WaveFilm.GetKWaveSizeInSamples()));
}

void CTembrixDoc::OnImportTextGrid()
{
    FileDialogRequest request;
    request.bOpen = true;
    request.sDefaultExt = "TextGrid";
    request.nFlags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    request.sFilter = kTextGridFilter;
    request.sTitle = "Импорт объектов из TextGrid";
    if (!UserInteraction().FileDialog(request))
        return;
    KTextGrid grid;
    KTextGridError error;
    KTextGridImport placed;
    CString sRefusal;
    {
        CWaitCursor wait;
        if (!KReadTextGridFile(request.sPathName, grid, error)) {
            AfxMessageBox(KTextGridErrorMessage(request.sPathName, error), MB_ICONEXCLAMATION);
            return;
        }
        if (!KPlaceTextGridObjects(grid, PhoneObjects(), WaveFilm.GetKWaveFrADC(), WaveFilm.GetKWaveSizeInSamples(),
                                   placed, sRefusal)) {
            AfxMessageBox(sRefusal, MB_ICONEXCLAMATION);
            return;
        }
    }
    const CString report = KTextGridImportReport(placed);
    if (placed.objects.empty()) {
        AfxMessageBox(report, MB_ICONINFORMATION);
        return;
    }
    // All of them or none: the user sees what comes before the document changes.
    if (AfxMessageBox(report + "\n\nДобавить эти фонообъекты в документ?", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    CWaitCursor wait;
    AddTextGridObjects(placed);
}

void CTembrixDoc::OnUpdateSaveProtocol(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(!PhoneObjects().empty());
}

void CTembrixDoc::OnPirogovFunction()
{
    CKDialogPirogovFunction dlg(&WaveFilm, AfxGetApp() ? AfxGetApp()->m_pMainWnd : nullptr);
    dlg.DoModal();
}

void CTembrixDoc::OnShowOscillogram()
{
    if (!WaveFilm.pKWaveView) {
        CreateFilmWindows();
        if (!WaveFilm.pKWaveView)
            return;
        WaveFilm.ShowKWaveWindow(true);
        return;
    }
    WaveFilm.ShowKWaveWindow(!WaveFilm.pKWaveView->IsWindowVisible());
}

void CTembrixDoc::OnCaretMove(UINT nID)
{
    const double line = double(WaveFilm.GetKWaveFrADC()) / std::max(1, WaveFilm.GetNFFT());
    long dc = 0;
    double df = 0;
    switch (nID) {
    case ID_CARET_LEFT: dc = -1; break;
    case ID_CARET_RIGHT: dc = 1; break;
    case ID_CARET_LEFT_TEN: dc = -10; break;
    case ID_CARET_RIGHT_TEN: dc = 10; break;
    case ID_CARET_UP: df = line; break;
    case ID_CARET_DOWN: df = -line; break;
    case ID_CARET_UP_TEN: df = 10 * line; break;
    case ID_CARET_DOWN_TEN: df = -10 * line; break;
    default: return;
    }
    if (dc)
        WaveFilm.SetKCaretCadre(WaveFilm.GetKCaretCadre() + dc);
    else
        WaveFilm.SetKCaretFrequency(WaveFilm.GetKCaretFrequency() + df);
    SendCaretHint();
}

void CTembrixDoc::OnSyncOscillogramByMarker()
{
    WaveFilm.MoveCaretOnlyWithCtrl = !WaveFilm.MoveCaretOnlyWithCtrl;
    if (WaveFilm.MoveCaretOnlyWithCtrl)
        WaveFilm.SetKCaretCadre(WaveFilm.GetKCaretCadre());
    SetModifiedFlag();
}

void CTembrixDoc::OnPaperColours()
{
    WaveFilm.lightBackground = WaveFilm.lightBackground ? 0 : 1;
    SetModifiedFlag();
    UpdateAllViews(nullptr, HintPaperColour);
}

void CTembrixDoc::OnTooltipContent()
{
    WaveFilm.SetHowToShowTooltip();
    SetModifiedFlag();
}

void CTembrixDoc::OnShowInstantSpectrum()
{
    if (WaveFilm.pKWaveSpectrumView && WaveFilm.pKWaveSpectrumView->IsWindowVisible())
        WaveFilm.pKWaveSpectrumView->ShowWindow(SW_HIDE);
    else if (!GetViews().empty())
        WaveFilm.CreateKWaveSpectrumView(GetViews().front()->GetParentFrame());
}

void CTembrixDoc::OnShowPhasePortrait()
{
    if (WaveFilm.pKWaveSpectrumPhasePortraitView && WaveFilm.pKWaveSpectrumPhasePortraitView->IsWindowVisible())
        WaveFilm.pKWaveSpectrumPhasePortraitView->ShowWindow(SW_HIDE);
    else if (!GetViews().empty())
        WaveFilm.CreateKWaveSpectrumPhasePortraitView(GetViews().front()->GetParentFrame());
}

int CTembrixDoc::DisplayModeOfCommand(UINT nID)
{
    switch (nID) {
    case ID_FILM_GREY: return CKWaveFilm::DisplayAmplitudeGrey;
    case ID_FILM_GREY_INVERSE: return CKWaveFilm::DisplayAmplitudeGrey | CKWaveFilm::DisplayInverse;
    case ID_FILM_COLOUR: return CKWaveFilm::DisplayAmplitudeColour;
    case ID_FILM_PHASE_AMPL: return CKWaveFilm::DisplayPhaseAmplGrowth | CKWaveFilm::DisplayInverse;
    case ID_FILM_PHASE_FREQ: return CKWaveFilm::DisplayPhaseFreqGrowth | CKWaveFilm::DisplayInverse;
    default: return 0;
    }
}

void CTembrixDoc::OnFilmDisplayMode(UINT nID)
{
    WaveFilm.displayFlags = DisplayModeOfCommand(nID);
    UpdateAllViews(nullptr, HintDisplayParameter);
}

void CTembrixDoc::OnMoveTraceBounds(UINT nID)
{
    switch (nID) {
    case ID_RAISE_LOWER_BOUND: WaveFilm.MoveSpectrumAmplValidDownLevel_dB(10); break;
    case ID_LOWER_LOWER_BOUND: WaveFilm.MoveSpectrumAmplValidDownLevel_dB(-10); break;
    case ID_RAISE_UPPER_BOUND: WaveFilm.MoveSpectrumAmplValidUpLevel_dB(10); break;
    case ID_LOWER_UPPER_BOUND: WaveFilm.MoveSpectrumAmplValidUpLevel_dB(-10); break;
    default: return;
    }
    UpdateAllViews(nullptr, HintDisplayParameter);
}

void CTembrixDoc::OnDefaultTraceBounds()
{
    WaveFilm.SetDefaultsSpectrumAmplValidUpAndDownLevel_dB();
    UpdateAllViews(nullptr, HintDisplayParameter);
}

// ---- signal edits ------------------------------------------------------------------

CString CTembrixDoc::OutputInitialName(const char* suffix) const
{
    return sDocFolder + WaveFilm.GetKWaveFileTitle() + suffix;
}

void CTembrixDoc::OnDeleteOrKeepSegment()
{
    CKDialogCutWaveFile dlg;
    KRunWaveOutputCommand(&dlg, OutputInitialName(kEditedSuffix), kEditedTitle, WaveFilm.GetKWaveFilePathName(),
                          [&](const CString& path) { KWriteEditedSegment(WaveFilm, dlg.nWhat, dlg.nQuality, path); });
}

void CTembrixDoc::OnDeleteBeforeCaret()
{
    CDialogCutSignalBeforeCaret dlg;
    KRunWaveOutputCommand(&dlg, OutputInitialName(kEditedSuffix), kEditedTitle, WaveFilm.GetKWaveFilePathName(),
                          [&](const CString& path) { KWriteEditedSide(WaveFilm, dlg.nSide, path); });
}

void CTembrixDoc::OnLevelPower()
{
    CKDialogSetAGC dlg;
    KRunWaveOutputCommand(&dlg, OutputInitialName("_Normalised"),
                          "Задание нового имени выходного нормированного файла-сигнала (в формате WAV)",
                          WaveFilm.GetKWaveFilePathName(), [&](const CString& path) {
                              KAGCSettings settings;
                              settings.nNewMaxAmplitude = dlg.nNewMaxAmplitude;
                              settings.dAGCFrameRate = dlg.dAGCFrameRate;
                              settings.dMaxFrameGain_dB = dlg.dMaxFrameGain_dB;
                              KWriteLevelled(WaveFilm, settings, path);
                          });
}

// ---- command states ---------------------------------------------------------------

void CTembrixDoc::OnUpdateNeedsSelection(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(HasSelection());
}

void CTembrixDoc::OnUpdateNeedsNoSelection(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(!HasSelection());
}

void CTembrixDoc::OnUpdateShowOscillogram(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(WaveFilm.pKWaveView && WaveFilm.pKWaveView->IsWindowVisible());
}

void CTembrixDoc::OnUpdateSyncOscillogramByMarker(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(!WaveFilm.MoveCaretOnlyWithCtrl);
}

void CTembrixDoc::OnUpdatePaperColours(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(WaveFilm.lightBackground == 1);
}

void CTembrixDoc::OnUpdateShowInstantSpectrum(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(WaveFilm.pKWaveSpectrumView && WaveFilm.pKWaveSpectrumView->IsWindowVisible());
}

void CTembrixDoc::OnUpdateShowPhasePortrait(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(WaveFilm.pKWaveSpectrumPhasePortraitView &&
                     WaveFilm.pKWaveSpectrumPhasePortraitView->IsWindowVisible());
}

void CTembrixDoc::OnUpdateFilmDisplayMode(CCmdUI* pCmdUI)
{
    pCmdUI->SetRadio(WaveFilm.displayFlags == DisplayModeOfCommand(pCmdUI->m_nID));
}

void CTembrixDoc::OnUpdateNeverEnabled(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(false);
}
