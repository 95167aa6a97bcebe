// A sonogram on a small film for the dialogs' tests: the film over a whole
// generated file and a view that counts its picture requests (message 1030).
#pragma once
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "kavrel/core/KWaveFilm.h"
#include "kavrel/core/KWaveFilmHelpers.h"
#include "testsupport/WavBytes.h"
#include "kavrel/views/KWaveFilmView.h"

class CCountingWaveFilmView : public CKWaveFilmView {
public:
    CCountingWaveFilmView() = default;
    LRESULT DefWindowProcA(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_RECALCULATE_PICTURE)
            ++nPictureRequests;
        return CKWaveFilmView::DefWindowProcA(message, wParam, lParam);
    }
    int nPictureRequests = 0;
};

struct CSonogramOnFile {
    CSonogramOnFile(const std::string& name, unsigned channels, unsigned rate, const std::vector<int>& interleaved,
                    int nFFT, int width)
    {
        path = wavbytes::writeFile(name, wavbytes::pcm16(channels, rate, interleaved));
        bOpen = OpenKWaveFilmOnWholeFile(film, path.c_str(), name.c_str(), nFFT);
        view = std::make_unique<CCountingWaveFilmView>();
        view->Create(nullptr, CRect(0, 0, width, 200));
        CKWaveFilmHint hint(&film);
        view->OnUpdate(nullptr, HintNewFilm, &hint);
        view->OnInitialUpdate();
    }
    ~CSonogramOnFile()
    {
        view->DestroyWindow();
        view.reset();
        film.CloseKWaveFile();
        std::remove(path.c_str());
    }
    std::string path;
    bool bOpen = false;
    CKWaveFilm film;
    std::unique_ptr<CCountingWaveFilmView> view;
};
