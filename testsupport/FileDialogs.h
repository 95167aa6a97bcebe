// The file dialogs commands ask for, in tests: a save dialog checked
// against the request it should be, every field at once.
#pragma once
#include <string>

#include <gtest/gtest.h>

#include "framework/base/KSaveFileRequest.h"
#include "framework/base/UserServices.h"

namespace ktest {

// The dialog asked is a save dialog with the extension, name, flags, filter
// and title of expected; the fields that differ when it is not.
inline ::testing::AssertionResult AsksToSave(const FileDialogRequest& asked, const FileDialogRequest& expected)
{
    std::string differ;
    auto field = [&](const char* name, const CString& a, const CString& e) {
        if (a != e)
            differ += std::string(" ") + name + " \"" + a.GetString() + "\" instead of \"" + e.GetString() + "\";";
    };
    if (asked.bOpen)
        differ += " an open dialog;";
    field("extension", asked.sDefaultExt, expected.sDefaultExt);
    field("name", asked.sFileName, expected.sFileName);
    field("filter", asked.sFilter, expected.sFilter);
    field("title", asked.sTitle, expected.sTitle);
    if (asked.nFlags != expected.nFlags)
        differ += " flags " + std::to_string(asked.nFlags) + " instead of " + std::to_string(expected.nFlags) + ";";
    if (differ.empty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the save dialog differs:" << differ;
}

} // namespace ktest
