// The wave's operations on its oscillogram window: they live with the
// views, so that the signal core stays free of windows. The core reaches
// the window through the hooks installed here.
#include "kavrel/core/KWave.h"
#include "kavrel/core/KWindowHooks.h"
#include "kavrel/views/KWaveView.h"

namespace {

const bool kHooksInstalled = [] {
    KGetWindowHooks().RepaintWaveView = [](CKWaveView* pView) {
        if (pView && pView->GetWidget())
            pView->Invalidate(TRUE);
    };
    KGetWindowHooks().DestroyWaveViews = [](CKWave* pWave) { pWave->DestroyKWaveViews(); };
    return true;
}();

} // namespace

bool CKWave::CreateKWaveView(CWnd* pParent)
{
    (void)kHooksInstalled;
    // One window per wave: a second request keeps the one there is.
    if (pKWaveView)
        return true;
    auto* view = dynamic_cast<CKWaveView*>(RUNTIME_CLASS(CKWaveView)->CreateObject());
    if (!view)
        return false;
    pKWaveView = view;
    if (!view->Create(this, pParent)) {
        pKWaveView = nullptr;
        delete view;
        return false;
    }
    return true;
}

void CKWave::DestroyKWaveViews()
{
    CKWaveView* view = pKWaveView;
    pKWaveView = nullptr;
    if (!view)
        return;
    if (view->GetWidget())
        view->DestroyWindow();
    delete view;
}

void CKWave::ShowKWaveWindow(bool bShow)
{
    if (!pKWaveView || !pKWaveView->GetWidget())
        return;
    if (bShow) {
        if (pKWaveView->GetParent())
            pKWaveView->CenterWindow();
        pKWaveView->ShowWindow(SW_SHOW);
    } else {
        pKWaveView->ShowWindow(SW_HIDE);
    }
}
