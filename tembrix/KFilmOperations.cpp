// The bodies of the workshop's WAV-writing commands, shared by the document
// and the batch tool: the output format, the work file, the progress, the
// messages. The signal work itself is in KSignalEdits, KResampling and
// KSoundSynthesis.
#include "tembrix/KFilmOperations.h"

#include <exception>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "framework/base/ProgressService.h"
#include "framework/base/UserServices.h"
#include "kavrel/core/KPhoneObject.h"
#include "kavrel/core/KWaveFilm.h"
#include "kavrel/core/KWaveWriteToFile.h"
#include "tembrix/KResampling.h"
#include "tembrix/KSoundSynthesis.h"
#include "tembrix/KWaveOutputSteps.h"

namespace {

const char* const kWriteFailed = "Не удалось записать все данные в синтезируемый звуковой файл.";

// The output record: the source's, as one 16-bit channel at the given rate.
// The samples are always made 16-bit through the reader, so an 8-bit source
// gives a 16-bit result rather than 16-bit data under an 8-bit header.
WAVEFORMATEX Mono16Format(const WAVEFORMATEX& source, DWORD rate)
{
    WAVEFORMATEX f = source;
    // A float or extensible source's output is plain PCM all the same.
    if (f.wFormatTag != WAVE_FORMAT_PCM) {
        f.wFormatTag = WAVE_FORMAT_PCM;
        f.cbSize = 0;
    }
    f.nChannels = 1;
    f.wBitsPerSample = 16;
    f.nBlockAlign = 2;
    f.nSamplesPerSec = rate;
    f.nAvgBytesPerSec = rate * 2;
    return f;
}

CString NoMemoryText(int nBuffer)
{
    CString text;
    text.Format("Не хватило памяти для рассчетов.\nПроцесс прерван.\n%i", nBuffer);
    return text;
}

// Reports progress of a long pass in percent, opened and closed with it.
class CProgressScope {
public:
    explicit CProgressScope(const char* status) { ProgressService().Open(0, 100, status); }
    ~CProgressScope() { ProgressService().Close(); }
    CProgressScope(const CProgressScope&) = delete;
    CProgressScope& operator=(const CProgressScope&) = delete;
    kresample::Progress Callback()
    {
        return [this](long done, long total) {
            const int pos = total > 0 ? int(100.0 * double(done) / double(total)) : 100;
            if (pos != m_nLast) {
                ProgressService().SetPos(m_nLast = pos);
                KThrowIfProgressCancelled();
            }
        };
    }

private:
    int m_nLast = -1;
};

// A draft does not outlive a computation that was stopped (or failed by an
// exception) on its way: the stack unwinds through this guard.
class CDraftGuard {
public:
    explicit CDraftGuard(ksynth::CKFloatWorkFile& work) : m_work(work) {}
    ~CDraftGuard()
    {
        if (std::uncaught_exceptions() > m_nUncaught)
            m_work.Remove();
    }
    CDraftGuard(const CDraftGuard&) = delete;
    CDraftGuard& operator=(const CDraftGuard&) = delete;

private:
    ksynth::CKFloatWorkFile& m_work;
    int m_nUncaught = std::uncaught_exceptions();
};

// Opens the draft's work file; false, with its message told, when it cannot
// be had (noFolder: the operation's own words for a missing temporary folder).
bool OpenWorkFile(ksynth::CKFloatWorkFile& work, const char* noFolder)
{
    const char* m = nullptr;
    switch (work.Open()) {
    case ksynth::CKFloatWorkFile::NoTempFolder: m = noFolder; break;
    case ksynth::CKFloatWorkFile::CannotCreate:
        m = "Не удалось создать временный файл для записи черновика синтезированного звукового файла.";
        break;
    case ksynth::CKFloatWorkFile::CannotOpen:
        m = "Не удалось открыть временный файл для записи черновика синтезированного звукового файла.";
        break;
    default: return true;
    }
    AfxMessageBox(m);
    return false;
}

// Writes what a resampler makes through the output steps; a buffer it could
// not have ends the operation with its numbered message and no output.
bool WriteResampled(const CString& path, const WAVEFORMATEX& format,
                    const std::function<kresample::Outcome(const kresample::BlockWriter&)>& make)
{
    CKWaveOutputSteps steps(path, kWriteFailed);
    if (!steps.Begin(format))
        return false;
    const kresample::Outcome outcome =
        make([&steps](const short* p, long n) { return steps.Write(p, n * long(sizeof(short))); });
    if (outcome.kind == kresample::Outcome::NoMemory) {
        steps.Discard();
        AfxMessageBox(NoMemoryText(outcome.nBuffer));
        return false;
    }
    return steps.End();
}

// Writes the work file normalised to its peak; the work file goes only
// when every step succeeded.
bool WriteWorkFile(const CString& path, const WAVEFORMATEX& format, ksynth::CKFloatWorkFile& work,
                   const kresample::Progress& progress)
{
    const double peak = ksynth::PeakOf(work);
    CKWaveOutputSteps steps(path, kWriteFailed);
    if (steps.Begin(format)) {
        ksynth::WriteNormalised(
            work, peak, [&steps](const short* p, long n) { return steps.Write(p, n * long(sizeof(short))); }, progress);
        if (steps.End()) {
            work.Remove();
            return true;
        }
    }
    work.Close();
    return false;
}

// 16-bit samples of the analysed channel, zeros outside the file.
kresample::WindowReader SampleReader(CKWaveFilm& film)
{
    return [&film](short* dst, long first, long n) { return film.FillKWaveBufFromSampleNSamples(dst, first, n); };
}

} // namespace


const char* const kOnlyMonoMessage = "Эта операция работает только для монофонических сигналов";
const char* const kOnlyMonoSynthesisMessage =
    "Эта функция синтеза нового звукового файла с учетом свойств выдоленных сонообъектов работает только с "
    "монофоническими (одноканальными) звуковыми файлами.";

bool KRefuseIfNotMono(const CKWaveFilm& film, const char* message)
{
    if (film.GetKWaveNChannels() == 1)
        return false;
    AfxMessageBox(message);
    return true;
}

bool KWriteEditedSegment(CKWaveFilm& film, int nWhat, int nQuality, const CString& path)
{
    CKWaveOutputSteps out(path, kEditedWriteFailure);
    const KEditOutcome o = KWriteSegmentEdit(film, film.GetCadreStepInSamples(), film.GetSelectedFragmentSample0(),
                                             film.GetSelectedFragmentSample1(), nWhat, nQuality, out);
    if (o == KEditOutcome::Memory)
        AfxMessageBox(kEditMemoryFailure);
    return o == KEditOutcome::Written;
}

bool KWriteEditedSide(CKWaveFilm& film, int nSide, const CString& path)
{
    CKWaveOutputSteps out(path, kEditedWriteFailure);
    const KEditOutcome o = KWriteSideDeletion(film, film.GetKCaretSample(), nSide, film.GetCadreStepInSamples(), out);
    if (o == KEditOutcome::Memory)
        AfxMessageBox(kEditMemoryFailure);
    return o == KEditOutcome::Written;
}

bool KWriteLevelled(CKWaveFilm& film, const KAGCSettings& settings, const CString& path)
{
    CKWaveOutputSteps out(path, kWriteFailed);
    return KWriteLevelledPower(film, settings, out) == KEditOutcome::Written;
}

bool KRefuseIfTooShortToUpsample(CKWaveFilm& film)
{
    const long N = film.GetKWaveSizeInSamples();
    if (N >= kresample::kShortestInterpolated)
        return false;
    // Nothing would come out but a header.
    CString text;
    text.Format("Звуковой файл слишком короткий для повышения частоты АЦП: в нем %ld отсчетов, а нужно не менее "
                "%ld.\nФайл не создан.",
                N, kresample::kShortestInterpolated);
    AfxMessageBox(text, MB_ICONEXCLAMATION);
    return true;
}

bool KWriteUpsampled(CKWaveFilm& film, int factor, const CString& path)
{
    const WAVEFORMATEX source = film.GetKWaveFormat();
    // Read in order from the start, converted to 16 bits whatever the source's width.
    long pos = 0;
    const long N = film.GetKWaveSizeInSamples();
    if (KRefuseIfTooShortToUpsample(film))
        return false;
    const kresample::SequentialReader read = [&film, &pos, N](short* dst, long n) {
        const long got = std::clamp(N - pos, 0L, n);
        if (!film.FillKWaveBufFromSampleNSamples(dst, pos, n))
            return 0L;
        pos += got;
        return got;
    };
    CProgressScope progress(factor == 4 ? "Повышение частоты АЦП в 4 раза" : "Повышение частоты АЦП в 2 раза");
    return WriteResampled(path, Mono16Format(source, source.nSamplesPerSec * DWORD(factor)),
                          [&](const kresample::BlockWriter& write) {
                              return factor == 4 ? kresample::UpsampleByFour(N, read, write, progress.Callback())
                                                 : kresample::UpsampleByTwo(N, read, write, progress.Callback());
                          });
}

bool KWriteDownsampled(CKWaveFilm& film, int M, const CString& path)
{
    const WAVEFORMATEX source = film.GetKWaveFormat();
    CProgressScope progress("Понижение частоты АЦП");
    return WriteResampled(path, Mono16Format(source, source.nSamplesPerSec / DWORD(M)),
                          [&](const kresample::BlockWriter& write) {
                              return kresample::Downsample(film.GetKWaveSizeInSamples(), M, SampleReader(film), write,
                                                           progress.Callback());
                          });
}

bool KWriteReversedCadres(CKWaveFilm& film, int nKeepEvery, bool bReverse, const CString& path)
{
    ksynth::CKFloatWorkFile work;
    if (!OpenWorkFile(work, "Не удалось создать имя временной папки для записи в нее "
                            "черновика синтезированного звукового файла."))
        return false;
    CDraftGuard guard(work);
    CProgressScope progress("Реверсирование кадров");
    {
        kresample::ReversalParams p;
        p.nSamples = film.GetKWaveSizeInSamples();
        p.nStep = film.GetCadreStepInSamples();
        p.nCadres = film.GetNCadres();
        p.nZeroCadreSample = film.GetZeroCadreSamplePosition();
        p.nKeepEvery = nKeepEvery;
        p.bReverse = bReverse;
        std::vector<float> R;
        const kresample::Outcome o = kresample::ReverseCadres(p, SampleReader(film), R, progress.Callback());
        if (o.kind == kresample::Outcome::NoMemory) {
            AfxMessageBox(o.nBuffer == kresample::BufferReversalResult
                              ? "Не хватило памяти для p_float_wave_signal !\nОперация не выполнена."
                              : "Не хватило памяти для p_short_wave_window !\nОперация не выполнена.");
            work.Remove();
            return false;
        }
        if (!work.Append(R.data(), long(R.size()))) {
            AfxMessageBox("Не удалось открыть временный файл для записи черновика синтезированного звукового файла.");
            work.Remove();
            return false;
        }
    }
    const WAVEFORMATEX source = film.GetKWaveFormat();
    return WriteWorkFile(path, Mono16Format(source, source.nSamplesPerSec), work, progress.Callback());
}

bool KWriteSynthesis(CKWaveFilm& film, const std::vector<const CKPhoneObject*>& phoneObjects, const CString& path)
{
    ksynth::CKFloatWorkFile work;
    if (!OpenWorkFile(work, "Не удалось имя временной папки для записи в нее черновика "
                            "синтезированного звукового файла."))
        return false;
    CDraftGuard guard(work);
    CProgressScope progress("Синтез звукового файла");
    if (!ksynth::CopySignal(film.GetKWaveSizeInSamples(), SampleReader(film), work)) {
        AfxMessageBox("Не удалось открыть временный файл для записи черновика синтезированного звукового файла.");
        work.Remove();
        return false;
    }
    std::vector<ksynth::SoundObject> objects;
    for (const CKPhoneObject* po : phoneObjects)
        objects.push_back({po->nType, po->nFirstSample, po->nLastSample, po->dLevelChange_dB,
                           std::string(po->sPhoneObjectFloatWaveFilePathName.GetString())});
    ksynth::SynthesisContext context;
    context.nStep = film.GetCadreStepInSamples();
    context.dEdgeSigma = double(film.pS0->Wave.GetKWaveFrADC()) * film.pS0->GetSigmaT();
    context.read = SampleReader(film);
    context.report = [](const std::string& m) { AfxMessageBox(CString(m.c_str())); };
    context.sOutputPath = path.GetString();
    ksynth::ApplyObjects(objects, context, work);
    const WAVEFORMATEX source = film.GetKWaveFormat();
    return WriteWorkFile(path, Mono16Format(source, source.nSamplesPerSec), work, progress.Callback());
}

bool KWriteCocktail(CKWaveFilm& film, int nAdditions, unsigned seed, const CString& path)
{
    CKSpectrum& S = *film.pS0;
    ksynth::CocktailParams p;
    p.nLength = film.GetLengthInSamples();
    p.nFFT = film.GetNFFT();
    const int h = p.nFFT / 2;
    // The frame's half window, as far as the frame holds it.
    if (const double* g = S.GetGauss())
        p.halfGauss.assign(g, g + std::clamp(h, 0, S.Gauss.nSize));
    p.c0 = film.GetCadreNumberFromSample(S.GetnValidGaussSamples());
    p.c1 = film.GetNCadres() - p.c0;
    p.sampleOfCadre = [&film](long c) { return film.GetSampleFromCadreNumber(c); };
    p.window = [&S, &film](long sample, short* dst) {
        if (S.Wave.GetKWaveWindowWidthInSamples() != film.GetNFFT())
            S.Wave.SetKWaveWindowWidthInSamples(film.GetNFFT());
        if (!S.Wave.PositKWaveWindowOnSample(sample))
            return false;
        std::copy(S.Wave.GetKWaveWindow(), S.Wave.GetKWaveWindow() + film.GetNFFT(), dst);
        return true;
    };
    p.nAdditions = nAdditions;
    std::srand(seed);
    // The standard generator's 15 bits, whatever range the library's rand has.
    p.random = [] { return std::rand() & 0x7FFF; };
    ksynth::CocktailResult r;
    {
        CWaitCursor wait;
        CProgressScope progress("Создание коктейля");
        r = ksynth::MakeCocktail(p, progress.Callback());
    }
    if (!r.sNoMemory.empty()) {
        AfxMessageBox(CString(r.sNoMemory.c_str()));
        return false;
    }
    CKWaveWriteToFile out;
    const unsigned long rate = static_cast<unsigned long>(film.GetKWaveFrADC());
    if (!(path.IsEmpty() ? out.Create(rate, 1) : out.Create(path, rate, 1)))
        return false;
    const bool written = out.Write(r.wave.data(), int(r.wave.size() * sizeof(short)));
    if (out.Close() && written)
        return true;
    // Its message has been shown; a file whose header lies about its samples must not stay.
    std::remove(out.GetWaveFilePath().GetString());
    return false;
}
