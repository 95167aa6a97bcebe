#include "vornel/DialogJumpToFreq.h"

#include <algorithm>
#include <cstdlib>

#include "framework/base/UserServices.h"
#include "framework/ui/CControls.h"
#include "vornel/VornelIds.h"

int JumpToFreqBin(long f, double Fs, int nFFT, int nBins, int w)
{
    if (!(Fs > 0))
        return 0;
    const double bin = double(nFFT) * double(f) / Fs;
    // Only bins 0 .. nBins-1 are shown: a pane cannot start past nBins - w,
    // and the real frequency shown must be where it starts.
    const int last = std::max(nBins - w, 0);
    return bin <= 0 ? 0 : bin >= last ? last : int(bin);
}

CDialogJumpToFreq::CDialogJumpToFreq(double Fs, int nFFT_, int w, CWnd* pParent)
    : CDialog(IDD_JUMP_TO_FREQ, pParent), dFs(Fs), nFFT(nFFT_), nClientWidth(w)
{
    MapNotify(IDC_JUMP_FREQ, EN_CHANGE, &CDialogJumpToFreq::OnChangeFreq);
}

bool CDialogJumpToFreq::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetDlgItemInt(IDC_JUMP_FREQ, nFreq);
    ShowRealFrequency();
    return true;
}

void CDialogJumpToFreq::ShowRealFrequency()
{
    nBin = JumpToFreqBin(nFreq, dFs, nFFT, nFFT / 2, nClientWidth);
    CString s;
    s.Format("%f Гц", double(nBin) * dFs / nFFT);
    SetDlgItemText(IDC_JUMP_REAL_FREQ, s);
}

void CDialogJumpToFreq::OnChangeFreq()
{
    UserInteraction().Beep(1000, 100);
    // A half-typed number counts as what its digits say so far.
    nFreq = int(std::strtol(GetDlgItemText(IDC_JUMP_FREQ).GetString(), nullptr, 10));
    ShowRealFrequency();
}
