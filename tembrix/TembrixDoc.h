// CTembrixDoc: the analysis document of one sound file. It owns the wave
// film of the file and the sound objects marked on it on 128 levels, names
// the files a new object brings with it, and carries the commands on the
// film: caret moves, playback, display settings, new sound objects.
// Stored as .tbx: the film's record, the object list, two integers.
#pragma once
#include "framework/base/CObList.h"
#include "framework/ui/CDocument.h"
#include "kavrel/core/KPhoneObject.h"
#include "kavrel/core/KTextGridObjects.h"
#include "kavrel/core/KWaveFilm.h"
#include "kavrel/views/KTrackOverlays.h"
#include "tembrix/KResampling.h"

class CCmdUI;

class CTembrixDoc : public CDocument {
    DECLARE_DYNCREATE(CTembrixDoc)
public:
    CTembrixDoc();
    ~CTembrixDoc() override;

    BOOL OnNewDocument() override;
    BOOL OnOpenDocument(const char* lpszPathName) override;
    void Serialize(CArchive& ar) override;
    void DeleteContents() override;

    // The steps of a new document on either side of its dialogs, shared with
    // the batch tool's make-document: the sound opened in the four spectrum
    // frames at NFFT 1024 with the optimum cadre parameters (the film itself
    // already open on it); the film over the whole file with its power file
    // (false when that cannot be built); the document kept at a path.
    void OpenNewSoundInSpectrumFrames();
    bool CompleteNewFilm();
    void KeepNewDocumentAt(const CString& sPathName, const CString& sFileName);

    // Sound objects.
    int FindFreeLevel();
    void NewPhoneObject();
    // A new object over the film's selection on the lowest free level, not yet
    // described; nullptr (with the message shown) when none can be made.
    CKPhoneObject* CreatePhoneObjectOnSelection();
    // Adds a described object: its index, a reverberation span cut to 65536
    // samples as the user answers, its files written, its window announced.
    // False when refused or a file fails; the object is deleted then.
    bool AddDescribedPhoneObject(CKPhoneObject* po);
    void DeletePhoneObject(CKPhoneObject* po);
    // The objects of a TextGrid, placed (KPlaceTextGridObjects), added as
    // text-only objects in their order, each announced as a new object is.
    void AddTextGridObjects(const KTextGridImport& placed);
    CKPhoneObject* GetPhoneObject(int i) const;
    std::vector<const CKPhoneObject*> PhoneObjects() const;

    // Whether the film's selected first and last cadres differ.
    bool HasSelection() const;
    // The folder part of a path, with its trailing slash.
    static CString FolderOfPath(const CString& path);

    // Commands.
    void OnSetSigmaFr();
    void OnPlayWholeFile();
    void OnPlaySelectedFragment();
    void OnPirogovFunction();
    void OnSaveProtocol();
    // Sound objects to and from Praat: a new TextGrid file, or the
    // intervals of one added as objects once the user has seen what comes.
    void OnExportTextGrid();
    void OnImportTextGrid();
    void OnUpdateSaveProtocol(CCmdUI* pCmdUI);
    void OnShowOscillogram();
    void OnCaretMove(UINT nID);
    void OnSyncOscillogramByMarker();
    void OnPaperColours();
    void OnTooltipContent();
    void OnShowInstantSpectrum();
    void OnShowPhasePortrait();
    void OnFilmDisplayMode(UINT nID);
    // The pitch and formant overlays of every sonogram of the document, and
    // their parameters dialog.
    void OnShowPitchTrack();
    void OnShowFormantTracks();
    void OnTrackParameters();
    void OnUpdateShowPitchTrack(CCmdUI* pCmdUI);
    void OnUpdateShowFormantTracks(CCmdUI* pCmdUI);
    void OnMoveTraceBounds(UINT nID);
    void OnDefaultTraceBounds();
    // Signal edits into new WAV files; the analysed file and the document stay as they are.
    void OnDeleteOrKeepSegment();
    void OnDeleteBeforeCaret();
    void OnLevelPower();
    // New sound files from the analysed one.
    void OnUpsample(UINT nID);
    void OnDownsample();
    void OnReverseCadres();
    void OnSynthesis();
    void OnSoundCocktail();

    void OnUpdateNeedsSelection(CCmdUI* pCmdUI);
    void OnUpdateNeedsNoSelection(CCmdUI* pCmdUI);
    void OnUpdateShowOscillogram(CCmdUI* pCmdUI);
    void OnUpdateSyncOscillogramByMarker(CCmdUI* pCmdUI);
    void OnUpdatePaperColours(CCmdUI* pCmdUI);
    void OnUpdateShowInstantSpectrum(CCmdUI* pCmdUI);
    void OnUpdateShowPhasePortrait(CCmdUI* pCmdUI);
    void OnUpdateFilmDisplayMode(CCmdUI* pCmdUI);
    void OnUpdateNeverEnabled(CCmdUI* pCmdUI);

    // The film's show-mode value of each display command.
    static int DisplayModeOfCommand(UINT nID);

    CKWaveFilm WaveFilm;
    // Shared with the document's sonograms (hint 13); its parameters come
    // from the profile.
    std::shared_ptr<CKTrackOverlays> pTrackOverlays = std::make_shared<CKTrackOverlays>();
    CObList PhoneObjectList{10};
    CString sDocFolder;
    int nMaxLevel = -1;
    int nNextPhoneObjectIndex = 1;

private:
    // Builds the floating windows of the film on the frame of the first view.
    void CreateFilmWindows();
    void SendFilmHint();
    void SendTracksHint();
    void SendCaretHint();
    void DeleteAllPhoneObjects();
    // sDocFolder + the analysed file's title + suffix: the initial name of an output.
    CString OutputInitialName(const char* suffix) const;
};

