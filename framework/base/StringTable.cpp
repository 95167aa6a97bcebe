#include "framework/base/StringTable.h"

#include <map>

namespace {
std::map<UINT, CString>& table()
{
    static std::map<UINT, CString> t;
    return t;
}
} // namespace

KStringResource::KStringResource(UINT nID, const char* text)
{
    table()[nID] = CString(text ? text : "");
}

bool AfxLoadString(UINT nID, CString& rString)
{
    auto it = table().find(nID);
    if (it == table().end()) {
        rString = CString();
        return false;
    }
    rString = it->second;
    return true;
}

CString AfxLoadString(UINT nID)
{
    CString s;
    AfxLoadString(nID, s);
    return s;
}

CString AfxExtractSubString(const CString& text, int n, char sep)
{
    const std::string s = text.GetString();
    size_t start = 0;
    for (int i = 0; i < n; ++i) {
        const size_t p = s.find(sep, start);
        if (p == std::string::npos)
            return CString();
        start = p + 1;
    }
    const size_t end = s.find(sep, start);
    return CString(s.substr(start, end == std::string::npos ? std::string::npos : end - start));
}
