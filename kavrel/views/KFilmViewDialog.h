// CKFilmViewDialog: the base of the dialogs a sonogram opens over itself;
// they work on the view and on the film it shows.
#pragma once
#include "framework/ui/CDialog.h"

class CKWaveFilm;
class CKWaveFilmView;

class CKFilmViewDialog : public CDialog {
public:
    CKWaveFilmView* pView;

protected:
    CKFilmViewDialog(UINT nIDTemplate, CKWaveFilmView* p, CWnd* pParent) : CDialog(nIDTemplate, pParent), pView(p)
    {
    }

    // The view's film; null without a view.
    CKWaveFilm* film() const;
};
