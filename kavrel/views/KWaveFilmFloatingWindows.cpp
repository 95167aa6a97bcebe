// The film's floating windows: the operations that make them live with the
// views, and the core reaches them through its window hooks, so that the
// signal core stays free of windows.
#include "kavrel/views/KWaveFilmFloatingWindows.h"

#include "kavrel/core/KWindowHooks.h"
#include "kavrel/views/KWaveSpectrumPhasePortraitView.h"
#include "kavrel/views/KWaveSpectrumView.h"

bool CKWaveFilm::CreateKWaveSpectrumView(CWnd* pParent)
{
    if (pKWaveSpectrumView && pKWaveSpectrumView->GetWidget()) {
        pKWaveSpectrumView->ShowKWindow();
        return true;
    }
    // A window whose owner took it away is made anew.
    delete pKWaveSpectrumView;
    pKWaveSpectrumView = nullptr;
    auto* p = static_cast<CKWaveSpectrumView*>(RUNTIME_CLASS(CKWaveSpectrumView)->CreateObject());
    if (!p)
        return false;
    if (!p->KCreateWnd(this, pParent)) {
        delete p;
        return false;
    }
    pKWaveSpectrumView = p;
    return true;
}

bool CKWaveFilm::CreateKWaveSpectrumPhasePortraitView(CWnd* pParent)
{
    if (pKWaveSpectrumPhasePortraitView && pKWaveSpectrumPhasePortraitView->GetWidget()) {
        pKWaveSpectrumPhasePortraitView->ShowKWindow();
        return true;
    }
    delete pKWaveSpectrumPhasePortraitView;
    pKWaveSpectrumPhasePortraitView = nullptr;
    auto* p = static_cast<CKWaveSpectrumPhasePortraitView*>(
        RUNTIME_CLASS(CKWaveSpectrumPhasePortraitView)->CreateObject());
    if (!p)
        return false;
    if (!p->KCreateWnd(this, pParent)) {
        delete p;
        return false;
    }
    pKWaveSpectrumPhasePortraitView = p;
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
