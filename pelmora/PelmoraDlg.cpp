#include "pelmora/PelmoraDlg.h"

#include <ctime>

#include "framework/base/CFile.h"
#include "framework/base/Cp1251.h"
#include "framework/base/KSaveFileRequest.h"
#include "framework/base/UserServices.h"
#include "pelmora/KHearingTestDialogs.h"
#include "pelmora/KHearingTestInNoiseMainDlg.h"

CPelmoraDlg::CPelmoraDlg(CWnd* pParent) : CKProgramDialog(IDD_PELMORA_DIALOG, pParent, IDD_ABOUTBOX, IDM_ABOUTBOX, "&О программе Pelmora..."), ModulationDlg(this)
{
    MapCommand(IDC_SET_USER_NAME, &CPelmoraDlg::OnSetUserName);
    MapCommand(IDC_FIRST_SENSITIVITY, &CPelmoraDlg::OnFirstSensitivity);
    MapCommand(IDC_NOISE_INTELLIGIBILITY, &CPelmoraDlg::OnNoiseIntelligibility);
    MapCommand(IDC_SECOND_SENSITIVITY, &CPelmoraDlg::OnSecondSensitivity);
    MapCommandRange(IDC_RUN_ALL, IDC_RUN_SELECTIVE, &CPelmoraDlg::OnRunMode);
}

void CPelmoraDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_TextInRange(pDX, IDC_TARGET_ERROR, dTargetErrorPercent, 0.01, 100);
    DDX_TextInRange(pDX, IDC_NOISE_START, nNoiseStart, -100, 100);
    DDX_TextInRange(pDX, IDC_NOISE_END, nNoiseEnd, -100, 100);
    // A step of zero would never reach the end level.
    DDX_TextInRange(pDX, IDC_NOISE_STEP, nNoiseStep, 1, 100);
    DDX_Radio(pDX, IDC_RUN_ALL, nRunMode);
}

bool CPelmoraDlg::OnInitDialog()
{
    CKProgramDialog::OnInitDialog();
    {
        CWaitCursor wait;
        ModulationDlg.InitTests();
    }
    ShowUser();
    EnableButtons();
    return true;
}

void CPelmoraDlg::ShowUser()
{
    SetDlgItemText(IDC_USER_TEXT, sUserName + "\n" + sComment);
}

void CPelmoraDlg::EnableButtons()
{
    const bool all = nRunMode == 0;
    GetDlgItem(IDC_SET_USER_NAME)->EnableWindow(!all || nStagesDone == 0);
    GetDlgItem(IDC_FIRST_SENSITIVITY)->EnableWindow(!all || nStagesDone == 0);
    GetDlgItem(IDC_NOISE_INTELLIGIBILITY)->EnableWindow(!all || nStagesDone == 1);
    GetDlgItem(IDC_SECOND_SENSITIVITY)->EnableWindow(!all || nStagesDone == 2);
    GetDlgItem(IDOK)->EnableWindow(!all || nStagesDone >= 3);
    GetDlgItem(IDCANCEL)->EnableWindow(!all);
}

void CPelmoraDlg::OnRunMode()
{
    nRunMode = GetCheckedRadioButton(IDC_RUN_ALL, IDC_RUN_SELECTIVE) == int(IDC_RUN_SELECTIVE) ? 1 : 0;
    EnableButtons();
}

void CPelmoraDlg::OnSetUserName()
{
    CKSetUserNameDlg dlg(this);
    dlg.sUserName = sUserName;
    dlg.sComment = sComment;
    if (dlg.DoModal() != IDOK)
        return;
    sUserName = dlg.sUserName;
    sComment = dlg.sComment;
    ShowUser();
}

bool CPelmoraDlg::RunModulationStage(int nStage, COLORREF crBackground, CString& sText, const char* pszPrefix)
{
    if (!UpdateData(true))
        return false;
    ModulationDlg.nStage = nStage;
    ModulationDlg.dTargetError = dTargetErrorPercent / 100;
    ModulationDlg.crBackground = crBackground;
    ModulationDlg.sUserName = sUserName;
    if (ModulationDlg.DoModal() != IDOK)
        return false;
    sText = CString(pszPrefix) + ModulationDlg.sSummary;
    sDatabaseHeader += ModulationDlg.sDatabaseHeader;
    sDatabaseValues += ModulationDlg.sDatabaseValues;
    return true;
}

void CPelmoraDlg::OnFirstSensitivity()
{
    if (!RunModulationStage(1, RGB(160, 255, 255), sFirstStageText, "\n\nПервая оценка чувствительности слуха:"))
        return;
    if (nStagesDone < 1)
        nStagesDone = 1;
    EnableButtons();
}

void CPelmoraDlg::OnNoiseIntelligibility()
{
    if (!UpdateData(true))
        return;
    CKHearingTestInNoiseMainDlg dlg(this);
    dlg.nStartLevel = nNoiseStart;
    dlg.nEndLevel = nNoiseEnd;
    dlg.nStep = nNoiseStep;
    dlg.crBackground = RGB(190, 255, 190);
    dlg.sUserName = sUserName;
    if (dlg.DoModal() != IDOK)
        return;
    sNoiseStageText += "\n\nРазборчивость в шумах:" + dlg.sLog;
    sDatabaseHeader += dlg.sDatabaseHeader;
    sDatabaseValues += dlg.sDatabaseValues;
    if (nStagesDone < 2)
        nStagesDone = 2;
    EnableButtons();
}

void CPelmoraDlg::OnSecondSensitivity()
{
    // The second search starts from the first estimate, with no bound known.
    ModulationDlg.ResetBoundsOfAllTests();
    if (!RunModulationStage(2, RGB(190, 255, 255), sSecondStageText, "\n\nВторая оценка чувствительности слуха:"))
        return;
    nStagesDone = 3;
    EnableButtons();
}

CString CPelmoraDlg::ProtocolText(const std::tm& now) const
{
    CString text = "Имя испытуемого:\n" + sUserName + "\n\nКомментарий:\n" + sComment;
    text.AppendFormat("\n\nДата испытания:\n%4i-%02i-%02i", now.tm_year + 1900, now.tm_mon + 1, now.tm_mday);
    text += sFirstStageText + sNoiseStageText + sSecondStageText;
    text += "\n\n\nДля базы данных\n(чувствительность в первом испытании) - (границы распознавания) - "
            "(чувствительность во втором испытании):\n\nИмя испытуемого\tДата\tВремя";
    text += sDatabaseHeader;
    text.AppendFormat("\n%s\t%4i-%02i-%02i\t%2i:%02i:%02i", sUserName.GetString(), now.tm_year + 1900, now.tm_mon + 1,
                      now.tm_mday, now.tm_hour, now.tm_min, now.tm_sec);
    text += sDatabaseValues;
    return text;
}

bool CPelmoraDlg::WriteProtocolFile(const CString& sPath, const CString& sText)
{
    std::u16string utf16 = Utf8ToUtf16(sText.str());
    std::string bytes = "\xFF\xFE";
    bytes.reserve(2 + 2 * utf16.size());
    for (char16_t c : utf16) {
        bytes += char(c & 0xFF);
        bytes += char(c >> 8);
    }
    CFile file;
    if (!file.Open(sPath, CFile::modeCreate | CFile::modeWrite | CFile::typeBinary)) {
        AfxMessageBox(sPath + "\n- не удается открыть этот файл для записи протокола.", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (!file.Write(bytes.data(), UINT(bytes.size()))) {
        file.Abort();
        AfxMessageBox(sPath + "\n- не удается записать протокол в этот файл.", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    file.Close();
    return true;
}

void CPelmoraDlg::OnOK()
{
    std::tm now = KLocalNow();
    CString sName;
    sName.Format("Протокол испытаний - %s - %4i-%02i-%02i  %02i-%02i-%02i", sUserName.GetString(), now.tm_year + 1900,
                 now.tm_mon + 1, now.tm_mday, now.tm_hour, now.tm_min, now.tm_sec);
    FileDialogRequest request = KSaveFileRequest("xls", sName, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                                                 "Text Files (*.xls)|*.xls|All Files (*.*)|*.*||");
    if (!UserInteraction().FileDialog(request))
        return;
    if (WriteProtocolFile(request.sPathName, ProtocolText(now)))
        EndDialog(IDOK);
}

void CPelmoraDlg::OnCancel()
{
    // In the run-all mode the tests end only through their protocol.
    if (nRunMode == 0) {
        UserInteraction().MessageBeep(MB_ICONEXCLAMATION);
        return;
    }
    EndDialog(IDCANCEL);
}
