// edit and synthesize: the workshop's operations that write a new sound,
// run by the workshop's own code on the film kavrel film describes, with
// the selection and the caret given in cadres as the views set them, and
// on the sound objects of a workshop document.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <sys/stat.h>

#include "kavrel/core/KWaveFilm.h"
#include "tool/ToolCommands.h"
#include "tembrix/KFilmOperations.h"
#include "tembrix/TembrixDoc.h"

namespace {

const char* const kEditUsage =
    "Использование: kavrel edit FILE.wav OUT.wav OPERATION [--nfft N] [--sigmaf HZ] [--channel C] [options]\n"
    "  cut --select A B [--keep] [--rough]\n"
    "  side --caret C --side left|right\n"
    "  level [--max-amplitude A] [--frame-rate HZ] [--max-gain DB]\n"
    "  up2 | up4 | down --factor M\n"
    "  reverse-cadres [--keep-every K] [--reverse]\n"
    "  cocktail [--additions N] [--seed S]\n";

int usage()
{
    std::fputs(kEditUsage, stderr);
    return 2;
}

// Everything an operation may be given; each takes only its own.
struct EditOptions {
    long nfft = 1024, channel = 0;
    double sigmaf = 0;
    long select0 = -1, select1 = -1;
    bool hasSelect = false, keep = false, rough = false;
    long caret = -1;
    int side = -1;
    KAGCSettings agc;
    long factor = -1;
    long keepEvery = 1;
    bool reverse = false;
    long additions = 1;
    bool hasSeed = false;
    unsigned long seed = 0;
};

// The options an operation accepts besides the film's.
bool accepts(const CString& op, const CString& key)
{
    if (op == "cut")
        return key == "--select" || key == "--keep" || key == "--rough";
    if (op == "side")
        return key == "--caret" || key == "--side";
    if (op == "level")
        return key == "--max-amplitude" || key == "--frame-rate" || key == "--max-gain";
    if (op == "down")
        return key == "--factor";
    if (op == "reverse-cadres")
        return key == "--keep-every" || key == "--reverse";
    if (op == "cocktail")
        return key == "--additions" || key == "--seed";
    return false;
}

// 0, 1 (a refusal, printed) or 2 (usage).
int parseOptions(const ToolArgs& args, const CString& op, EditOptions& o)
{
    for (size_t i = 3; i < args.size();) {
        const CString& key = args[i];
        const bool film = key == "--nfft" || key == "--sigmaf" || key == "--channel";
        if (!film && !accepts(op, key))
            return 2;
        if (key == "--keep" || key == "--rough" || key == "--reverse") {
            (key == "--keep" ? o.keep : key == "--rough" ? o.rough : o.reverse) = true;
            ++i;
            continue;
        }
        if (key == "--select") {
            if (i + 2 >= args.size() || !ParseLong(args[i + 1], o.select0) || !ParseLong(args[i + 2], o.select1))
                return 2;
            o.hasSelect = true;
            i += 3;
            continue;
        }
        if (i + 1 >= args.size())
            return 2;
        const CString& value = args[i + 1];
        double v = 0;
        if (const int film = TakeFilmOption(key, value, o.nfft, o.sigmaf, &o.channel); film >= 0) {
            if (film != 0)
                return film;
        } else if (key == "--caret") {
            if (!ParseLong(value, o.caret))
                return 2;
        } else if (key == "--side") {
            if (value != "left" && value != "right")
                return 2;
            o.side = value == "left" ? 0 : 1;
        } else if (key == "--max-amplitude") {
            long a = 0;
            if (!ParseLong(value, a) || a < 1 || a > 32767)
                return Refuse("Новая максимальная амплитуда должна быть целым числом от 1 до 32767");
            o.agc.nNewMaxAmplitude = int(a);
        } else if (key == "--frame-rate") {
            if (!ParseNumber(value, v) || v < 0.0001 || v > 100000)
                return Refuse("Частота кадров АРУ должна быть числом от 0.0001 до 100000 (Гц)");
            o.agc.dAGCFrameRate = v;
        } else if (key == "--max-gain") {
            if (!ParseNumber(value, v) || v < 0 || v > 110)
                return Refuse("Максимальное усиление одного кадра должно быть числом от 0 до 110 (дБ)");
            o.agc.dMaxFrameGain_dB = v;
        } else if (key == "--factor") {
            if (!ParseLong(value, o.factor) || o.factor < 2 || o.factor > 1000)
                return Refuse("Во сколько раз снизить частоту АЦП: целое число от 2 до 1000");
        } else if (key == "--keep-every") {
            if (!ParseLong(value, o.keepEvery) || o.keepEvery < 1 || o.keepEvery > 100)
                return Refuse("Оставлять каждый K-й кадр: целое число от 1 до 100");
        } else if (key == "--additions") {
            if (!ParseLong(value, o.additions) || o.additions < 1 || o.additions > 1000000)
                return Refuse("Число добавлений должно быть целым числом от 1 до 1000000");
        } else if (key == "--seed") {
            long s = 0;
            if (!ParseLong(value, s) || s < 0 || s > 0xFFFFFFFFL)
                return Refuse("Затравка генератора должна быть целым числом от 0 до 4294967295");
            o.seed = static_cast<unsigned long>(s);
            o.hasSeed = true;
        }
        i += 2;
    }
    return 0;
}

bool cadreInFilm(const CKWaveFilm& film, long c)
{
    return c >= 0 && c < film.GetNCadres();
}

} // namespace

static int RunEdit(const ToolArgs& args)
{
    if (args.size() < 3)
        return usage();
    const CString& in = args[0];
    const CString& out = args[1];
    const CString& op = args[2];
    if (op != "cut" && op != "side" && op != "level" && op != "up2" && op != "up4" && op != "down" &&
        op != "reverse-cadres" && op != "cocktail")
        return usage();
    EditOptions o;
    if (const int bad = parseOptions(args, op, o))
        return bad == 2 ? usage() : bad;
    if ((op == "cut" && !o.hasSelect) || (op == "side" && (o.caret < 0 || o.side < 0)) ||
        (op == "down" && o.factor < 0))
        return usage();
    // The analysed file itself is never an output: creating it would destroy
    // the samples before they are read.
    if (PathExists(out))
        return Refuse("Файл уже существует и не будет перезаписан: " + out);

    CKWaveFilm film;
    if (!BuildNewDocumentFilm(film, in, o.nfft, o.sigmaf, o.channel))
        return 1;
    bool written = false;
    if (op == "cut") {
        if (!cadreInFilm(film, o.select0) || !cadreInFilm(film, o.select1))
            return Refuse("Кадры выделенного фрагмента лежат вне фильма");
        film.SetSelectedFragmentAbsCadres(o.select0, o.select1);
        // The workshop offers the command only over a selection.
        if (film.GetSelectedFragmentAbsCadre0() == film.GetSelectedFragmentAbsCadre1())
            return Refuse("Выделенный фрагмент пуст: сегмент не редактируется");
        written = KWriteEditedSegment(film, o.keep ? 1 : 0, o.rough ? 0 : 1, out);
    } else if (op == "side") {
        if (!cadreInFilm(film, o.caret))
            return Refuse("Кадр маркера лежит вне фильма");
        film.SetKCaretCadre(o.caret);
        written = KWriteEditedSide(film, o.side, out);
    } else if (op == "level") {
        written = KWriteLevelled(film, o.agc, out);
    } else if (op == "up2" || op == "up4") {
        if (KRefuseIfNotMono(film, kOnlyMonoMessage))
            return 1;
        written = KWriteUpsampled(film, op == "up4" ? 4 : 2, out);
    } else if (op == "down") {
        if (KRefuseIfNotMono(film, kOnlyMonoMessage))
            return 1;
        // The dialog's factor gives a new rate, and the rates give the factor used.
        const long oldRate = film.GetKWaveFrADC();
        const long newRate = oldRate / o.factor;
        written = KWriteDownsampled(film, int(newRate > 0 ? oldRate / newRate : o.factor), out);
    } else if (op == "reverse-cadres") {
        if (KRefuseIfNotMono(film, kOnlyMonoSynthesisMessage))
            return 1;
        written = KWriteReversedCadres(film, int(o.keepEvery), o.reverse, out);
    } else {
        const unsigned seed = o.hasSeed ? unsigned(o.seed) : unsigned(std::clock());
        written = KWriteCocktail(film, int(o.additions), seed, out);
    }
    return written ? 0 : 1;
}

static const ToolCommandRegistration kEditCommand({11, "edit",
    "kavrel edit FILE.wav OUT.wav cut|side|level|up2|up4|down|reverse-cadres|cocktail [--nfft N] [--sigmaf HZ] "
    "[--channel C] [options]",
    RunEdit});

static int RunSynthesize(const ToolArgs& args)
{
    CTembrixDoc doc;
    if (const int status = OpenDocumentForNewFile(args, "kavrel synthesize DOC.tbx OUT.wav", doc))
        return status;
    const CString& out = args[1];
    if (KRefuseIfNotMono(doc.WaveFilm, kOnlyMonoSynthesisMessage))
        return 1;
    // An object left out (its float wave file missing) is reported and the rest still apply.
    return KWriteSynthesis(doc.WaveFilm, doc.PhoneObjects(), out) ? 0 : 1;
}

static const ToolCommandRegistration kSynthesizeCommand({12, "synthesize", "kavrel synthesize DOC.tbx OUT.wav", RunSynthesize});
