// pirogov and voice: the workshop's Pirogov function statistics of a
// selection and its model voice signal, run through the same code as their
// dialogs, without windows.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

#include "kavrel/core/KWaveFilm.h"
#include "tool/ToolCommands.h"
#include "tool/ToolReport.h"
#include "tembrix/models/KDialogCreateVoiceSignal.h"
#include "tembrix/models/KPirogovFunction.h"
#include "tembrix/models/KVoicePulse.h"

namespace {

const char* const kPirogovUsage =
    "Использование: kavrel pirogov FILE.wav --select A B OUT.xls [--cadres-per-frame K] [--low-line L] "
    "[--high-line H] [--nfft N] [--sigmaf HZ] [--channel C] [--format tsv|json]\n";

const char* const kVoiceUsage =
    "Использование: kavrel voice OUT.wav [--f0 HZ] [--t1 X] [--t2 X] [--t3 X] [--a1 X] [--a2 X] [--correct 0|1] "
    "[--noise DB] [--chest-f HZ] [--chest-a DB] [--chest-phase X] [--df0 X] [--dt1 X] [--dt2 X] [--dt3 X] "
    "[--da1 X] [--da2 X] [--seed N] [--format tsv|json]\n";

} // namespace

static int RunPirogov(const ToolArgs& given)
{
    ToolArgs args = given;
    KToolFormat format;
    if (TakeFormatOption(args, format))
        return 2;
    if (args.size() < 5 || args[1] != "--select" || (args.size() - 5) % 2 != 0) {
        std::fputs(kPirogovUsage, stderr);
        return 2;
    }
    long a = 0, b = 0;
    if (!ParseLong(args[2], a) || !ParseLong(args[3], b)) {
        std::fputs(kPirogovUsage, stderr);
        return 2;
    }
    const CString out = args[4];
    long nfft = 1024, channel = 0, K = -1, low = -1, high = -1;
    double sigmaf = 0;
    for (size_t i = 5; i < args.size(); i += 2) {
        const CString& key = args[i];
        const CString& value = args[i + 1];
        if (key == "--cadres-per-frame") {
            if (!ParseLong(value, K) || K < 1 || K > 100000)
                return Refuse("Число спектральных кадров во фрейме: введите целое число от 1 до 100000.");
        } else if (key == "--low-line") {
            if (!ParseLong(value, low) || low < 0 || low > 511)
                return Refuse("Нижняя спектральная линия: введите целое число от 0 до 511.");
        } else if (key == "--high-line") {
            if (!ParseLong(value, high) || high < 0 || high > 511)
                return Refuse("Верхняя спектральная линия: введите целое число от 0 до 511.");
        } else if (const int film = TakeFilmOption(key, value, nfft, sigmaf, &channel); film >= 0) {
            if (film != 0)
                return film;
        } else {
            std::fputs(kPirogovUsage, stderr);
            return 2;
        }
    }
    if (PathExists(out)) {
        std::fprintf(stderr, "Файл уже существует и не будет перезаписан: %s\n", out.GetString());
        return 1;
    }
    CKWaveFilm film;
    if (!BuildNewDocumentFilm(film, args[0], nfft, sigmaf, channel))
        return 1;
    if (a < 0 || b < 0 || a >= film.GetNCadres() || b >= film.GetNCadres())
        return Refuse("Кадры выделенного фрагмента лежат вне фильма");
    film.SetSelectedFragmentAbsCadres(a, b);
    // The workshop offers the command only over a selection.
    if (film.GetSelectedFragmentAbsCadre0() == film.GetSelectedFragmentAbsCadre1())
        return Refuse("Выделенный фрагмент пуст: функция Пирогова не рассчитывается");
    // What the dialog starts from.
    if (K < 0)
        K = PirogovDefaultCadresPerFrame(film);
    if (low < 0)
        low = PirogovDefaultLowLine(film);
    if (high < 0)
        high = PirogovDefaultHighLine(film);

    KPirogovStatistics st;
    if (!CreatePirogovFunctionFile(film, int(K), int(low), int(high), out, &st)) {
        // The dialog leaves the empty file for the user; a batch run leaves no output.
        std::remove(out.GetString());
        return 1;
    }
    CToolReport report(format);
    report.Field("cadres_per_frame", "%ld", K);
    report.Field("low_line", "%ld", low);
    report.Field("high_line", "%ld", high);
    report.Field("values", "%d", st.n);
    report.Field("min", "%.9g", st.min);
    report.Field("max", "%.9g", st.max);
    report.Field("mean", "%.9g", st.mean);
    report.Field("deviation", "%.9g", st.deviation);
    report.Field("variation", "%.9g", st.variation);
    report.Field("entropy", "%.9g", st.entropy);
    report.Finish();
    return 0;
}

static const ToolCommandRegistration kPirogovCommand({15, "pirogov",
    "kavrel pirogov FILE.wav --select A B OUT.xls [--cadres-per-frame K] [--low-line L] [--high-line H] "
    "[--nfft N] [--sigmaf HZ] [--channel C] [--format tsv|json]",
    RunPirogov});

static int RunVoice(const ToolArgs& given)
{
    ToolArgs args = given;
    KToolFormat format;
    if (TakeFormatOption(args, format))
        return 2;
    if (args.empty() || (args.size() - 1) % 2 != 0) {
        std::fputs(kVoiceUsage, stderr);
        return 2;
    }
    const CString out = args[0];
    // The dialog's fields as they first stand.
    KVOICE_MODEL_PARAMS R = CKDialogCreateVoiceSignal::FirstFields();
    long correct = 0;
    using Field = CKDialogCreateVoiceSignal::Field;
    for (size_t i = 1; i < args.size(); i += 2) {
        const CString& key = args[i];
        const CString& value = args[i + 1];
        if (key == "--seed") {
            long seed = 0;
            if (!ParseLong(value, seed) || seed < 0 || seed > 0xFFFFFFFFL)
                return Refuse("Начальное значение генератора: введите целое число от 0 до 4294967295.");
            std::srand(unsigned(seed));
            continue;
        }
        if (key == "--correct") {
            if (!ParseLong(value, correct) || correct < 0 || correct > 1)
                return Refuse("Корректировать модель по невязке: 0 или 1.");
            continue;
        }
        const Field* f = nullptr;
        for (const Field& candidate : CKDialogCreateVoiceSignal::FieldTable())
            if (key == candidate.key)
                f = &candidate;
        if (!f) {
            std::fputs(kVoiceUsage, stderr);
            return 2;
        }
        double v = 0;
        if (!ParseNumber(value, v) || v < f->lo || v > f->hi) {
            std::fprintf(stderr, "%s: введите число от %g до %g.\n", f->label, f->lo, f->hi);
            return 1;
        }
        R.*f->value = v;
    }
    if (PathExists(out)) {
        std::fprintf(stderr, "Файл уже существует и не будет перезаписан: %s\n", out.GetString());
        return 1;
    }
    // "Посмотреть на модельный сигнал", then "Создать звуковой файл".
    CKVoicePulse model;
    if (!model.BuildPulse(R, correct != 0))
        return Refuse("Противоречивые входные параметры модели.");
    const int c = model.c;
    const double residual = model.GetResidual();
    std::vector<short> samples;
    std::vector<int> periods;
    if (!GenerateVoiceSignal(model, R, samples, &periods) || !WriteVoiceSignalFile(out, samples))
        return 1;
    CToolReport report(format);
    report.Field("rate", "%d", CKVoicePulse::kFs);
    report.Field("samples", "%zu", samples.size());
    report.Field("period", "%d", c);
    report.Field("residual", "%.9g", residual);
    report.Field("periods", "%zu", periods.size());
    report.Finish();
    return 0;
}

static const ToolCommandRegistration kVoiceCommand({16, "voice",
    "kavrel voice OUT.wav [--f0 HZ] [--t1 X] [--t2 X] [--t3 X] [--a1 X] [--a2 X] [--correct 0|1] [--noise DB] "
    "[--chest-f HZ] [--chest-a DB] [--chest-phase X] [--df0 X] [--dt1 X] [--dt2 X] [--dt3 X] [--da1 X] [--da2 X] "
    "[--seed N] [--format tsv|json]",
    RunVoice});
