#include "glissar/DialogSetToolsSize.h"

#include "glissar/GlissarIds.h"

CDialogSetToolsSize::CDialogSetToolsSize(int nSize, CWnd* pParent)
    : CDialog(IDD_SET_TOOLS_SIZE, pParent), nToolsSize(nSize)
{
}

void CDialogSetToolsSize::DoDataExchange(CDataExchange* pDX)
{
    DDX_CBIndex(pDX, IDC_TOOLS_SIZE_COMBO, nToolsSize);
}
