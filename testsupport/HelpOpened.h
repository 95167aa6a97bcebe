// What the help commands ask the desktop to open: the guide's addresses,
// in order, while `act` runs; nothing is shown.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/ui/CDialog.h"
#include "framework/ui/KHelp.h"
#include "testsupport/CompanionPrograms.h"

namespace ktest {

inline std::vector<std::string> HelpOpenedBy(const std::function<void()>& act)
{
    std::vector<std::string> opened;
    KHelpOpener previous = KSetHelpOpener([&opened](const CString& url) {
        opened.push_back(url.GetString());
        return true;
    });
    act();
    KSetHelpOpener(previous);
    return opened;
}

// The dialog's Help button opens the guide NAME.html beside the programs at
// the topic, and that topic is in the guide.
inline ::testing::AssertionResult HelpButtonOpensGuideAt(CDialog& dlg, UINT nHelpID, const std::string& name,
                                                         const std::string& topic)
{
    const auto opened = HelpOpenedBy([&] { dlg.OnCommand(nHelpID, BN_CLICKED); });
    const std::string expected = "/bin/help/" + name + ".html#" + topic;
    if (opened.size() != 1 || !opened[0].ends_with(expected))
        return ::testing::AssertionFailure() << "opened " << (opened.empty() ? "nothing" : opened.back())
                                             << ", not …" << expected;
    return GuideHasTopics(name, {topic.c_str()});
}

} // namespace ktest
