#include "kavrel/views/KFilmViewDialog.h"

#include "kavrel/views/KWaveFilmView.h"

CKWaveFilm* CKFilmViewDialog::film() const
{
    return pView ? pView->pWaveFilm : nullptr;
}
