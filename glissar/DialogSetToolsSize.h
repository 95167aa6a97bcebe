// CDialogSetToolsSize: the width of the trace-editing tool, in cadres.
#pragma once
#include "framework/ui/CDialog.h"

class CDialogSetToolsSize : public CDialog {
public:
    explicit CDialogSetToolsSize(int nToolsSize = 2, CWnd* pParent = nullptr);

    void DoDataExchange(CDataExchange* pDX) override;

    // Index of the list ("бесконечность", "1", "3", "7", "15", "31"): 0 the
    // whole object, then the tool's width in cadres.
    int nToolsSize;
};
