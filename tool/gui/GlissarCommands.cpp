// film, make-object and traces: the workshop's film of a new document, the
// first document of a new sound object (tracer or analyser), and the tracer's analysis of it,
// run through the same code as the programs, without windows.
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <sys/stat.h>

#include "framework/base/CFile.h"
#include "framework/base/UserServices.h"
#include "glissar/doc/GlissarDoc.h"
#include "glissar/doc/KNewPhoneObjectFiles.h"
#include "kavrel/core/KWaveFilmHelpers.h"
#include "tool/ToolCommands.h"
#include "tool/ToolReport.h"
#include "vornel/doc/VornelDoc.h"

namespace {

bool refuse(const char* text)
{
    Refuse(text);
    return false;
}

struct FilmOptions {
    long nfft = 1024;
    double sigmaf = 0; // 0: the optimum of the NFFT
    long channel = 0;
    CString name, comment;
    bool hasName = false, hasComment = false;
    double levelChange = 0;
    long index = 1;
};

// The film's cadres: the window's widths, the step, where cadre 0 stands and how many there are.
void reportCadres(CToolReport& report, CKWaveFilm& film)
{
    report.Field("sigmaf", "%.9g", film.pS0->GetSigmaF());
    report.Field("sigmat", "%.9g", film.pS0->GetSigmaT());
    report.Field("step", "%ld", film.GetCadreStepInSamples());
    report.Field("zero_cadre_sample", "%ld", film.GetZeroCadreSamplePosition());
    report.Field("cadres", "%ld", film.GetNCadres());
}

// Options after the positional arguments; objectOptions adds those of make-object.
// Returns 0, or the exit status of a refusal.
int parseFilmOptions(const ToolArgs& args, size_t from, FilmOptions& o, bool objectOptions)
{
    for (size_t i = from; i < args.size(); i += 2) {
        if (i + 1 >= args.size())
            return 2;
        const CString& key = args[i];
        const CString& value = args[i + 1];
        if (const int film = TakeFilmOption(key, value, o.nfft, o.sigmaf, &o.channel); film >= 0) {
            if (film != 0)
                return film;
        } else if (objectOptions && key == "--name") {
            o.name = value;
            o.hasName = true;
        } else if (objectOptions && key == "--comment") {
            o.comment = value;
            o.hasComment = true;
        } else if (objectOptions && key == "--level-change") {
            if (!ParseNumber(value, o.levelChange) || o.levelChange < -110 || o.levelChange > 110)
                return refuse("Изменение уровня должно быть числом от -110 до 110 (дБ)"), 1;
        } else if (objectOptions && key == "--index") {
            if (!ParseLong(value, o.index) || o.index < 1 || o.index > 0x7FFFFFFFL)
                return refuse("Номер фонообъекта должен быть целым числом от 1"), 1;
        } else {
            return 2;
        }
    }
    return 0;
}

// The film of a new workshop document: the whole file at NFFT with the optimum
// cadre parameters, then what the SigmaFr dialog sets on OK.
bool buildFilm(CKWaveFilm& film, const CString& pathAsGiven, const FilmOptions& o)
{
    // The film's record names its sound by a whole path (objects are opened from elsewhere).
    const CString path = KFullPath(pathAsGiven);
    if (!OpenKWaveFilmOnWholeFile(film, path, FileTitleOf(path), int(o.nfft)))
        return false;
    return SetFilmAsSigmaFrDialogOK(film, o.nfft, o.sigmaf, o.channel);
}

} // namespace

bool SetFilmAsSigmaFrDialogOK(CKWaveFilm& film, long nfft, double sigmaf, long channel)
{
    if (channel >= film.GetKWaveNChannels())
        return refuse("В звуковом файле нет такого канала");
    double sigma = SigmaFrAsShown(film.GetSigmaFr());
    long step = film.GetCadreStepInSamples();
    const double Fs = double(film.GetKWaveFrADC());
    if (sigmaf > 0) {
        // The dialog keeps the step coupled to the resolution: σT of one step.
        sigma = float(sigmaf);
        step = long(Fs / (2 * std::numbers::pi * sigma));
        step = step < 2 ? 2 : step > 409 ? 409 : step;
    }
    if (2 * std::numbers::pi * double(nfft) * sigma / Fs < 10) {
        // The dialog's own question; declined here, so the dialog never ends with OK.
        AfxMessageBox("Выбрана не достаточно большая высота фасфильма.\nПри этом качество спектрального анализа "
                      "получается не высшим\n(на кнопке должно быть число не менее 10).\n\nЧто делать?\n\nОставить "
                      "эту высоту фасфильма\nс ухудшенным спектральным анализом (Да=Yes)\nили\nвернуться и исправить "
                      "ситуацию (Нет=No)?",
                      MB_YESNO | MB_ICONQUESTION);
        return false;
    }
    film.SetSigmaFrCadreStepAndChannel(int(nfft), step, sigma, int(channel));
    film.SetFirstAndLastSample(0, film.GetKWaveSizeInSamples());
    return true;
}

bool BuildNewDocumentFilm(CKWaveFilm& film, const CString& path, long nfft, double sigmaf, long channel)
{
    FilmOptions o;
    o.nfft = nfft;
    o.sigmaf = sigmaf;
    o.channel = channel;
    return buildFilm(film, path, o);
}

static int RunFilmOfOne(const ToolArgs& given)
{
    FilmOptions o;
    ToolArgs args = given;
    KToolFormat format;
    if (TakeFormatOption(args, format))
        return 2;
    int bad = args.empty() ? 2 : parseFilmOptions(args, 1, o, false);
    if (bad) {
        if (bad == 2)
            std::fprintf(stderr, "Использование: kavrel film FILE.wav... [--nfft N] [--sigmaf HZ] [--channel C] "
                                 "[--format tsv|json]\n");
        return bad;
    }
    CKWaveFilm film;
    if (!buildFilm(film, args[0], o))
        return 1;
    CToolReport report(format);
    report.Field("rate", "%ld", film.GetKWaveFrADC());
    report.Field("channels", "%d", film.GetKWaveNChannels());
    report.Field("samples", "%ld", film.GetKWaveSizeInSamples());
    report.Field("nfft", "%d", film.GetNFFT());
    report.Field("sigmafr", "%.9g", film.GetSigmaFr());
    reportCadres(report, film);
    report.Finish();
    return 0;
}

static int RunFilm(const ToolArgs& given)
{
    ToolArgs args = given;
    KToolFormat format;
    if (TakeFormatOption(args, format))
        return 2;
    return RunForEachToolFile(SplitToolFiles(given, {"--nfft", "--sigmaf", "--channel", "--format"}), format,
                              RunFilmOfOne);
}

static const ToolCommandRegistration kFilmCommand({7, "film",
                                                  "kavrel film FILE.wav... [--nfft N] [--sigmaf HZ] [--channel C] "
                                                  "[--format tsv|json]",
                                                  RunFilm});

static int RunMakeObject(const ToolArgs& args)
{
    FilmOptions o;
    long cadre0 = 0, cadre1 = 0;
    int bad = args.size() < 4 ? 2 : parseFilmOptions(args, 4, o, true);
    if (!bad && (!ParseLong(args[1], cadre0) || !ParseLong(args[2], cadre1)))
        bad = 2;
    if (bad) {
        if (bad == 2)
            std::fprintf(stderr, "Использование: kavrel make-object FILE.wav CADRE0 CADRE1 OUT.gsr|OUT.ocn|OUT.vrn "
                                 "[--nfft N] [--sigmaf HZ] [--channel C] [--name T] [--comment T] "
                                 "[--level-change DB] [--index I]\n");
        return bad;
    }
    // The object's record keeps whole paths, whatever folder the tool ran in.
    const CString out = KFullPath(args[3]);
    const int dot = out.ReverseFind('.');
    const CString ending = dot >= 0 ? out.Mid(dot + 1) : CString();
    int type = 0;
    if (ending == "gsr")
        type = 1;
    else if (ending == "ocn")
        type = 3;
    else if (ending == "vrn")
        type = 4;
    else
        return refuse("Документ фонообъекта должен иметь расширение .gsr, .ocn или .vrn"), 1;
    const CString kfw = out.Left(dot) + ".kfw";
    // A reverberation object has no float wave file of its own on disk.
    const bool writesKfw = type != 4;
    if (PathExists(out) || (writesKfw && PathExists(kfw))) {
        std::fprintf(stderr, "Файл уже существует и не будет перезаписан: %s\n", (PathExists(out) ? out : kfw).GetString());
        return 1;
    }

    CKWaveFilm film;
    if (!buildFilm(film, args[0], o))
        return 1;
    if (cadre0 < 0 || cadre1 < 0 || cadre0 >= film.GetNCadres() || cadre1 >= film.GetNCadres())
        return refuse("Кадры выделенного фрагмента лежат вне фильма"), 1;
    film.SetSelectedFragmentAbsCadres(cadre0, cadre1);
    // The workshop offers "Создать новый фонообъект" only over a selection.
    if (film.GetSelectedFragmentAbsCadre0() == film.GetSelectedFragmentAbsCadre1())
        return refuse("Выделенный фрагмент пуст: фонообъект не создается"), 1;

    CKPhoneObject po;
    if (o.hasName)
        po.sName = o.name;
    if (o.hasComment)
        po.sComment = o.comment;
    po.dLevelChange_dB = o.levelChange;
    po.nType = type;
    po.nIndex = int(o.index);
    po.nLevel = 0;
    po.nFirstSample = int(film.GetSelectedFragmentSample0());
    po.nLastSample = int(film.GetSelectedFragmentSample1());
    po.sPhoneObjectDocFilePathName = out;
    po.sPhoneObjectFloatWaveFilePathName = kfw;
    // The workshop asks which end to cut; here the span is refused instead.
    if (type == 4 && (long long)po.nLastSample - po.nFirstSample > CVornelDoc::nMaxStretch)
        return refuse("Выделенный фрагмент превышает допустимые размеры (не более 65536 отсчетов): объект "
                      "реверберации не создается"), 1;
    return WriteNewPhoneObjectFiles(&po, &film) ? 0 : 1;
}

static const ToolCommandRegistration kMakeObjectCommand({8, "make-object",
    "kavrel make-object FILE.wav CADRE0 CADRE1 OUT.gsr|OUT.ocn|OUT.vrn [--nfft N] [--sigmaf HZ] [--channel C] "
    "[--name T] [--comment T] [--level-change DB] [--index I]",
    RunMakeObject});

static int RunTraces(const ToolArgs& given)
{
    static const char* const kTracesUsage =
        "Использование: kavrel traces DOC.gsr [--relative DB] [--add-visible | --clear] [--format tsv|json]\n";
    ToolArgs args = given;
    KToolFormat format;
    if (TakeFormatOption(args, format))
        return 2;
    // The document, the tracer's relative visibility (dB below each cadre's
    // strongest maximum) and what to do with the visible traces.
    CString action;
    KRelativeVisibility relative;
    bool usage = args.empty();
    for (size_t i = 1; i < args.size() && !usage; ++i) {
        if ((args[i] == "--add-visible" || args[i] == "--clear") && action.IsEmpty()) {
            action = args[i];
        } else if (args[i] == "--relative" && i + 1 < args.size() && !relative.bOn) {
            long dB = 0;
            if (!ParseLong(args[++i], dB))
                usage = true;
            else if (dB < KRelativeVisibility::kMin_dB || dB > KRelativeVisibility::kMax_dB)
                return Refuse("--relative: от 1 до 200 дБ.");
            relative.bOn = true;
            relative.nBelowMax_dB = int(dB);
        } else {
            usage = true;
        }
    }
    if (usage) {
        std::fprintf(stderr, "%s", kTracesUsage);
        return 2;
    }
    CGlissarDoc* doc = static_cast<CGlissarDoc*>(RUNTIME_CLASS(CGlissarDoc)->CreateObject());
    if (!doc->OnOpenDocument(args[0])) {
        delete doc;
        return 1;
    }
    if (relative.bOn) {
        doc->relativeVisibility = relative;
        doc->MarkVisibleTraces();
    }
    CKWaveFilm& film = doc->pWaveFilm;
    const int B = doc->GetNBins();
    const long C = film.GetNCadres();
    const long M = doc->GetCadreMargin();
    const int K = doc->GetBinMargin();
    CToolReport report(format);
    report.Field("rate", "%ld", film.GetKWaveFrADC());
    report.Field("nfft", "%d", film.GetNFFT());
    reportCadres(report, film);
    report.Field("margin_cadres", "%ld", M);
    report.Field("margin_bins", "%d", K);
    report.Table("maxima", {"cadre", "bin", "status", "A", "omega", "D", "P"}, "cadre\tbin\tstatus\tA\tomega\tD\tP", "\t");
    for (long c = M; c < C - M; ++c) {
        const unsigned char* st = doc->GetTraceStatus(c);
        for (int k = K; k < B - K; ++k) {
            if (!(st[k] & CGlissarDoc::TRACE_LOCAL_MAX))
                continue;
            const long i = c * B + k;
            report.Cell("%ld", c);
            report.Cell("%d", k);
            report.Cell("%d", int(st[k]));
            report.Cell("%.9g", double(doc->pSpectraParam_A_F[i]));
            report.Cell("%.9g", double(doc->pSpectraParam_A_F[i - 1]));
            report.Cell("%.9g", double(doc->pSpectraParam_D_P[i]));
            report.Cell("%.9g", double(doc->pSpectraParam_D_P[i - 1]));
            report.EndRow();
        }
    }
    report.Finish();
    int status = 0;
    if (!action.IsEmpty()) {
        if (action == "--add-visible")
            doc->OnAddAllVisibleTraces();
        else
            doc->OnRemoveAllTraces();
        if (!doc->OnSaveDocument(args[0]))
            status = 1;
    }
    std::fflush(stdout);
    delete doc;
    return status;
}

static const ToolCommandRegistration kTracesCommand({13, "traces",
                                                    "kavrel traces DOC.gsr [--relative DB] [--add-visible | --clear] "
                                                    "[--format tsv|json]",
                                                    RunTraces});
