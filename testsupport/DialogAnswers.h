// Dialogs a test answers in turn: every dialog that opens takes the next
// answer the test queued, and a dialog with none left fails the test. The
// dialogs named as confirmed (a settings dialog every new document opens)
// are answered OK without an answer of their own. And what a dialog shows
// and the messages the user was shown.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "framework/base/ScriptedUserInteraction.h"
#include "framework/ui/CDialog.h"

namespace ktest {

using DialogAnswer = std::function<void(CDialog&)>;

// Installs the driver over answers (which must outlive it); returns the driver it replaced.
inline DialogDriver AnswerDialogsInTurn(std::deque<DialogAnswer>& answers, std::vector<UINT> confirmed)
{
    return SetDialogDriver([&answers, confirmed = std::move(confirmed)](CDialog& d) {
        if (std::find(confirmed.begin(), confirmed.end(), d.GetTemplateID()) != confirmed.end()) {
            d.ClickDlgButton(IDOK);
            return;
        }
        ASSERT_FALSE(answers.empty()) << "dialog " << d.GetTemplateID();
        auto next = answers.front();
        answers.pop_front();
        next(d);
    });
}

// Each control's text as expected, the control named on a mismatch.
inline void ExpectTexts(CDialog& d, std::initializer_list<std::pair<int, const char*>> texts)
{
    for (const auto& [nID, text] : texts)
        EXPECT_EQ(d.GetDlgItemText(nID), CString(text)) << "control " << nID;
}

// Whether a message shown through ui contains text.
inline bool WasTold(const CScriptedUserInteraction& ui, const char* text)
{
    for (const auto& m : ui.m_messages)
        if (std::string(m.sText.GetString()).find(text) != std::string::npos)
            return true;
    return false;
}

} // namespace ktest
