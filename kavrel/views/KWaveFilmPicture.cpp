#include "kavrel/views/KWaveFilmPicture.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <sched.h>
#include <thread>

#include "kavrel/views/KWaveFilmView.h"

namespace {

// The view's own caches and colouring; it never gets a window here.
std::unique_ptr<CKWaveFilmView> bareView(CKWaveFilm& film, int nBand)
{
    std::unique_ptr<CKWaveFilmView> view(static_cast<CKWaveFilmView*>(RUNTIME_CLASS(CKWaveFilmView)->CreateObject()));
    view->pWaveFilm = &film;
    // The export shares its columns out among films, one a core already.
    view->bSecondCore = false;
    if (!view->AllocateImages(nBand))
        view.reset();
    return view;
}

// Not a multiple of 1024: the colouring stores down a column, and a row of
// 4096 bytes would put every line of it in the same cache set.
constexpr int kBand = 1000;

void putPixel(unsigned char* dst, const unsigned char* bgra, int channels)
{
    if (channels == 1) {
        dst[0] = bgra[0];
    } else {
        dst[0] = bgra[2];
        dst[1] = bgra[1];
        dst[2] = bgra[0];
    }
}

// Columns [x0, x1) of the picture from one film's view.
// Column xOut of the picture is the first byte column of out.
void renderColumns(CKWaveFilmView& view, long c0, long c1, long width, long x0, long x1, long xOut,
                   unsigned char* out, int channels, size_t stride, std::atomic<long>& done,
                   const std::function<void()>& tick)
{
    const int lines = view.nLines;
    const int columns = view.nColumns;
    const unsigned char* bits = view.bitmapBits.pArray;
    const float* levels = view.amplBuffer.pArray;
    const bool merged = width < c1 - c0;
    const long first = KWaveFilmPictureColumnStart(c0, c1, width, x0);
    const long last = KWaveFilmPictureColumnStart(c0, c1, width, x1);
    // Cadres are analysed in pairs counted from c0, as one thread would:
    // the picture does not depend on how it was shared out.
    const long from = first - ((first - c0) & 1);
    // Per line, the loudest level so far in the column being merged.
    std::vector<float> best(static_cast<size_t>(lines));
    long x = x0 - 1, nextColumnAt = first;
    for (long b = from; b < last; b += columns) {
        view.CalculateSpectraFromCadre(b);
        view.CalculateBitmapFromCadre(b);
        const long begin = std::max(b, first), end = std::min(last, b + columns);
        if (!merged) {
            // One column a cadre: line by line, contiguous on both sides.
            for (int k = 0; k < lines; ++k) {
                const unsigned char* src = bits + size_t(k) * size_t(columns) * 4;
                unsigned char* dst = out + size_t(lines - 1 - k) * stride + size_t(begin - c0 - xOut) * size_t(channels);
                int s = int(begin % columns);
                for (long c = begin; c < end; ++c, dst += channels) {
                    putPixel(dst, src + size_t(s) * 4, channels);
                    if (++s == columns)
                        s = 0;
                }
            }
        } else {
            for (long c = begin; c < end; ++c) {
                bool fresh = false;
                while (c >= nextColumnAt) {
                    ++x;
                    nextColumnAt = KWaveFilmPictureColumnStart(c0, c1, width, x + 1);
                    fresh = true;
                }
                const int s = int(c % columns);
                const float* a = levels + size_t(s) * size_t(lines);
                for (int k = 0; k < lines; ++k) {
                    if (!fresh && !(a[k] > best[size_t(k)]))
                        continue;
                    best[size_t(k)] = a[k];
                    putPixel(out + size_t(lines - 1 - k) * stride + size_t(x - xOut) * size_t(channels),
                             bits + (size_t(k) * size_t(columns) + size_t(s)) * 4, channels);
                }
            }
        }
        done += end - begin;
        if (tick)
            tick();
    }
}

} // namespace

int KUsableCores()
{
    cpu_set_t set;
    if (::sched_getaffinity(0, sizeof set, &set) == 0)
        return CPU_COUNT(&set);
    return int(std::max(1u, std::thread::hardware_concurrency()));
}

int KWaveFilmPictureHeight(const CKWaveFilm& film)
{
    const int nfft = film.GetNFFT();
    return nfft < 4 ? 2 : std::min((nfft / 2 + 1) & ~1, int(CKWaveFilmView::nMaxLines));
}

int KWaveFilmPictureChannels(const CKWaveFilm& film)
{
    const int type = film.displayFlags & CKWaveFilm::DisplayTypeMask;
    return type == CKWaveFilm::DisplayAmplitudeGrey || type == CKWaveFilm::DisplayHarmonogram ? 1 : 3;
}

long KWaveFilmPictureColumnStart(long c0, long c1, long width, long x)
{
    if (width <= 0)
        return c0;
    return c0 + long((long long)(c1 - c0) * x / width);
}

bool RenderKWaveFilmPictureBytes(const std::vector<CKWaveFilm*>& films, long c0, long c1, long width, long xa,
                                 long xb, unsigned char* out, int channels, size_t stride,
                                 const std::function<void(long)>& progress)
{
    if (films.empty() || c1 <= c0 || width < 1 || width > c1 - c0 || xa < 0 || xb > width || xb <= xa ||
        (channels != 1 && channels != 3))
        return false;
    // Windows are made on the calling thread; the threads only compute.
    std::vector<std::unique_ptr<CKWaveFilmView>> views;
    const long nThreads = std::min<long>(long(films.size()), xb - xa);
    for (long t = 0; t < nThreads; ++t) {
        views.push_back(bareView(*films[size_t(t)], kBand));
        if (!views.back())
            return false;
    }
    std::atomic<long> done{0};
    std::vector<std::thread> workers;
    for (long t = 0; t < nThreads; ++t) {
        const long x0 = xa + (xb - xa) * t / nThreads, x1 = xa + (xb - xa) * (t + 1) / nThreads;
        const bool here = t + 1 == nThreads;
        auto tick = here && progress ? std::function<void()>([&] { progress(done.load()); }) : std::function<void()>();
        auto job = [&, t, x0, x1, tick] {
            renderColumns(*views[size_t(t)], c0, c1, width, x0, x1, xa, out, channels, stride, done, tick);
        };
        if (here)
            job();
        else
            workers.emplace_back(job);
    }
    for (auto& w : workers)
        w.join();
    if (progress)
        progress(done.load());
    return true;
}
