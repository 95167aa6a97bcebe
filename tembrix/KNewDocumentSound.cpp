#include "tembrix/KNewDocumentSound.h"

#include <sys/stat.h>

#include <algorithm>

#include "framework/base/ProgressService.h"
#include "framework/base/UserServices.h"
#include "framework/decode/KSoundDecoder.h"
#include "kavrel/core/KWave.h"

const char* const kNewDocumentSoundFilter =
    // The label's patterns apart by blanks: the file dialog reads them from it.
    "Звуковые файлы (*.wav *.flac *.ogg *.oga *.opus *.mp3 *.aif *.aiff *.aifc *.caf)|"
    "*.wav;*.flac;*.ogg;*.oga;*.opus;*.mp3;*.aif;*.aiff;*.aifc;*.caf|"
    "WAV файлы (*.wav)|*.wav|Все файлы (*.*)|*.*||";

namespace {

bool exists(const CString& path)
{
    struct stat st;
    return ::stat(path.GetString(), &st) == 0;
}

} // namespace

CString KMakeWavCopyOfSound(const CString& src)
{
    FileDialogRequest rq;
    for (;;) {
        rq = FileDialogRequest();
        rq.bOpen = false;
        rq.sDefaultExt = "wav";
        rq.sFileName = KFreeWavCopyPathBeside(src);
        rq.sFilter = "WAV файлы (*.wav)|*.wav|Все файлы (*.*)|*.*||";
        rq.sTitle = "Куда записать копию звукового файла в формате WAV?";
        if (!UserInteraction().FileDialog(rq))
            return CString();
        // The copy never takes the place of a file that stands there.
        if (!exists(rq.sPathName))
            break;
        AfxMessageBox("Файл уже существует и не будет перезаписан:\n" + rq.sPathName + "\n\nВыберите для копии другое имя.",
                      MB_OK | MB_ICONEXCLAMATION);
    }
    CString why;
    ProgressService().Open(0, 100, "Декодирование звукового файла в копию WAV...");
    int shown = -1;
    const KDecodeStatus status = KDecodeSoundToWav16(src, rq.sPathName, [&](double done) {
        const int pos = std::clamp(int(done * 100), 0, 100);
        if (pos != shown)
            ProgressService().SetPos(shown = pos);
        // "Прервать": the decoder leaves nothing at the copy's place.
        return !ProgressService().Cancelled();
    }, why);
    ProgressService().Close();
    if (status != KDecodeStatus::Done) {
        if (status == KDecodeStatus::Failed)
            AfxMessageBox("Не удается сделать копию в формате WAV звукового файла -\n" + src + "\n\n" + why,
                          MB_OK | MB_ICONEXCLAMATION);
        return CString();
    }
    return rq.sPathName;
}

bool KAskForNewDocumentSound(CKWave& wave)
{
    wave.CloseKWaveFile();
    FileDialogRequest request;
    request.bOpen = true;
    request.nFlags = OFN_FILEMUSTEXIST;
    request.sFilter = kNewDocumentSoundFilter;
    request.sTitle = "С каким звуковым файлом будем работать?";
    if (!UserInteraction().FileDialog(request))
        return false;
    CString path = request.sPathName, title = request.sFileTitle;
    if (!KCompressedSoundKind(path).IsEmpty()) {
        const CString copy = KMakeWavCopyOfSound(path);
        if (copy.IsEmpty())
            return false;
        path = copy;
        CString name = copy.Mid(copy.ReverseFind('/') + 1);
        const int dot = name.ReverseFind('.');
        title = dot > 0 ? name.Left(dot) : name;
    }
    if (!wave.OpenKWaveFile(path, title))
        AfxMessageBox("Не удается открыть указанный Вами файл -\n" + path, MB_OK);
    return wave.KWaveIsGood();
}
