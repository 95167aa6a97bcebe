// Turns a failed file operation into a Russian message box.
#pragma once
#include "framework/base/CFile.h"

class CKDisplayFileExceptions {
public:
    CKDisplayFileExceptions() = default;
    virtual ~CKDisplayFileExceptions() = default;
    // Shows the cause of e (when it is not 0) and resets it to 0.
    void ShowMessageBox(CFileException* e);
};
