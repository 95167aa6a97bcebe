#include "framework/base/CString.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <vector>

void CString::FormatV(const char* fmt, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    char small[512];
    int n = std::vsnprintf(small, sizeof small, fmt, copy);
    va_end(copy);
    if (n < 0) {
        m_s.clear();
        return;
    }
    if (size_t(n) < sizeof small) {
        m_s.assign(small, size_t(n));
        return;
    }
    std::vector<char> big(size_t(n) + 1);
    std::vsnprintf(big.data(), big.size(), fmt, args);
    m_s.assign(big.data(), size_t(n));
}

void CString::Format(const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    FormatV(fmt, args);
    va_end(args);
}

void CString::AppendFormat(const char* fmt, ...)
{
    CString tail;
    va_list args;
    va_start(args, fmt);
    tail.FormatV(fmt, args);
    va_end(args);
    m_s += tail.m_s;
}

CString CString::Left(int n) const
{
    if (n <= 0)
        return CString();
    return CString(m_s.substr(0, size_t(n)));
}

CString CString::Right(int n) const
{
    if (n <= 0)
        return CString();
    if (size_t(n) >= m_s.size())
        return *this;
    return CString(m_s.substr(m_s.size() - size_t(n)));
}

CString CString::Mid(int first) const
{
    if (first < 0)
        first = 0;
    if (size_t(first) >= m_s.size())
        return CString();
    return CString(m_s.substr(size_t(first)));
}

CString CString::Mid(int first, int count) const
{
    if (first < 0)
        first = 0;
    if (count <= 0 || size_t(first) >= m_s.size())
        return CString();
    return CString(m_s.substr(size_t(first), size_t(count)));
}

int CString::Find(char c, int start) const
{
    if (start < 0)
        start = 0;
    size_t p = m_s.find(c, size_t(start));
    return p == std::string::npos ? -1 : int(p);
}

int CString::Find(const char* sub, int start) const
{
    if (start < 0)
        start = 0;
    size_t p = m_s.find(sub ? sub : "", size_t(start));
    return p == std::string::npos ? -1 : int(p);
}

int CString::ReverseFind(char c) const
{
    size_t p = m_s.rfind(c);
    return p == std::string::npos ? -1 : int(p);
}

// ASCII only: the suite lowers file extensions and program names, never Cyrillic text.
CString& CString::MakeLower()
{
    for (char& c : m_s)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return *this;
}

CString& CString::MakeUpper()
{
    for (char& c : m_s)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return *this;
}

CString& CString::Trim()
{
    auto space = [](unsigned char c) { return std::isspace(c) != 0; };
    while (!m_s.empty() && space(static_cast<unsigned char>(m_s.back())))
        m_s.pop_back();
    size_t i = 0;
    while (i < m_s.size() && space(static_cast<unsigned char>(m_s[i])))
        ++i;
    m_s.erase(0, i);
    return *this;
}

int CString::Replace(const char* oldText, const char* newText)
{
    std::string from = oldText ? oldText : "";
    std::string to = newText ? newText : "";
    if (from.empty())
        return 0;
    int count = 0;
    for (size_t p = m_s.find(from); p != std::string::npos; p = m_s.find(from, p + to.size())) {
        m_s.replace(p, from.size(), to);
        ++count;
    }
    return count;
}

int CString::CompareNoCase(const char* s) const
{
    CString a(*this), b(s);
    a.MakeLower();
    b.MakeLower();
    return a.Compare(b.GetString());
}
