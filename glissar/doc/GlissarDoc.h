// CGlissarDoc: the tracer's document of one sound object. It holds the
// object, a wave film over the object's stretch of the sound file, the trace
// status of every bin of every cadre, the peak parameters estimated from the
// spectra, and the synthetic signal rebuilt from the traces the user chose.
// Stored as .gsr, with the synthetic signal beside it as .kfw.
#pragma once
#include <climits>

#include "framework/ui/CDocument.h"
#include "framework/ui/WinTypes.h"
#include "glissar/doc/KFloatWave.h"
#include "kavrel/core/KArrays.h"
#include "kavrel/core/KPhoneObject.h"
#include "kavrel/core/KRelativeVisibility.h"
#include "kavrel/core/KWaveFilm.h"

// The object of update hint 10: the cadres by spectral lines that changed,
// left/right in cadres, top/bottom in bins counted from the top.
class CGlissarTraceRectHint : public CObject {
public:
    CRect rect;
};

// The document's commands.
enum : UINT {
    ID_GLISSAR_SET_SIGMA_FR = 34771,           // "Установить SigmaFr"
    ID_GLISSAR_SHOW_OSCILLOGRAM = 34774,       // "Показать осциллограмму"
    ID_GLISSAR_SYNC_OSCILLOGRAM = 34783,       // "Синхронизировать осциллограмму по маркеру, а не по курсору"
    ID_GLISSAR_SHOW_TRACES = 34900,            // "Показывать следы"
    ID_GLISSAR_SHOW_ONLY_TRACES = 34901,       // "Показывать только следы"
    ID_GLISSAR_ADD_ALL_VISIBLE = 34902,        // "Добавить все видимые следы"
    ID_GLISSAR_REMOVE_ALL = 34903,             // "Удалить все следы"
    ID_GLISSAR_PHONE_OBJECT_PROPERTIES = 34904,// "Показать свойства фонообъекта"
    ID_GLISSAR_EDIT_TRACES = 34905,            // "Режим редактирования следов"
    ID_GLISSAR_TOOL_ADDS = 34906,              // "Добивить указанный след"
    ID_GLISSAR_TOOL_REMOVES = 34907,           // "Удалить указанный след"
    ID_GLISSAR_FOLLOW_MAXIMA = 34908,          // "Рисовать следы, следуя по максимумам"
    ID_GLISSAR_QUICK_EDITING = 34909,          // "Быстрое редактирование"
    ID_GLISSAR_SHOW_ONLY_MARKED = 34910,       // "Показывать только помеченные следы"
    ID_GLISSAR_TOOLS_SIZE = 34911,             // "Установка размера инструмента" (the frame's)
    ID_GLISSAR_PLAY_SCREENS = 34912,           // "Воспроизведение сигналов" (the frame's)
};

class CGlissarDoc;

// What the document asks of the tracer's windows, which it does not know:
// the tracer's views fill these in; without them nothing is shown.
struct CGlissarDocHooks {
    // "Показывать только помеченные следы" changed: the lower screens follow the flag.
    void (*ShowOnlyMarkedTracesChanged)(CGlissarDoc*) = nullptr;
    // After a stop-icon failure of Set SigmaFr the program cannot go on.
    void (*EndProgram)(CGlissarDoc*) = nullptr;
    // The frame of the first view, parent of the oscillogram window.
    CWnd* (*FirstViewFrame)(CGlissarDoc*) = nullptr;
};
CGlissarDocHooks& GlissarDocHooks();

class CGlissarDoc : public CDocument {
    DECLARE_DYNCREATE(CGlissarDoc)
public:
    CGlissarDoc();
    ~CGlissarDoc() override;

    // Half the tool's width in cadres by nToolsSize (1, 3, 7, 15, 31 cadres); 0 is the whole object.
    static constexpr int kToolHalfWidths[6] = {-1, 0, 1, 3, 7, 15};

    // Framework overrides.
    BOOL OnNewDocument() override;
    BOOL OnOpenDocument(const char* lpszPathName) override;
    void Serialize(CArchive& ar) override;
    void DeleteContents() override;

    bool CreateNewSpectraArrays();
    bool CreateNewLocalMaxAmplPositionArray();

    // Writes the first, empty tracer document of a new sound object over the
    // selection of pWF, with its .kfw of zeros beside it (the workshop's step).
    static bool SaveNewEmptyDocFile(CKPhoneObject* pNewPO, CKWaveFilm* pWF);

    // Traces.
    bool CalculateAllSpectra(bool initiate);
    void InitiateTraceStatusForCadre(long cadre, const double* dB);
    void MarkVisibleTraces();
    void RecalculateTraceVisibility();
    int FindNearestLocalMax(int bin, long cadre) const;
    void ApplyTool(long x, int y);
    void RecalculateFloatTracesAndUpdateViews(bool show_progress_bar);
    void UpdateTraceViews();
    long GetCadreMargin() const;
    int GetBinMargin() const;
    // The editing tool under the mouse (model of the upper screen's handlers):
    // with quick editing the signal changes only when the button is released.
    void ToolButtonDown(long cadre, int bin);
    void ToolMouseMove(long cadre, int bin);
    void ToolButtonUp();

    void MarkWholeArrayDirty();
    bool IsDirtyRegionEmpty() const { return nDirtyLastCadre < nDirtyFirstCadre || nDirtyLastBin < nDirtyFirstBin; }
    int GetNBins() const { return pWaveFilm.GetNFFT() / 2; }
    unsigned char* GetTraceStatus(long cadre) { return LocalMaxAmplPosition.pArray + cadre * GetNBins(); }
    const unsigned char* GetTraceStatus(long cadre) const { return LocalMaxAmplPosition.pArray + cadre * GetNBins(); }

    // Commands.
    void OnShowTraces();
    void OnShowOnlyTraces();
    void OnSetSigmaFr();
    void OnSyncOscillogram();
    void OnAddAllVisibleTraces();
    void OnRemoveAllTraces();
    void OnShowOscillogram();
    void OnPhoneObjectProperties();
    void OnEditTraces();
    void OnToolAdds();
    void OnToolRemoves();
    void OnFollowMaxima();
    void OnQuickEditing();
    void OnShowOnlyMarkedTraces();
    void OnUpdateShowTraces(CCmdUI* pCmdUI);
    void OnUpdateShowOnlyTraces(CCmdUI* pCmdUI);
    void OnUpdateSyncOscillogram(CCmdUI* pCmdUI);
    void OnUpdateShowOscillogram(CCmdUI* pCmdUI);
    void OnUpdateEditTraces(CCmdUI* pCmdUI);
    void OnUpdateToolAdds(CCmdUI* pCmdUI);
    void OnUpdateToolRemoves(CCmdUI* pCmdUI);
    void OnUpdateFollowMaxima(CCmdUI* pCmdUI);
    void OnUpdateQuickEditing(CCmdUI* pCmdUI);
    void OnUpdateShowOnlyMarkedTraces(CCmdUI* pCmdUI);

    CKPhoneObject* pPhoneObject;
    CKWaveFilm pWaveFilm;
    // Status of bin k of cadre c, at c·NFFT/2 + k: a maximum, or the slope it lies on.
    enum : unsigned char {
        TRACE_LOCAL_MAX = 0x01,      // a strict local maximum of the cadre's dB spectrum
        TRACE_VISIBLE = 0x02,        // its level reaches the film's validDownLevel (and, with the
                                     // relative rule on, lies near its cadre's strongest maximum)
        TRACE_IN_SYNTHESIS = 0x08,   // its atom is in the synthetic signal
        TRACE_ADD_REQUEST = 0x10,    // to be added at the next resynthesis
        TRACE_REMOVE_REQUEST = 0x20, // to be removed at the next resynthesis
        TRACE_SLOPE_UP = 0x40,       // no maximum; the spectrum rises towards higher bins
        TRACE_SLOPE_DOWN = 0x80,     // no maximum; the spectrum falls towards higher bins
    };
    CKArrayBYTE LocalMaxAmplPosition;
    // The bins in [k0, k1) of a status row of B bins that carry TRACE_LOCAL_MAX,
    // in order, into out (B + 8 places); never bin 0 nor B − 1, which lack the
    // neighbour a peak estimate reads. Any pattern of marks is listed as it is.
    static int ListLocalMaxima(const unsigned char* st, int k0, int k1, int B, int* out);
    // Whether a stored status row could have come from a spectrum: a maximum
    // lies strictly above both neighbours, so no two stand side by side and
    // neither end bin is one (the peak parameters of a maximum are kept at
    // its bin and the one below it).
    static bool TraceStatusRowIsPossible(const unsigned char* st, int B);
    bool bShowTraces = false;
    bool bShowOnlyTraces = false;
    bool bReserved = true;
    bool bEditTraces = true;
    bool bAddTraces = true;
    bool bFollowMaxima = true;
    bool bQuickEditing = true;
    bool bShowOnlyMarkedTraces = false;
    int nToolsSize = 2;
    // Not stored in the document: the tracer's view sets it from the profile.
    KRelativeVisibility relativeVisibility;
    // The user stopped the analysis of every spectrum ("Прервать").
    bool bAnalysisStopped = false;
    float* pSpectraParam_A_F = nullptr;
    float* pSpectraParam_D_P = nullptr;
    double* pGaussWindow = nullptr;
    int nDirtyFirstCadre = INT_MAX;
    int nDirtyLastBin = -1;
    int nDirtyLastCadre = -1;
    int nDirtyFirstBin = INT_MAX;
    CKFloatWave pFloatWave;
    bool bInitiateTraceStatus = false;

private:
    void updateVisibility(bool bRecordChanges);
    void FreeSpectraArrays();
    void EmptyDirtyRegion();
    void RedrawAllViews();
    bool bToolStroke = false;
    CGlissarTraceRectHint TraceRectHint;
};
