#include "tembrix/KWaveOutputSteps.h"

#include <cstdio>
#include <filesystem>

#include "framework/base/ProgressService.h"
#include "framework/base/UserServices.h"
#include "framework/ui/CDialog.h"

const char* const kEditedSuffix = "_Edited";
const char* const kEditedTitle = "Задание имени отредактированного файла-сигнала (в формате WAV)";
const char* const kEditedWriteFailure = "Не удалось записать все данные в выходной звуковой файл.";
const char* const kEditMemoryFailure = "Не хватило памяти для этой операции!\nОперация не выполнена.";
const char* const kStoppedByUser = "Операция прервана. Файл не создан.";

CKWaveOutputSteps::CKWaveOutputSteps(const CString& sPath_, const CString& sWriteFailure_)
    : sPath(sPath_), sWriteFailure(sWriteFailure_)
{
}

CKWaveOutputSteps::~CKWaveOutputSteps()
{
    if (hmmio)
        CloseAndRemove();
}

void CKWaveOutputSteps::Fail(const char* suffix)
{
    bFailed = true;
    AfxMessageBox(sPath + suffix);
}

void CKWaveOutputSteps::CloseAndRemove()
{
    if (hmmio) {
        mmioClose(hmmio);
        hmmio = nullptr;
    }
    std::remove(sPath.GetString());
}

void CKWaveOutputSteps::Discard()
{
    bFailed = true;
    CloseAndRemove();
}

bool CKWaveOutputSteps::Begin(const WAVEFORMATEX& format)
{
    MMIOINFO info;
    hmmio = mmioOpen(sPath.GetString(), &info, MMIO_CREATE | MMIO_WRITE);
    if (!hmmio) {
        // Nothing of ours stands at the path: it stays as it was.
        Fail("\n- не удается открыть этот файл для записи в него генерируемого сигнала.");
        return false;
    }
    ckRiff = MMCKINFO{};
    ckRiff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    if (const MMRESULT r = mmioCreateChunk(hmmio, &ckRiff, MMIO_CREATERIFF)) {
        Fail(r == MMIOERR_CANNOTWRITE  ? "\n- не удается записать chuck RIFF"
             : r == MMIOERR_CANNOTSEEK ? "\n- не удается найти chuck RIFF"
                                       : "\n- не удается создать chuck RIFF");
        CloseAndRemove();
        return false;
    }
    MMCKINFO ckFmt;
    ckFmt.ckid = mmioFOURCC('f', 'm', 't', ' ');
    ckFmt.cksize = sizeof(WAVEFORMATEX);
    if (mmioCreateChunk(hmmio, &ckFmt, 0)) {
        Fail("\n- не удается создать chuck fmt_");
        CloseAndRemove();
        return false;
    }
    if (mmioWrite(hmmio, &format, sizeof(WAVEFORMATEX)) != LONG(sizeof(WAVEFORMATEX))) {
        Fail("\n- не удается записать WAVEFORMATEX");
        CloseAndRemove();
        return false;
    }
    // The record fills "fmt " exactly: "data" follows without an ascent.
    ckData = MMCKINFO{};
    ckData.ckid = mmioFOURCC('d', 'a', 't', 'a');
    if (mmioCreateChunk(hmmio, &ckData, 0)) {
        Fail("\n- не удается создать chuck data");
        CloseAndRemove();
        return false;
    }
    return true;
}

bool CKWaveOutputSteps::Write(const void* p, long nBytes)
{
    if (!hmmio || bFailed)
        return false;
    if (nBytes <= 0)
        return true;
    if (mmioWrite(hmmio, p, LONG(nBytes)) != LONG(nBytes)) {
        bFailed = true;
        AfxMessageBox(sWriteFailure);
        return false;
    }
    return true;
}

bool CKWaveOutputSteps::End()
{
    if (!hmmio)
        return false;
    if (mmioAscend(hmmio, &ckData, 0))
        Fail("\n- не удается подняться из chunk data");
    else if (mmioAscend(hmmio, &ckRiff, 0))
        Fail("\n- не удается подняться из chunk WAVE");
    if (mmioClose(hmmio) != MMSYSERR_NOERROR)
        bFailed = true;
    hmmio = nullptr;
    if (bFailed)
        std::remove(sPath.GetString());
    return !bFailed;
}

bool KRunWaveOutputCommand(CDialog* pDialog, const CString& sInitialName, const CString& sTitle,
                           const CString& sSourcePath, const std::function<void(const CString& sPath)>& operation)
{
    if (pDialog && pDialog->DoModal() != IDOK)
        return false;
    FileDialogRequest rq;
    rq.bOpen = false;
    rq.sDefaultExt = "WAV";
    rq.sFileName = sInitialName;
    rq.nFlags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
    rq.sFilter = "WAVE файлы (*.wav)|*.wav||";
    rq.sTitle = sTitle;
    if (!UserInteraction().FileDialog(rq))
        return false;
    std::error_code ec;
    if (!sSourcePath.IsEmpty() &&
        std::filesystem::equivalent(rq.sPathName.GetString(), sSourcePath.GetString(), ec)) {
        AfxMessageBox("Результат нельзя записать в исходный звуковой файл:\n" + rq.sPathName);
        return false;
    }
    CWaitCursor wait;
    try {
        operation(rq.sPathName);
    } catch (const KProgressCancelled&) {
        // The output and the drafts went on the way out.
        AfxMessageBox(kStoppedByUser);
        return false;
    }
    return true;
}
