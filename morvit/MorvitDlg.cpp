#include "morvit/MorvitDlg.h"

#include <numbers>
#include <algorithm>
#include <cmath>

#include "framework/base/UserServices.h"
#include "kavrel/views/KDialogPlayWaveFile.h"

namespace {
constexpr long kBlock = 16384;
constexpr long kAddBlock = 2048;
const char* const kNotMono = "Данный файл не монофонический.\nВсе дальнейшие вычисления будут не корректными!";
const char* const kWriteFailed = "Не удалось записать в выходной файл.";
const char* const kOutputIsInput = "Выходной файл совпадает с входным.\nВыберите для результата другой файл.";
} // namespace

CMorvitDlg::CMorvitDlg(CWnd* pParent) : CKProgramDialog(IDD_MORVIT_DIALOG, pParent, IDD_ABOUTBOX, IDM_ABOUTBOX, "&About Morvit...")
{
    std::fill(std::begin(OutputBuffer), std::end(OutputBuffer), short(0));
    MapCommand(IDC_OPEN_INPUT, &CMorvitDlg::OnOpenInput);
    MapCommand(IDC_OPEN_OUTPUT, &CMorvitDlg::OnOpenOutput);
    MapCommand(IDC_PLAY_INPUT, &CMorvitDlg::OnPlayInput);
    MapCommand(IDC_PLAY_OUTPUT, &CMorvitDlg::OnPlayOutput);
    MapCommand(IDC_COSINE, &CMorvitDlg::OnCosineMultiplication);
    MapCommand(IDC_ADD, &CMorvitDlg::OnAddition);
    MapCommand(IDC_RANGE, &CMorvitDlg::OnRange);
    for (UINT id : {IDC_START_PHASE, IDC_START_FREQUENCY, IDC_FREQUENCY_GROWTH})
        MapNotify(id, EN_KILLFOCUS, &CMorvitDlg::OnEditKillFocus);
}

void CMorvitDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, IDC_INPUT_PATH, sInputPath);
    DDX_Text(pDX, IDC_OUTPUT_PATH, sOutputPath);
    DDX_Text(pDX, IDC_FRADC_TEXT, sFrADCText);
    DDX_Text(pDX, IDC_FREQUENCY_GROWTH, dFrequencyGrowth);
    DDX_Text(pDX, IDC_START_FREQUENCY, dStartFrequency);
    DDX_TextInRange(pDX, IDC_START_PHASE, dStartPhase, 0, 1);
    DDX_Text(pDX, IDC_MAX, nMax);
    DDX_Text(pDX, IDC_MIN, nMin);
    DDX_Text(pDX, IDC_ADDEND, nAddend);
}

bool CMorvitDlg::OnInitDialog()
{
    CKProgramDialog::OnInitDialog();
    GetDlgItem(IDC_PLAY_INPUT)->EnableWindow(false);
    GetDlgItem(IDC_PLAY_OUTPUT)->EnableWindow(false);
    return true;
}

void CMorvitDlg::OnEditKillFocus()
{
    UpdateData(true);
}

void CMorvitDlg::OnOpenInput()
{
    // The reader's own dialog closes the file before it asks; whatever
    // becomes of the new choice, the dialog shows the file that is open.
    const CString sOldPath = InputWave.KWaveIsGood() ? InputWave.GetKWaveFilePathName() : CString();
    const CString sOldTitle = InputWave.GetKWaveFileTitle();
    if (!InputWave.OpenKWaveFile() || !InputIsUsable()) {
        InputWave.CloseKWaveFile();
        if (!sOldPath.IsEmpty()) {
            InputWave.DoNotShowKWaveErrors();
            InputWave.OpenKWaveFile(sOldPath, sOldTitle);
            InputWave.ShowKWaveErrors();
        }
        ShowInput();
        return;
    }
    ShowInput();
}

// 16-bit PCM only; says why not otherwise.
bool CMorvitDlg::InputIsUsable()
{
    WAVEFORMATEX f = InputWave.GetKWaveFormat();
    if (f.wFormatTag != WAVE_FORMAT_PCM) {
        AfxMessageBox("Этот звуковой файл не формате WAVE_FORMAT_PCM.\n Работа с ним вестись не будет.", MB_OK);
        return false;
    }
    if (f.nBlockAlign / f.nChannels != 2) {
        AfxMessageBox("Это не монофонический сигнал.\n Работа с ним вестись не будет.", MB_OK);
        return false;
    }
    return true;
}

void CMorvitDlg::ShowInput()
{
    if (!InputWave.KWaveIsGood()) {
        sInputPath.Empty();
        sFrADCText.Empty();
        SetDlgItemText(IDC_INPUT_PATH, sInputPath);
        SetDlgItemText(IDC_FRADC_TEXT, sFrADCText);
        GetDlgItem(IDC_PLAY_INPUT)->EnableWindow(false);
        return;
    }
    InputWave.nChannel = 0;
    sInputPath = InputWave.GetKWaveFilePathName();
    SetDlgItemText(IDC_INPUT_PATH, sInputPath);
    GetDlgItem(IDC_PLAY_INPUT)->EnableWindow(true);
    sFrADCText.Format("Частота дискретного представления сигнала = %li Гц.", InputWave.GetKWaveFrADC());
    SetDlgItemText(IDC_FRADC_TEXT, sFrADCText);
}

// Only the path is chosen here: the file is created when a transform runs,
// so that choosing never destroys a file the user may still change his
// mind about.
void CMorvitDlg::OnOpenOutput()
{
    CString sPath;
    if (!CKWaveWriteToFile::ChooseFile(sPath))
        return;
    if (InputWave.KWaveIsGood() && KIsSameFile(sPath, InputWave.GetKWaveFilePathName())) {
        AfxMessageBox(kOutputIsInput, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    OutputWave.Close();
    sOutputPath = sPath;
    SetDlgItemText(IDC_OUTPUT_PATH, sOutputPath);
    GetDlgItem(IDC_PLAY_OUTPUT)->EnableWindow(false);
}

void CMorvitDlg::OnPlayInput()
{
    CKDialogPlayWaveFile dlg(this);
    dlg.sTitle = "Воспроизведение";
    dlg.sPathName = sInputPath;
    dlg.DoModal();
}

void CMorvitDlg::OnPlayOutput()
{
    CKDialogPlayWaveFile dlg(this);
    dlg.sTitle = "Воспроизведение";
    dlg.sPathName = sOutputPath;
    dlg.DoModal();
}

// Both files are chosen through the two "Открыть ..." buttons first; a
// transform started before that would have nothing to read or nowhere to write.
bool CMorvitDlg::ReadyForTransform()
{
    if (!InputWave.KWaveIsGood()) {
        AfxMessageBox("Сначала откройте входной звуковой файл.", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (sOutputPath.IsEmpty()) {
        AfxMessageBox("Сначала выберите выходной звуковой файл.", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    // The input may have been chosen after the output.
    if (KIsSameFile(sOutputPath, InputWave.GetKWaveFilePathName())) {
        AfxMessageBox(kOutputIsInput, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

void CMorvitDlg::FinishedBeeps()
{
    for (DWORD f : {500u, 1000u, 2000u, 4000u})
        UserInteraction().Beep(f, 50);
}

void CMorvitDlg::OnCosineMultiplication()
{
    if (!ReadyForTransform())
        return;
    CWaitCursor wait;
    const double fs = double(InputWave.GetKWaveFrADC());
    const double a = dFrequencyGrowth, b = dStartFrequency, phi = dStartPhase;
    OutputWave.Close();
    // One channel is read, so one is written: a stereo header over mono
    // samples would play at half the length with the channels alternating.
    if (OutputWave.Create(sOutputPath, (unsigned long)InputWave.GetKWaveFrADC(), 1)) {
        InputWave.SetKWaveWindowWidthInSamples(kBlock);
        const long length = InputWave.GetKWaveSizeInSamples();
        bool ok = true;
        for (long p = 0; p < length && ok; p += kBlock) {
            InputWave.PositKWaveWindowOnSample(p + kBlock / 2);
            const short* x = InputWave.GetKWaveWindow();
            for (long i = 0; i < kBlock; ++i) {
                const long n = p + i;
                const double t = double(n) / fs;
                const double theta = 2 * std::numbers::pi * (a * t * t / 2 + b * t + phi);
                OutputBuffer[i] = short(std::cos(theta) * (x[i] * 0.99996));
            }
            if (!OutputWave.Write(OutputBuffer, int(sizeof OutputBuffer))) {
                AfxMessageBox(kWriteFailed, MB_OK);
                ok = false;
            }
        }
        OutputWave.Close();
        GetDlgItem(IDC_PLAY_OUTPUT)->EnableWindow(true);
    }
    FinishedBeeps();
}

void CMorvitDlg::OnAddition()
{
    // An addend the data exchange refused is no addend to write with.
    if (!UpdateData(true) || !ReadyForTransform())
        return;
    CWaitCursor wait;
    if (InputWave.GetKWaveNChannels() != 1)
        AfxMessageBox(kNotMono, MB_OK);
    OutputWave.Close();
    if (OutputWave.Create(sOutputPath, (unsigned long)InputWave.GetKWaveFrADC(), 1)) {
        const long length = InputWave.GetKWaveSizeInSamples();
        for (long p = 0; p < length; p += kAddBlock) {
            const long n = std::min(kAddBlock, length - p);
            InputWave.FillKWaveBufFromSampleNSamples(OutputBuffer, p, n);
            for (long i = 0; i < n; ++i)
                OutputBuffer[i] = short(std::clamp(int(OutputBuffer[i]) + nAddend, -32768, 32767));
            if (!OutputWave.Write(OutputBuffer, int(n * 2))) {
                AfxMessageBox(kWriteFailed, MB_OK);
                break;
            }
        }
        OutputWave.Close();
        GetDlgItem(IDC_PLAY_OUTPUT)->EnableWindow(true);
    }
    FinishedBeeps();
}

void CMorvitDlg::OnRange()
{
    if (!InputWave.KWaveIsGood()) {
        AfxMessageBox("Сначала откройте входной звуковой файл.", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    CWaitCursor wait;
    if (InputWave.GetKWaveNChannels() != 1)
        AfxMessageBox(kNotMono, MB_OK);
    nMax = -100000;
    nMin = 100000;
    InputWave.SetKWaveWindowWidthInSamples(kBlock);
    const long length = InputWave.GetKWaveSizeInSamples();
    for (long p = 0; p < length; p += kBlock) {
        InputWave.PositKWaveWindowOnSample(p + kBlock / 2);
        const short* x = InputWave.GetKWaveWindow();
        for (long i = 0; i < kBlock && p + i < length; ++i) {
            nMax = std::max(nMax, int(x[i]));
            nMin = std::min(nMin, int(x[i]));
        }
    }
    GetDlgItem(IDC_PLAY_OUTPUT)->EnableWindow(false);
    SetDlgItemInt(IDC_MAX, nMax);
    SetDlgItemInt(IDC_MIN, nMin);
    FinishedBeeps();
}
