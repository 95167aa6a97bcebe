#include "kavrel/views/KWaveFilmPicture.h"

#include <algorithm>
#include <memory>

#include "kavrel/views/KWaveFilmView.h"

int KWaveFilmPictureHeight(const CKWaveFilm& film)
{
    const int nfft = film.GetNFFT();
    return nfft < 4 ? 2 : std::min((nfft / 2 + 1) & ~1, int(CKWaveFilmView::nMaxLines));
}

bool RenderKWaveFilmPicture(CKWaveFilm& film, long c0, long c1, std::uint32_t* pixels, long stride, int nBand,
                            const std::function<void(long)>& progress)
{
    // The view's own caches and colouring; it never gets a window here.
    std::unique_ptr<CKWaveFilmView> view(
        static_cast<CKWaveFilmView*>(RUNTIME_CLASS(CKWaveFilmView)->CreateObject()));
    view->pWaveFilm = &film;
    if (!view->AllocateImages(nBand))
        return false;
    const int lines = view->nLines;
    const int columns = view->nColumns;
    for (long x0 = c0; x0 < c1; x0 += columns) {
        view->CalculateSpectraFromCadre(x0);
        view->CalculateBitmapFromCadre(x0);
        const long end = std::min(c1, x0 + columns);
        for (long c = x0; c < end; ++c) {
            const int slot = int(c % columns);
            std::uint32_t* column = pixels + (c - c0);
            for (int k = 0; k < lines; ++k)
                column[size_t(lines - 1 - k) * size_t(stride)] = view->PicturePixel(slot, k);
        }
        if (progress)
            progress(end - c0);
    }
    return true;
}
