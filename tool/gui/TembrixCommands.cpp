// make-document, protocol and textgrid: the workshop's document of a sound with its sound objects,
// made by the workshop's own document code as File New and New sound object
// make it, the dialogs' answers taken from the command line; its objects
// to and from Praat's TextGrid as the File menu's export and import.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <vector>

#include "framework/base/UserServices.h"
#include "kavrel/core/KTextGrid.h"
#include "kavrel/core/KTextGridObjects.h"
#include "glissar/doc/KNewPhoneObjectFiles.h"
#include "tool/ToolCommands.h"
#include "tembrix/KAnalysisProtocol.h"
#include "tembrix/TembrixDoc.h"
#include "vornel/doc/VornelDoc.h"

namespace {

const char* const kUsage = "Использование: kavrel make-document FILE.wav OUT.tbx [--nfft N] [--sigmaf HZ] "
                           "[--object CADRE0 CADRE1 TYPE NAME [--level-change DB]]... [--textgrid IN.TextGrid]";

struct ObjectRequest {
    long cadre0 = 0, cadre1 = 0, type = 0;
    CString name;
    double levelChange = 0;
};

// The files an object of this type brings, by the names the document gives them.
std::vector<CString> filesOf(const CKPhoneObject& po)
{
    switch (po.nType) {
    case 1:
    case 3: return {po.sPhoneObjectDocFilePathName, po.sPhoneObjectFloatWaveFilePathName};
    case 4: return {po.sPhoneObjectDocFilePathName};
    default: return {};
    }
}

} // namespace

static int RunMakeDocument(const ToolArgs& args)
{
    if (args.size() < 2) {
        std::fprintf(stderr, "%s\n", kUsage);
        return 2;
    }
    // Whole paths, as the workshop's dialogs give them: the document names
    // the sound and its objects' files by them.
    const CString wav = std::filesystem::absolute(args[0].GetString()).c_str();
    const CString out = std::filesystem::absolute(args[1].GetString()).c_str();
    long nfft = 1024;
    double sigmaf = 0;
    std::vector<ObjectRequest> objects;
    CString textGridPath;
    for (size_t i = 2; i < args.size();) {
        const CString& key = args[i];
        if (key == "--textgrid" && i + 1 < args.size() && textGridPath.IsEmpty()) {
            textGridPath = args[i + 1];
            i += 2;
        } else if (key == "--object" && i + 4 < args.size()) {
            ObjectRequest o;
            if (!ParseLong(args[i + 1], o.cadre0) || !ParseLong(args[i + 2], o.cadre1) ||
                !ParseLong(args[i + 3], o.type))
                return std::fprintf(stderr, "%s\n", kUsage), 2;
            if (o.type < 0 || o.type > 4)
                return Refuse("Тип фонообъекта должен быть от 0 до 4 (0 только текст, 1 микрогармоники, "
                              "2 одиночная гармоника, 3 голос, 4 реверберация)");
            o.name = args[i + 4];
            objects.push_back(o);
            i += 5;
        } else if (key == "--level-change" && i + 1 < args.size() && !objects.empty()) {
            double v = 0;
            if (!ParseNumber(args[i + 1], v) || v < -110 || v > 110)
                return Refuse("Изменение уровня должно быть числом от -110 до 110 (дБ)");
            objects.back().levelChange = v;
            i += 2;
        } else if (const int film = i + 1 < args.size() ? TakeFilmOption(key, args[i + 1], nfft, sigmaf, nullptr) : -1;
                   film >= 0) {
            if (film != 0)
                return film;
            i += 2;
        } else {
            std::fprintf(stderr, "%s\n", kUsage);
            return 2;
        }
    }
    if (PathExists(out))
        return Refuse("Файл уже существует и не будет перезаписан: " + out);
    const int slash = out.ReverseFind('/');
    const CString outName = slash >= 0 ? out.Mid(slash + 1) : out;
    if (outName.IsEmpty())
        return Refuse("Не указано имя файла анализа");
    // The TextGrid is read before anything is made: a malformed one leaves nothing behind.
    KTextGrid grid;
    if (!textGridPath.IsEmpty()) {
        KTextGridError error;
        if (!KReadTextGridFile(textGridPath, grid, error))
            return Refuse(KTextGridErrorMessage(textGridPath, error));
    }

    // File New: the sound, the SigmaFr dialog answered OK, the document kept at OUT.
    std::unique_ptr<CTembrixDoc> doc(static_cast<CTembrixDoc*>(RUNTIME_CLASS(CTembrixDoc)->CreateObject()));
    CKWaveFilm& film = doc->WaveFilm;
    if (!film.OpenKWaveFile(wav, FileTitleOf(wav)))
        return 1;
    doc->OpenNewSoundInSpectrumFrames();
    if (nfft != 1024)
        film.SetNFFTandOptimumCadreParams(int(nfft)); // as the dialog offers for another NFFT
    if (!SetFilmAsSigmaFrDialogOK(film, nfft, sigmaf, 0) || !doc->CompleteNewFilm())
        return 1;
    doc->KeepNewDocumentAt(out, outName);

    // Everything is checked before the first file is written, so that a
    // refusal leaves nothing behind; the object files never replace others.
    for (size_t k = 0; k < objects.size(); ++k) {
        const ObjectRequest& o = objects[k];
        if (o.cadre0 < 0 || o.cadre1 < 0 || o.cadre0 >= film.GetNCadres() || o.cadre1 >= film.GetNCadres())
            return Refuse("Кадры выделенного фрагмента лежат вне фильма");
        if (o.cadre0 == o.cadre1)
            return Refuse("Выделенный фрагмент пуст: фонообъект не создается");
        // The workshop asks which end to cut; here the span is refused instead.
        film.SetSelectedFragmentAbsCadres(o.cadre0, o.cadre1);
        if (o.type == 4 && film.GetSelectedFragmentSample1() - film.GetSelectedFragmentSample0() > CVornelDoc::nMaxStretch)
            return Refuse("Выделенный фрагмент превышает допустимые размеры (не более 65536 отсчетов): "
                          "объект реверберации не создается");
        // The objects take the indices from 1 in the order given.
        CKPhoneObject names;
        names.nType = int(o.type);
        names.nIndex = doc->nNextPhoneObjectIndex + int(k);
        SetNewPhoneObjectFilePathNames(&names, doc->sDocFolder, film.GetKWaveFileTitle());
        for (const CString& f : filesOf(names))
            if (PathExists(f))
                return Refuse("Файл уже существует и не будет перезаписан: " + f);
    }
    std::vector<CString> written;
    auto undo = [&](int status) {
        for (const CString& f : written)
            std::remove(f.GetString());
        return status;
    };
    for (const ObjectRequest& o : objects) {
        film.SetSelectedFragmentAbsCadres(o.cadre0, o.cadre1);
        CKPhoneObject* po = doc->CreatePhoneObjectOnSelection();
        if (!po)
            return undo(1);
        po->sName = o.name;
        po->nType = int(o.type);
        po->dLevelChange_dB = o.levelChange;
        CKPhoneObject names;
        names.nType = po->nType;
        names.nIndex = doc->nNextPhoneObjectIndex;
        SetNewPhoneObjectFilePathNames(&names, doc->sDocFolder, film.GetKWaveFileTitle());
        // Checked absent above: whatever stands there now is this run's own.
        for (const CString& f : filesOf(names))
            written.push_back(f);
        if (!doc->AddDescribedPhoneObject(po))
            return undo(1);
    }
    // The TextGrid's objects come after those given one by one, as the
    // import would add them to the document those made.
    if (!textGridPath.IsEmpty()) {
        KTextGridImport placed;
        CString refusal;
        if (!KPlaceTextGridObjects(grid, doc->PhoneObjects(), film.GetKWaveFrADC(), film.GetKWaveSizeInSamples(), placed,
                                   refusal))
            return undo(Refuse(refusal));
        std::fprintf(stderr, "%s\n", KTextGridImportReport(placed).GetString());
        doc->AddTextGridObjects(placed);
    }
    if (PathExists(out))
        return undo(Refuse("Файл уже существует и не будет перезаписан: " + out));
    if (!doc->OnSaveDocument(out))
        return undo(1);
    doc->SetModifiedFlag(false);
    return 0;
}

static const ToolCommandRegistration kMakeDocumentCommand({9, "make-document",
    "kavrel make-document FILE.wav OUT.tbx [--nfft N] [--sigmaf HZ] [--object CADRE0 CADRE1 TYPE NAME "
    "[--level-change DB]]... [--textgrid IN.TextGrid]",
    RunMakeDocument});

int OpenDocumentForNewFile(const ToolArgs& args, const char* usage, CTembrixDoc& doc)
{
    if (args.size() != 2) {
        std::fprintf(stderr, "Использование: %s\n", usage);
        return 2;
    }
    const CString& out = args[1];
    if (PathExists(out))
        return Refuse("Файл уже существует и не будет перезаписан: " + out);
    return doc.OnOpenDocument(args[0]) ? 0 : 1;
}

// protocol: the analysis protocol of a workshop document, opened as the
// workshop opens it, written by the workshop's own code.
static int RunProtocol(const ToolArgs& args)
{
    CTembrixDoc doc;
    if (const int status = OpenDocumentForNewFile(args, "kavrel protocol DOC.tbx OUT.doc", doc))
        return status;
    return WriteAnalysisProtocol(args[1], doc.WaveFilm, doc.PhoneObjects()) ? 0 : 1;
}

static const ToolCommandRegistration kProtocolCommand({10, "protocol", "kavrel protocol DOC.tbx OUT.doc", RunProtocol});

// textgrid: a workshop document's sound objects as a new TextGrid file, as
// "Экспорт объектов в TextGrid…" writes it.
static int RunTextGrid(const ToolArgs& args)
{
    CTembrixDoc doc;
    if (const int status = OpenDocumentForNewFile(args, "kavrel textgrid DOC.tbx OUT.TextGrid", doc))
        return status;
    if (doc.PhoneObjects().empty())
        return Refuse("В документе нет фонообъектов: TextGrid не записывается");
    const KTextGrid grid =
        KTextGridOfPhoneObjects(doc.PhoneObjects(), doc.WaveFilm.GetKWaveFrADC(), doc.WaveFilm.GetKWaveSizeInSamples());
    if (!KWriteTextGridFile(args[1], grid))
        return 1;
    size_t intervals = 0;
    for (const KTextGridTier& t : grid.tiers)
        if (t.bIntervals)
            intervals += t.intervals.size();
    std::printf("tiers: %zu\nintervals: %zu\nobjects: %zu\n", grid.tiers.size(), intervals, doc.PhoneObjects().size());
    return 0;
}

static const ToolCommandRegistration kTextGridCommand({17, "textgrid", "kavrel textgrid DOC.tbx OUT.TextGrid", RunTextGrid});
