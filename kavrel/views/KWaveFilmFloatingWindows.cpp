// The film's floating windows: the operations that make them live with the
// views, and the core reaches them through its window hooks, so that the
// signal core stays free of windows.
#include "kavrel/views/KWaveFilmFloatingWindows.h"

#include "kavrel/core/KWindowHooks.h"
#include "kavrel/views/KWaveSpectrumPhasePortraitView.h"
#include "kavrel/views/KWaveSpectrumView.h"

namespace {

// The film's window of class V in its slot, shown again, or made anew when
// there is none or its owner took it away.
template <class V> bool showOrCreate(V*& pSlot, const CRuntimeClass* pClass, CKWaveFilm* pFilm, CWnd* pParent)
{
    if (pSlot && pSlot->GetWidget()) {
        pSlot->ShowKWindow();
        return true;
    }
    delete pSlot;
    pSlot = nullptr;
    auto* p = static_cast<V*>(pClass->CreateObject());
    if (!p)
        return false;
    if (!p->KCreateWnd(pFilm, pParent)) {
        delete p;
        return false;
    }
    pSlot = p;
    return true;
}

} // namespace

bool CKWaveFilm::CreateKWaveSpectrumView(CWnd* pParent)
{
    return showOrCreate(pKWaveSpectrumView, RUNTIME_CLASS(CKWaveSpectrumView), this, pParent);
}

bool CKWaveFilm::CreateKWaveSpectrumPhasePortraitView(CWnd* pParent)
{
    return showOrCreate(pKWaveSpectrumPhasePortraitView, RUNTIME_CLASS(CKWaveSpectrumPhasePortraitView), this,
                        pParent);
}

bool KCreateFilmFloatingWindow(CMiniFrameWnd& wnd, const char* name, CKWaveFilm* pFilm, int nWidth, int nHeight,
                               CWnd* pParent)
{
    CString title;
    title.Format("%s - %s", name, pFilm ? pFilm->GetKWaveFileTitle().GetString() : "");
    const CRect rc(0, 0, nWidth, nHeight);
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_VISIBLE;
    if (!wnd.Create(nullptr, title.GetString(), style, rc, pParent))
        return false;
    wnd.CenterWindow();
    return true;
}

void DestroyKWaveFilmFloatingWindows(CKWaveFilm& film)
{
    delete film.pKWaveSpectrumView;
    film.pKWaveSpectrumView = nullptr;
    delete film.pKWaveSpectrumPhasePortraitView;
    film.pKWaveSpectrumPhasePortraitView = nullptr;
}

namespace {

// Both windows compute what they show when they paint.
void RepaintSpectrumView(CKWaveSpectrumView* p)
{
    p->Invalidate(FALSE);
}

void RepaintPhasePortraitView(CKWaveSpectrumPhasePortraitView* p)
{
    p->Invalidate(FALSE);
}

void DestroySpectrumView(CKWaveSpectrumView* p)
{
    delete p;
}

void DestroyPhasePortraitView(CKWaveSpectrumPhasePortraitView* p)
{
    delete p;
}

const bool kHooksInstalled = [] {
    KWindowHooks& hooks = KGetWindowHooks();
    hooks.RepaintSpectrumView = RepaintSpectrumView;
    hooks.RepaintPhasePortraitView = RepaintPhasePortraitView;
    hooks.DestroySpectrumView = DestroySpectrumView;
    hooks.DestroyPhasePortraitView = DestroyPhasePortraitView;
    return true;
}();

} // namespace
