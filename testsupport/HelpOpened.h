// What the help commands ask the desktop to open: the guide's addresses,
// in order, while `act` runs; nothing is shown.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "framework/ui/KHelp.h"

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

} // namespace ktest
