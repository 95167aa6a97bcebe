// Reading back a printed PDF file with poppler's tools: its page count and
// page size, and a page rendered to a picture at a given resolution.
#pragma once
#include <QImage>
#include <cstdio>
#include <string>

#include "framework/ui/WinTypes.h"
#include "testsupport/InkBounds.h"

namespace ktest {

// What pdfinfo says of a file ("" when it cannot read it).
inline std::string PdfInfo(const std::string& pdf)
{
    std::string out;
    const std::string cmd = "pdfinfo '" + pdf + "' 2>/dev/null";
    if (FILE* p = ::popen(cmd.c_str(), "r")) {
        char buf[512];
        while (std::fgets(buf, sizeof buf, p))
            out += buf;
        ::pclose(p);
    }
    return out;
}

// The value of one "Key: value" line of pdfinfo, trimmed.
inline std::string PdfInfoField(const std::string& pdf, const std::string& key)
{
    const std::string info = PdfInfo(pdf);
    const size_t at = info.find(key + ":");
    if (at == std::string::npos)
        return "";
    size_t b = at + key.size() + 1, e = info.find('\n', b);
    while (b < e && info[b] == ' ')
        ++b;
    return info.substr(b, e - b);
}

inline int PdfPageCount(const std::string& pdf)
{
    const std::string n = PdfInfoField(pdf, "Pages");
    return n.empty() ? -1 : std::stoi(n);
}

// Page n (from 1) at dpi points to the inch; a null image on failure.
inline QImage PdfPage(const std::string& pdf, int n, int dpi)
{
    const std::string prefix = pdf + ".page" + std::to_string(n);
    const std::string cmd = "pdftoppm -png -singlefile -r " + std::to_string(dpi) + " -f " + std::to_string(n) + " -l " +
                            std::to_string(n) + " '" + pdf + "' '" + prefix + "' 2>/dev/null";
    if (std::system(cmd.c_str()) != 0)
        return QImage();
    QImage img(QString::fromStdString(prefix + ".png"));
    std::remove((prefix + ".png").c_str());
    return img;
}

// The bounding box of the pixels that are not near white.
inline CRect PdfInk(const QImage& page)
{
    return InkBounds(page.width(), page.height(), [&](int x, int y) {
        const QRgb c = page.pixel(x, y);
        return qRed(c) < 200 || qGreen(c) < 200 || qBlue(c) < 200;
    });
}

} // namespace ktest
