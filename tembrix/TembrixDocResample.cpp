// The document's commands that write a new sound from the analysed one:
// ×2 and ×4 sampling rate, decimation, cadre reversal, synthesis from the
// sound objects and the cocktail. The signal work is in KResampling and
// KSoundSynthesis; here the dialogs are asked and the files written.
#include "tembrix/TembrixDoc.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <string>

#include "framework/base/ProgressService.h"
#include "framework/base/UserServices.h"
#include "kavrel/core/KWaveWriteToFile.h"
#include "tembrix/KDialogMakeWaveCooktail.h"
#include "tembrix/KDialogReverseCadres.h"
#include "tembrix/KDialogSetDownsampling.h"
#include "tembrix/KResampling.h"
#include "tembrix/KSoundSynthesis.h"
#include "tembrix/KWaveOutputSteps.h"
#include "tembrix/TembrixIds.h"

namespace {

const char* const kOnlyMono = "Эта операция работает только для монофонических сигналов";
const char* const kOnlyMonoSynthesis =
    "Эта функция синтеза нового звукового файла с учетом свойств выдоленных сонообъектов работает только с "
    "монофоническими (одноканальными) звуковыми файлами.";
const char* const kWriteFailed = "Не удалось записать все данные в синтезируемый звуковой файл.";
const char* const kTitleNormalised = "Задание нового имени выходного нормированного файла-сигнала (в формате WAV)";
const char* const kTitleDownsampled = "Задание нового имени выходного файла-сигнала (в формате WAV)";
const char* const kTitleSynthesised = "Задание имени синтезируемого файла-сигнала (в формате WAV)";

// The output record: the source's, as one 16-bit channel at the given rate.
// The samples are always made 16-bit through the reader, so an 8-bit source
// gives a 16-bit result rather than 16-bit data under an 8-bit header.
WAVEFORMATEX Mono16Format(const WAVEFORMATEX& source, DWORD rate)
{
    WAVEFORMATEX f = source;
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
            if (pos != m_nLast)
                ProgressService().SetPos(m_nLast = pos);
        };
    }

private:
    int m_nLast = -1;
};

// The message of a failed work file.
const char* WorkFileMessage(ksynth::CKFloatWorkFile::OpenResult r, const char* noFolder)
{
    switch (r) {
    case ksynth::CKFloatWorkFile::NoTempFolder: return noFolder;
    case ksynth::CKFloatWorkFile::CannotCreate:
        return "Не удалось создать временный файл для записи черновика синтезированного звукового файла.";
    case ksynth::CKFloatWorkFile::CannotOpen:
        return "Не удалось открыть временный файл для записи черновика синтезированного звукового файла.";
    default: return nullptr;
    }
}

// Writes what a resampler makes through the output steps; a buffer it could
// not have ends the operation with its numbered message and no output.
void WriteResampled(const CString& path, const WAVEFORMATEX& format,
                    const std::function<kresample::Outcome(const kresample::BlockWriter&)>& make)
{
    CKWaveOutputSteps steps(path, kWriteFailed);
    if (!steps.Begin(format))
        return;
    const kresample::Outcome outcome =
        make([&steps](const short* p, long n) { return steps.Write(p, n * long(sizeof(short))); });
    if (outcome.kind == kresample::Outcome::NoMemory) {
        steps.Discard();
        AfxMessageBox(NoMemoryText(outcome.nBuffer));
        return;
    }
    steps.End();
}

// Writes the work file normalised to its peak; the work file goes only
// when every step succeeded.
void WriteWorkFile(const CString& path, const WAVEFORMATEX& format, ksynth::CKFloatWorkFile& work,
                   const kresample::Progress& progress)
{
    const double peak = ksynth::PeakOf(work);
    CKWaveOutputSteps steps(path, kWriteFailed);
    if (steps.Begin(format)) {
        ksynth::WriteNormalised(
            work, peak, [&steps](const short* p, long n) { return steps.Write(p, n * long(sizeof(short))); }, progress);
        if (steps.End()) {
            work.Remove();
            return;
        }
    }
    work.Close();
}

} // namespace

bool CTembrixDoc::RefuseIfNotMono(const char* message)
{
    if (WaveFilm.GetKWaveNChannels() == 1)
        return false;
    AfxMessageBox(message);
    return true;
}

kresample::WindowReader CTembrixDoc::SampleReader()
{
    return [this](short* dst, long first, long n) { return WaveFilm.FillKWaveBufFromSampleNSamples(dst, first, n); };
}

void CTembrixDoc::OnUpsample(UINT nID)
{
    if (RefuseIfNotMono(kOnlyMono))
        return;
    const int factor = nID == ID_UPSAMPLE_4 ? 4 : 2;
    const CString name = OutputInitialName(factor == 4 ? "_UpSampling x 4" : "_UpSampling x 2");
    KRunWaveOutputCommand(nullptr, name, kTitleNormalised, WaveFilm.GetKWaveFilePathName(), [&](const CString& path) {
        const WAVEFORMATEX source = WaveFilm.GetKWaveFormat();
        // Read in order from the start, converted to 16 bits whatever the source's width.
        long pos = 0;
        const long N = WaveFilm.GetKWaveSizeInSamples();
        const kresample::SequentialReader read = [this, &pos, N](short* dst, long n) {
            const long got = std::clamp(N - pos, 0L, n);
            if (!WaveFilm.FillKWaveBufFromSampleNSamples(dst, pos, n))
                return 0L;
            pos += got;
            return got;
        };
        CProgressScope progress(factor == 4 ? "Повышение частоты АЦП в 4 раза" : "Повышение частоты АЦП в 2 раза");
        WriteResampled(path, Mono16Format(source, source.nSamplesPerSec * DWORD(factor)),
                       [&](const kresample::BlockWriter& write) {
                           return factor == 4 ? kresample::UpsampleByFour(N, read, write, progress.Callback())
                                              : kresample::UpsampleByTwo(N, read, write, progress.Callback());
                       });
    });
}

void CTembrixDoc::OnDownsample()
{
    if (RefuseIfNotMono(kOnlyMono))
        return;
    CKDialogSetDownsampling dlg;
    dlg.nOldFrADC = int(WaveFilm.GetKWaveFrADC());
    const CString name = OutputInitialName("_Downsampling");
    KRunWaveOutputCommand(&dlg, name, kTitleDownsampled, WaveFilm.GetKWaveFilePathName(), [&](const CString& path) {
        // A factor above the old rate leaves a new rate of zero: nothing to divide by.
        const int M = dlg.nNewFrADC > 0 ? std::max(1, dlg.nOldFrADC / dlg.nNewFrADC) : std::max(1, dlg.nFactor);
        const WAVEFORMATEX source = WaveFilm.GetKWaveFormat();
        CProgressScope progress("Понижение частоты АЦП");
        WriteResampled(path, Mono16Format(source, source.nSamplesPerSec / DWORD(M)),
                       [&](const kresample::BlockWriter& write) {
                           return kresample::Downsample(WaveFilm.GetKWaveSizeInSamples(), M, SampleReader(), write,
                                                        progress.Callback());
                       });
    });
}

void CTembrixDoc::OnReverseCadres()
{
    if (RefuseIfNotMono(kOnlyMonoSynthesis))
        return;
    CKDialogReverseCadres dlg;
    KRunWaveOutputCommand(&dlg, WaveFilm.GetKWaveFileTitle() + "_Reversed_cadres", kTitleSynthesised,
                          WaveFilm.GetKWaveFilePathName(), [&](const CString& path) {
        ksynth::CKFloatWorkFile work;
        if (const char* m = WorkFileMessage(work.Open(), "Не удалось создать имя временной папки для записи в нее "
                                                         "черновика синтезированного звукового файла.")) {
            AfxMessageBox(m);
            return;
        }
        CProgressScope progress("Реверсирование кадров");
        {
            kresample::ReversalParams p;
            p.nSamples = WaveFilm.GetKWaveSizeInSamples();
            p.nStep = WaveFilm.GetCadreStepInSamples();
            p.nCadres = WaveFilm.GetNCadres();
            p.nZeroCadreSample = WaveFilm.GetZeroCadreSamplePosition();
            p.nKeepEvery = dlg.nKeepEvery;
            p.bReverse = dlg.bReverse;
            std::vector<float> R;
            const kresample::Outcome o = kresample::ReverseCadres(p, SampleReader(), R, progress.Callback());
            if (o.kind == kresample::Outcome::NoMemory) {
                AfxMessageBox(o.nBuffer == kresample::BufferReversalResult
                                  ? "Не хватило памяти для p_float_wave_signal !\nОперация не выполнена."
                                  : "Не хватило памяти для p_short_wave_window !\nОперация не выполнена.");
                work.Remove();
                return;
            }
            if (!work.Append(R.data(), long(R.size()))) {
                AfxMessageBox(
                    "Не удалось открыть временный файл для записи черновика синтезированного звукового файла.");
                work.Remove();
                return;
            }
        }
        const WAVEFORMATEX source = WaveFilm.GetKWaveFormat();
        WriteWorkFile(path, Mono16Format(source, source.nSamplesPerSec), work, progress.Callback());
    });
}

void CTembrixDoc::OnSynthesis()
{
    if (RefuseIfNotMono(kOnlyMonoSynthesis))
        return;
    KRunWaveOutputCommand(nullptr, WaveFilm.GetKWaveFileTitle() + "_Synthetic", kTitleSynthesised,
                          WaveFilm.GetKWaveFilePathName(), [&](const CString& path) {
        ksynth::CKFloatWorkFile work;
        if (const char* m = WorkFileMessage(work.Open(), "Не удалось имя временной папки для записи в нее черновика "
                                                         "синтезированного звукового файла.")) {
            AfxMessageBox(m);
            return;
        }
        CProgressScope progress("Синтез звукового файла");
        if (!ksynth::CopySignal(WaveFilm.GetKWaveSizeInSamples(), SampleReader(), work)) {
            AfxMessageBox("Не удалось открыть временный файл для записи черновика синтезированного звукового файла.");
            work.Remove();
            return;
        }
        std::vector<ksynth::SoundObject> objects;
        for (const CKPhoneObject* po : PhoneObjects())
            objects.push_back({po->nType, po->nFirstSample, po->nLastSample, po->dLevelChange_dB,
                               std::string(po->sPhoneObjectFloatWaveFilePathName.GetString())});
        ksynth::SynthesisContext context;
        context.nStep = WaveFilm.GetCadreStepInSamples();
        context.dEdgeSigma = double(WaveFilm.pS0->Wave.GetKWaveFrADC()) * WaveFilm.pS0->GetSigmaT();
        context.read = SampleReader();
        context.report = [](const std::string& m) { AfxMessageBox(CString(m.c_str())); };
        context.sOutputPath = path.GetString();
        ksynth::ApplyObjects(objects, context, work);
        const WAVEFORMATEX source = WaveFilm.GetKWaveFormat();
        WriteWorkFile(path, Mono16Format(source, source.nSamplesPerSec), work, progress.Callback());
    });
}

void CTembrixDoc::OnSoundCocktail()
{
    CKDialogMakeWaveCooktail dlg;
    if (dlg.DoModal() != IDOK)
        return;
    CKSpectrum& S = *WaveFilm.pS0;
    ksynth::CocktailParams p;
    p.nLength = WaveFilm.GetLengthInSamples();
    p.nFFT = WaveFilm.GetNFFT();
    const int h = p.nFFT / 2;
    // The frame's half window, as far as the frame holds it.
    if (const double* g = S.GetGauss())
        p.halfGauss.assign(g, g + std::clamp(h, 0, S.Gauss.nSize));
    p.c0 = WaveFilm.GetCadreNumberFromSample(S.GetnValidGaussSamples());
    p.c1 = WaveFilm.GetNCadres() - p.c0;
    p.sampleOfCadre = [this](long c) { return WaveFilm.GetSampleFromCadreNumber(c); };
    p.window = [&S, this](long sample, short* dst) {
        if (S.Wave.GetKWaveWindowWidthInSamples() != WaveFilm.GetNFFT())
            S.Wave.SetKWaveWindowWidthInSamples(WaveFilm.GetNFFT());
        if (!S.Wave.PositKWaveWindowOnSample(sample))
            return false;
        std::copy(S.Wave.GetKWaveWindow(), S.Wave.GetKWaveWindow() + WaveFilm.GetNFFT(), dst);
        return true;
    };
    p.nAdditions = dlg.nAdditions;
    std::srand(unsigned(std::clock()));
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
        return;
    }
    CKWaveWriteToFile out;
    if (!out.Create(static_cast<unsigned long>(WaveFilm.GetKWaveFrADC()), 1))
        return;
    out.Write(r.wave.data(), int(r.wave.size() * sizeof(short)));
    out.Close();
}
