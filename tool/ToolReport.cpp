#include "tool/ToolReport.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

std::string formatted(const char* format, va_list ap)
{
    char small[128];
    va_list copy;
    va_copy(copy, ap);
    const int n = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (n < 0)
        return std::string();
    if (size_t(n) < sizeof small)
        return std::string(small, size_t(n));
    std::string big(size_t(n) + 1, '\0');
    std::vsnprintf(big.data(), big.size(), format, ap);
    big.resize(size_t(n));
    return big;
}

// A number as printf wrote it, in JSON: infinities and NaN have no JSON form.
std::string jsonNumber(const std::string& v)
{
    if (v.empty() || v.find("inf") != std::string::npos || v.find("nan") != std::string::npos)
        return "null";
    return v;
}

std::string jsonString(const std::string& s)
{
    std::string out = "\"";
    for (const unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", c);
            out += esc;
        } else {
            out += char(c);
        }
    }
    out += '"';
    return out;
}

} // namespace

namespace {
// The file the report of a many-file run is about (empty for one file).
std::string g_fileLabel;
} // namespace

KToolFiles SplitToolFiles(const ToolArgs& args, std::vector<const char*> valued)
{
    KToolFiles out;
    for (size_t i = 0; i < args.size(); ++i) {
        bool takesValue = false;
        for (const char* v : valued)
            takesValue = takesValue || args[i] == v;
        if (takesValue) {
            out.options.push_back(args[i]);
            if (i + 1 < args.size())
                out.options.push_back(args[++i]);
        } else if (!args[i].IsEmpty() && args[i].GetAt(0) == '-' && args[i].GetLength() > 1) {
            out.options.push_back(args[i]);
        } else {
            out.files.push_back(args[i]);
        }
    }
    return out;
}

int RunForEachToolFile(const std::vector<CString>& files, KToolFormat format,
                       const std::function<int(const CString& file)>& one)
{
    if (files.size() <= 1)
        return one(files.empty() ? CString() : files.front());
    int status = 0;
    for (const CString& f : files) {
        if (format == KToolFormat::Text)
            std::printf("file: %s\n", f.GetString());
        std::fflush(stdout);
        g_fileLabel = f.GetString();
        const int r = one(f);
        g_fileLabel.clear();
        std::fflush(stdout);
        if (r == 2)
            return 2;
        if (r != 0) {
            std::fprintf(stderr, "Файл пропущен: %s\n", f.GetString());
            status = 1;
        }
    }
    return status;
}

int RunForEachToolFile(const KToolFiles& files, KToolFormat format, int (*one)(const ToolArgs&))
{
    return RunForEachToolFile(files.files, format, [&](const CString& f) {
        ToolArgs args;
        if (!files.files.empty())
            args.push_back(f);
        args.insert(args.end(), files.options.begin(), files.options.end());
        return one(args);
    });
}

CToolReport::CToolReport(KToolFormat format) : m_format(format)
{
    if (m_format == KToolFormat::Json && !g_fileLabel.empty()) {
        jsonKey("file");
        m_json += jsonString(g_fileLabel);
    }
}

int TakeFormatOption(ToolArgs& args, KToolFormat& format)
{
    format = KToolFormat::Text;
    bool seen = false;
    for (size_t i = 1; i < args.size();) {
        if (args[i] != "--format") {
            ++i;
            continue;
        }
        const bool known = i + 1 < args.size() && (args[i + 1] == "tsv" || args[i + 1] == "json");
        if (!known || seen) {
            std::fprintf(stderr, "--format: tsv или json, один раз.\n");
            return 2;
        }
        seen = true;
        format = args[i + 1] == "json" ? KToolFormat::Json : KToolFormat::Text;
        args.erase(args.begin() + long(i), args.begin() + long(i) + 2);
    }
    return 0;
}

void CToolReport::jsonKey(const std::string& key)
{
    m_json += m_bFirstField ? "{" : ",";
    m_bFirstField = false;
    m_json.append(jsonString(key)).append(":");
}

void CToolReport::Field(const char* key, const char* format, ...)
{
    va_list ap;
    va_start(ap, format);
    const std::string v = formatted(format, ap);
    va_end(ap);
    if (m_format == KToolFormat::Text) {
        std::printf("%s: %s\n", key, v.c_str());
        return;
    }
    jsonKey(key);
    m_json += jsonNumber(v);
}

void CToolReport::Table(const char* name, std::vector<std::string> columns, const char* textHeader,
                        const char* separator)
{
    m_columns = std::move(columns);
    m_separator = separator;
    m_bInTable = true;
    m_bFirstRow = true;
    if (m_format == KToolFormat::Text) {
        if (textHeader)
            std::printf("%s\n", textHeader);
        return;
    }
    jsonKey(name);
    m_json += "[";
}

void CToolReport::Cell(const char* format, ...)
{
    va_list ap;
    va_start(ap, format);
    m_row.push_back(formatted(format, ap));
    va_end(ap);
}

void CToolReport::UndefinedCell(const char* text)
{
    m_row.push_back(m_format == KToolFormat::Text ? std::string(text) : std::string());
}

void CToolReport::EndRow()
{
    if (m_format == KToolFormat::Text) {
        std::string line;
        for (size_t k = 0; k < m_row.size(); ++k)
            line += (k ? m_separator : std::string()) + m_row[k];
        std::printf("%s\n", line.c_str());
    } else {
        m_json += m_bFirstRow ? "{" : ",{";
        for (size_t k = 0; k < m_row.size(); ++k) {
            std::string key = "column_";
            key.append(std::to_string(k));
            if (k < m_columns.size())
                key = m_columns[k];
            if (k)
                m_json += ',';
            m_json.append(jsonString(key)).append(":").append(jsonNumber(m_row[k]));
        }
        m_json += "}";
    }
    m_bFirstRow = false;
    m_row.clear();
}

void CToolReport::Finish()
{
    if (m_format == KToolFormat::Text)
        return;
    if (m_bInTable)
        m_json += "]";
    if (m_bFirstField)
        m_json += "{";
    m_json += "}\n";
    std::fwrite(m_json.data(), 1, m_json.size(), stdout);
    m_bInTable = false;
}
