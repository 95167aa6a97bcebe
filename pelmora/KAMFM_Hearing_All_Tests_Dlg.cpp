#include "pelmora/KAMFM_Hearing_All_Tests_Dlg.h"

#include <cstdlib>
#include <ctime>

#include "framework/base/UserServices.h"
#include "pelmora/KHearingTestDialogs.h"

const char* const kTrialLogHeader =
    "\nИмя испытуемого\tДата испытания\tВремя испытания\tТип модуляции\tЧастота гармоники (Гц)"
    "\tАбсолютная величина модуляции [0;1]\tНижняя абсолютная граница модуляции [0;1]"
    "\tВерхнаяя абсолютная граница модуляции [0;1]\tОшибка оценки абсолютной модуляции (%%)"
    "\tЛогарифм значения величины модуляции (дБ или полутона)"
    "\tЛогарифм ошибки значения величины модуляции (дБ или полутона)"
    "\ti_m - прослушано модулированных гармоник\ti_nm - прослушано не модулированных гармоник\ti_m + i_nm"
    "\tЧисло попыток прослушивания";

namespace {
const char* const kLastColumn = "\tЧисло попыток прослушивания";

struct InitialLevel {
    double m;
    double dStep;
};
constexpr InitialLevel kAM[4] = {{0.14277, 1.676625541}, {0.09758, 1.899018779}, {0.0593, 1.63938097}, {0.05425, 1.514834101}};
constexpr InitialLevel kFM[4] = {{0.0307, 19.25821655}, {0.00602, 20.83194924}, {0.00374, 20.27321188}, {0.00262, 24.22332218}};

// Name, date and time, type and carrier, and the six measures of a test.
CString testCells(const CString& name, const CKModulationTest& t)
{
    const std::tm& d = t.LastTrialTime;
    CString s;
    s.Format("\n%s\t%4i-%02i-%02i\t%2i:%02i:%02i\t%s\t%i\t%f\t%f\t%f\t%f\t%f\t%f", name.GetString(), d.tm_year + 1900,
             d.tm_mon + 1, d.tm_mday, d.tm_hour, d.tm_min, d.tm_sec, t.TypeName(), t.nCarrier, t.m, t.lower, t.upper,
             100 * t.RelativeError(), t.Level(), t.HalfWidth());
    return s;
}
} // namespace

CKAMFM_Hearing_All_Tests_Dlg::CKAMFM_Hearing_All_Tests_Dlg(CWnd* pParent)
    : CDialog(IDD_AMFM_HEARING_ALL_TESTS, pParent)
{
    for (auto& t : Tests)
        t = std::make_unique<CKModulationTest>();
    MapCommand(IDC_START_TRIALS, &CKAMFM_Hearing_All_Tests_Dlg::OnStartTrials);
    MapCommand(IDC_PLAY_UNMODULATED, &CKAMFM_Hearing_All_Tests_Dlg::OnPlayUnmodulated);
    MapCommand(IDC_PLAY_MODULATED, &CKAMFM_Hearing_All_Tests_Dlg::OnPlayModulated);
}

bool CKAMFM_Hearing_All_Tests_Dlg::InitTests()
{
    if (bTestsReady)
        return true;
    bool ok = true;
    for (int i = 0; i < 4; ++i) {
        Tests[size_t(i)]->SetTest(KMODULATION_NONE, kCarriers[i], 0.05, 1);
        Tests[size_t(4 + i)]->SetTest(KMODULATION_AM, kCarriers[i], kAM[i].m, kAM[i].dStep);
        Tests[size_t(8 + i)]->SetTest(KMODULATION_FM, kCarriers[i], kFM[i].m, kFM[i].dStep);
    }
    // Neither bound is known yet, so the next-level rule only writes the files.
    for (auto& t : Tests)
        ok = t->NextLevel() && ok;
    bTestsReady = true;
    return ok;
}

void CKAMFM_Hearing_All_Tests_Dlg::ResetBoundsOfAllTests()
{
    for (auto& t : Tests)
        t->ResetBounds();
}

bool CKAMFM_Hearing_All_Tests_Dlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    InitTests();
    KSetDialogBackground(this, crBackground);
    // The header passes through the formatter: its "%%" becomes one per cent sign.
    sTrialLog = kTrialLogHeader;
    sTrialLog.Replace("%%", "%");
    sSummary.Empty();
    sDatabaseHeader.Empty();
    sDatabaseValues.Empty();
    RefreshResults();
    return true;
}

int CKAMFM_Hearing_All_Tests_Dlg::LeastCertainTest()
{
    int worst = 0;
    for (int i = 1; i < 8; ++i) {
        if (Test(i).RelativeError() > Test(worst).RelativeError())
            worst = i;
    }
    return worst;
}

void CKAMFM_Hearing_All_Tests_Dlg::RefreshResults()
{
    for (int i = 0; i < 8; ++i) {
        const CKModulationTest& t = Test(i);
        CString text;
        if (t.nModulationType == KMODULATION_AM)
            text.Format("%6.4f±%6.4f dB; error=%4.2f %%", t.Level(), t.HalfWidth(), 100 * t.RelativeError());
        else
            text.Format("%4.2f±%4.2f cent; error=%4.2f %%", t.Level(), t.HalfWidth(), 100 * t.RelativeError());
        SetDlgItemText(int(IDC_TEST_FIRST) + i, text);
    }
    nChecked = LeastCertainTest();
    CheckRadioButton(IDC_TEST_FIRST, IDC_TEST_LAST, int(IDC_TEST_FIRST) + nChecked);
    const double worst = Test(nChecked).RelativeError();
    if (worst < dTargetError) {
        UserInteraction().MessageBeep(MB_ICONEXCLAMATION);
        SetDlgItemText(IDOK, "Испытания ЗАВЕРШИТЬ.\nДОСТИГНУТЫ заданные погрешности всех испытаний.");
        GetDlgItem(IDOK)->EnableWindow(true);
        AfxMessageBox("Испытания можно завершить - достигнуты заданные погрешности всех измерений.", MB_OK);
    } else {
        CString text;
        text.Format("НЕ ДОСТИГНУТЫ приемлемые погрешности всех испытаний,\nно эти испытания остроты слуха ЗАВЕРШИТЬ.\n\n"
                    "Сейчас максимальная ошибка = %4.2f %%\n\nА заказана максимальная ошибка = %4.2f %%",
                    100 * worst, 100 * dTargetError);
        SetDlgItemText(IDOK, text);
        GetDlgItem(IDOK)->EnableWindow(false);
    }
}

void CKAMFM_Hearing_All_Tests_Dlg::LogTrial(CKModulationTest& t, int nCycleModulated, int nCycleUnmodulated, int nCycles)
{
    t.LastTrialTime = KLocalNow();
    CString line = testCells(sUserName, t);
    line.AppendFormat("\t%i\t%i\t%i\t%i", nCycleModulated, nCycleUnmodulated, nCycleModulated + nCycleUnmodulated, nCycles);
    sTrialLog += line;
}

void CKAMFM_Hearing_All_Tests_Dlg::OnStartTrials()
{
    // The checked test is the one the user chose, or the least certain one.
    int checked = GetCheckedRadioButton(IDC_TEST_FIRST, IDC_TEST_LAST);
    if (checked >= int(IDC_TEST_FIRST) && checked <= int(IDC_TEST_LAST))
        nChecked = checked - int(IDC_TEST_FIRST);
    CKModulationTest& test = Test(nChecked);
    CKModulationTest& plain = Unmodulated(nChecked);
    KSeedRandomFromClock();
    int cycles = 0;
    for (;;) {
        ++cycles;
        int cycleModulated = 0, cycleUnmodulated = 0;
        bool wrong = false;
        for (int p = 1; p <= 7 && !wrong; ++p) {
            bool modulated = p < 7 ? std::rand() % 2 == 1 : !(cycleUnmodulated < cycleModulated);
            if (modulated) {
                ++test.i_m;
                ++cycleModulated;
            } else {
                ++test.i_nm;
                ++cycleUnmodulated;
            }
            CKHearingTestWaveFilesDlg dlg(this);
            dlg.sCaption.Format("%1i попытка", p);
            dlg.sPathName = modulated ? test.sFilePath : plain.sFilePath;
            dlg.crBackground = KRandomLightColor();
            const bool heard = dlg.DoModal() == IDOK;
            wrong = heard != modulated;
        }
        if (!wrong) {
            test.upper = test.m;
            test.NextLevel();
            LogTrial(test, cycleModulated, cycleUnmodulated, cycles);
            break;
        }
        CKYes_No_for_AM_FM_Dlg question(this);
        if (question.DoModal() == IDOK) {
            // A slip of the finger: the cycle is heard again at the same level.
            LogTrial(test, cycleModulated, cycleUnmodulated, cycles);
            continue;
        }
        test.lower = test.m;
        test.NextLevel();
        LogTrial(test, cycleModulated, cycleUnmodulated, cycles);
        break;
    }
    RefreshResults();
}

void CKAMFM_Hearing_All_Tests_Dlg::Play(const CString& sPathName)
{
    CKPlayWaveFileDlg dlg(this);
    dlg.sPathName = sPathName;
    dlg.DoModal();
}

void CKAMFM_Hearing_All_Tests_Dlg::OnPlayUnmodulated()
{
    int checked = GetCheckedRadioButton(IDC_TEST_FIRST, IDC_TEST_LAST);
    Play(Unmodulated(checked >= int(IDC_TEST_FIRST) ? checked - int(IDC_TEST_FIRST) : nChecked).sFilePath);
}

void CKAMFM_Hearing_All_Tests_Dlg::OnPlayModulated()
{
    int checked = GetCheckedRadioButton(IDC_TEST_FIRST, IDC_TEST_LAST);
    Play(Test(checked >= int(IDC_TEST_FIRST) ? checked - int(IDC_TEST_FIRST) : nChecked).sFilePath);
}

void CKAMFM_Hearing_All_Tests_Dlg::OnOK()
{
    // The summary: the header as it stands, without its last column, one
    // line per test with its accumulated counts, then the trial log.
    CString header = kTrialLogHeader;
    header = header.Left(header.GetLength() - CString(kLastColumn).GetLength());
    sSummary = "\n\nРезюме:" + header;
    sDatabaseHeader.Empty();
    sDatabaseValues.Empty();
    for (int i = 0; i < 8; ++i) {
        const CKModulationTest& t = Test(i);
        CString line = testCells(sUserName, t);
        line.AppendFormat("\t%i\t%i\t%i", t.i_m, t.i_nm, t.i_m + t.i_nm);
        sSummary += line;
        CString cells;
        cells.Format("\t%1i-%s-%04i - Чувствительность (дБ или полутона)\t%1i-%s-%04i - Ошибка чувствительности (дБ или полутона)",
                     nStage, t.TypeName(), t.nCarrier, nStage, t.TypeName(), t.nCarrier);
        sDatabaseHeader += cells;
        cells.Format("\t%f\t%f", t.Level(), t.HalfWidth());
        sDatabaseValues += cells;
    }
    sSummary += sTrialLog;
    EndDialog(IDOK);
}
