#include "tembrix/models/KDialogPirogovFunction.h"

#include <algorithm>

#include "framework/base/UserServices.h"
#include "kavrel/core/KWaveFilm.h"
#include "tembrix/models/KPirogovFunction.h"
#include "tembrix/models/res/TembrixModelsForms.h"

CKDialogPirogovFunction::CKDialogPirogovFunction(CKWaveFilm* pFilm, CWnd* pParent)
    : CDialog(IDD, pParent), pWaveFilm(pFilm)
{
    RegisterTembrixModelsForms();
    MapNotify(IDC_CADRES_PER_FRAME_SPIN, UDN_DELTAPOS, &CKDialogPirogovFunction::OnDeltaposCadresPerFrame);
    MapNotify(IDC_LOW_LINE_SPIN, UDN_DELTAPOS, &CKDialogPirogovFunction::OnDeltaposLowLine);
    MapNotify(IDC_HIGH_LINE_SPIN, UDN_DELTAPOS, &CKDialogPirogovFunction::OnDeltaposHighLine);
    MapCommand(IDC_CREATE, &CKDialogPirogovFunction::OnCreatePirogovFunction);
}

void CKDialogPirogovFunction::DoDataExchange(CDataExchange* pDX)
{
    DDX_TextInRange(pDX, IDC_CADRES_PER_FRAME, nCadresPerFrame, 1, 100000);
    DDX_TextInRange(pDX, IDC_LOW_LINE, nLowLine, 0, 511);
    DDX_TextInRange(pDX, IDC_HIGH_LINE, nHighLine, 0, 511);
}

bool CKDialogPirogovFunction::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (pWaveFilm) {
        nCadresPerFrame = PirogovDefaultCadresPerFrame(*pWaveFilm);
        nLowLine = PirogovDefaultLowLine(*pWaveFilm);
        nHighLine = PirogovDefaultHighLine(*pWaveFilm);
    }
    UpdateData(false);
    ShowFrameRate();
    ShowLineFrequency(IDC_HIGH_FREQUENCY, nHighLine);
    ShowLineFrequency(IDC_LOW_FREQUENCY, nLowLine);
    if (CWnd* place = GetDlgItem(IDC_HISTOGRAM_PLACE)) {
        CRect r;
        place->GetWindowRect(&r);
        ScreenToClient(&r);
        Histogram.Create(r, this, IDC_HISTOGRAM_PLACE + 100);
    }
    return true;
}

void CKDialogPirogovFunction::ShowFrameRate()
{
    if (!pWaveFilm)
        return;
    const float rate = float(1 / (pWaveFilm->GetCadreStepInSeconds() * nCadresPerFrame));
    sFrameRateText.Format("Частота фреймов = %f Гц", double(rate));
    SetDlgItemText(IDC_FRAME_RATE, sFrameRateText);
}

void CKDialogPirogovFunction::ShowLineFrequency(int nID, int line)
{
    if (!pWaveFilm || pWaveFilm->GetNFFT() <= 0)
        return;
    // Whole hertz, as the line's label has always shown them.
    const long f = pWaveFilm->GetKWaveFrADC() * line / pWaveFilm->GetNFFT();
    CString text;
    text.Format("Частота = %f Гц", double(f));
    SetDlgItemText(nID, text);
}

// A positive change lowers the value, a negative one raises it.
static int stepped(int value, const NMHDR* pNMHDR, int lo, int hi)
{
    const int delta = reinterpret_cast<const NMUPDOWN*>(pNMHDR)->iDelta;
    if (delta > 0)
        --value;
    else if (delta < 0)
        ++value;
    return std::clamp(value, lo, hi);
}

void CKDialogPirogovFunction::OnDeltaposCadresPerFrame(NMHDR* pNMHDR, LRESULT* pResult)
{
    nCadresPerFrame = stepped(nCadresPerFrame, pNMHDR, 1, 100000);
    SetDlgItemInt(IDC_CADRES_PER_FRAME, nCadresPerFrame);
    ShowFrameRate();
    *pResult = 0;
}

void CKDialogPirogovFunction::OnDeltaposLowLine(NMHDR* pNMHDR, LRESULT* pResult)
{
    nLowLine = stepped(nLowLine, pNMHDR, 0, 511);
    SetDlgItemInt(IDC_LOW_LINE, nLowLine);
    ShowLineFrequency(IDC_LOW_FREQUENCY, nLowLine);
    *pResult = 0;
}

void CKDialogPirogovFunction::OnDeltaposHighLine(NMHDR* pNMHDR, LRESULT* pResult)
{
    nHighLine = stepped(nHighLine, pNMHDR, 1, 511);
    SetDlgItemInt(IDC_HIGH_LINE, nHighLine);
    ShowLineFrequency(IDC_HIGH_FREQUENCY, nHighLine);
    *pResult = 0;
}

void CKDialogPirogovFunction::OnCreatePirogovFunction()
{
    if (!pWaveFilm || !UpdateData(true))
        return;
    ShowFrameRate();
    ShowLineFrequency(IDC_HIGH_FREQUENCY, nHighLine);
    ShowLineFrequency(IDC_LOW_FREQUENCY, nLowLine);
    FileDialogRequest request;
    request.bOpen = false;
    request.sDefaultExt = "xls";
    request.sFileName.Format("%s_%li_%li", pWaveFilm->GetKWaveFileTitle().GetString(),
                             pWaveFilm->GetSelectedFragmentSample0(), pWaveFilm->GetSelectedFragmentSample1());
    request.nFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    request.sFilter = "Worksheet Files (*.xls)|*.xls|*.xls|All Files (*.*)|*.*||";
    if (!UserInteraction().FileDialog(request))
        return;
    KPirogovStatistics st;
    if (!CreatePirogovFunctionFile(*pWaveFilm, nCadresPerFrame, nLowLine, nHighLine, request.sPathName, &st))
        return;
    sPathName = request.sPathName;
    Histogram.SetStatistics(st);
    CString caption;
    caption.Format("n = %i; ФП от %f до %f", st.n, st.min, st.max);
    SetDlgItemText(IDC_HISTOGRAM_CAPTION, caption);
}
