#include "kavrel/core/KTextGrid.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

#include "framework/base/Cp1251.h"
#include "framework/base/UserServices.h"

namespace {

// ---- the bytes as UTF-8 text ---------------------------------------------------------

// The line of position pos in text, counting LF, CR LF and a lone CR as one break each.
int lineAt(std::string_view text, size_t pos)
{
    int line = 1;
    for (size_t i = 0; i < pos && i < text.size(); ++i)
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')))
            ++line;
    return line;
}


// Where the first sequence that is not UTF-8 begins, or npos.
size_t firstInvalidUtf8(std::string_view s)
{
    size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = s[i];
        size_t n = 0;
        char32_t v = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            n = 1, v = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            n = 2, v = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            n = 3, v = c & 0x07;
        } else {
            return i;
        }
        if (i + n >= s.size())
            return i;
        for (size_t k = 1; k <= n; ++k) {
            const unsigned char d = s[i + k];
            if ((d & 0xC0) != 0x80)
                return i;
            v = (v << 6) | (d & 0x3F);
        }
        // Overlong forms, surrogates and values past Unicode are not UTF-8.
        static const char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        if (v < kMin[n] || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF))
            return i;
        i += n + 1;
    }
    return std::string_view::npos;
}

// UTF-16 (bigEndian or not) from `from` to the end, as UTF-8.
bool decodeUtf16(std::string_view bytes, size_t from, bool bigEndian, std::string& text, KTextGridError& error)
{
    text.reserve((bytes.size() - from) / 2 * 3 / 2);
    auto unit = [&](size_t i) -> char16_t {
        const unsigned char a = bytes[i], b = bytes[i + 1];
        return char16_t(bigEndian ? (a << 8 | b) : (b << 8 | a));
    };
    for (size_t i = from; i < bytes.size(); i += 2) {
        if (i + 1 >= bytes.size()) {
            error = {lineAt(text, text.size()), "файл в кодировке UTF-16 обрывается на половине знака"};
            return false;
        }
        char32_t c = unit(i);
        if (c >= 0xD800 && c <= 0xDBFF && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 && unit(i + 2) <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            error = {lineAt(text, text.size()), "непарный суррогат UTF-16: файл поврежден"};
            return false;
        }
        KAppendUtf8(text, c);
    }
    return true;
}

bool decodeText(std::string_view bytes, std::string& text, KTextGridError& error)
{
    auto starts = [&](const char* bom, size_t n) { return bytes.size() >= n && std::memcmp(bytes.data(), bom, n) == 0; };
    if (starts("\xFE\xFF", 2))
        return decodeUtf16(bytes, 2, true, text, error);
    if (starts("\xFF\xFE", 2))
        return decodeUtf16(bytes, 2, false, text, error);
    // Without a mark, UTF-16 still shows itself by the zero half of its first, Latin, letter.
    if (bytes.size() >= 2 && bytes[0] == 0 && bytes[1] != 0)
        return decodeUtf16(bytes, 0, true, text, error);
    if (bytes.size() >= 2 && bytes[0] != 0 && bytes[1] == 0)
        return decodeUtf16(bytes, 0, false, text, error);
    const size_t from = starts("\xEF\xBB\xBF", 3) ? 3 : 0;
    const std::string_view body = bytes.substr(from);
    if (const size_t bad = firstInvalidUtf8(body); bad != std::string_view::npos) {
        error = {lineAt(body, bad), "текст не в кодировке UTF-8 или UTF-16 (сохраните файл в Praat заново)"};
        return false;
    }
    text.assign(body);
    return true;
}

// ---- tokens as Praat's text forms have them --------------------------------------------

// What the long form adds to the short one, the labels ("xmin =",
// "intervals [1]:"), is skipped, as are comments from "!" to the end of the
// line: what is left is the short form's sequence of numbers, quoted
// strings and <flags>.
struct Token {
    enum Kind { End, Number, String, Flag } kind = End;
    std::string text;
    int line = 0;
};

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

class Tokens {
public:
    explicit Tokens(std::string_view text) : s(text) {}

    bool Next(Token& t, KTextGridError& error)
    {
        for (;;) {
            while (pos < s.size() && isBlank(s[pos]))
                step();
            if (pos >= s.size()) {
                // The end of a file that ends its last line is on that line.
                const bool broken = !s.empty() && (s.back() == '\n' || s.back() == '\r');
                t = {Token::End, {}, broken && line > 1 ? line - 1 : line};
                return true;
            }
            const char c = s[pos];
            if (c == '!') {
                while (pos < s.size() && s[pos] != '\n' && s[pos] != '\r')
                    ++pos;
                continue;
            }
            if (c == '"')
                return quoted(t, error);
            if (c == '<') {
                const size_t begin = pos;
                while (pos < s.size() && s[pos] != '>' && !isBlank(s[pos]))
                    ++pos;
                if (pos >= s.size() || s[pos] != '>') {
                    error = {line, "знак «<» без закрывающего «>»"};
                    return false;
                }
                ++pos;
                t = {Token::Flag, std::string(s.substr(begin, pos - begin)), line};
                return true;
            }
            if ((c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.') {
                const size_t begin = pos;
                while (pos < s.size() && !isBlank(s[pos]) && s[pos] != '!' && s[pos] != '"')
                    ++pos;
                t = {Token::Number, std::string(s.substr(begin, pos - begin)), line};
                return true;
            }
            // A label of the long form.
            while (pos < s.size() && !isBlank(s[pos]) && s[pos] != '"' && s[pos] != '!' && s[pos] != '<')
                ++pos;
        }
    }
    size_t Remaining() const { return s.size() - pos; }
    int Line() const { return line; }

private:
    void step()
    {
        if (s[pos] == '\n' || (s[pos] == '\r' && (pos + 1 >= s.size() || s[pos + 1] != '\n')))
            ++line;
        ++pos;
    }
    // A string in double quotes, a doubled quote standing for one; it may span lines.
    bool quoted(Token& t, KTextGridError& error)
    {
        const int first = line;
        t = {Token::String, {}, first};
        ++pos;
        for (;;) {
            const size_t q = s.find('"', pos);
            if (q == std::string_view::npos) {
                error = {first, "строка в кавычках не закрыта до конца файла"};
                return false;
            }
            while (pos < q) {
                t.text += s[pos];
                step();
            }
            ++pos;
            if (pos < s.size() && s[pos] == '"') {
                t.text += '"';
                ++pos;
                continue;
            }
            return true;
        }
    }

    std::string_view s;
    size_t pos = 0;
    int line = 1;
};

// A number in the forms Praat writes and reads: an optional sign, digits
// with a point, an exponent; a trailing "%" takes the hundredth part.
bool parseNumber(const std::string& text, double& v)
{
    std::string_view t(text);
    bool percent = false;
    if (!t.empty() && t.back() == '%') {
        percent = true;
        t.remove_suffix(1);
    }
    bool negative = false;
    if (!t.empty() && (t[0] == '+' || t[0] == '-')) {
        negative = t[0] == '-';
        t.remove_prefix(1);
    }
    if (t.empty() || t[0] == '+' || t[0] == '-')
        return false;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), v, std::chars_format::general);
    if (r.ec != std::errc() || r.ptr != t.data() + t.size() || !std::isfinite(v))
        return false;
    if (negative)
        v = -v;
    if (percent)
        v /= 100;
    return true;
}

class Parser {
public:
    Parser(std::string_view text, KTextGridError& e) : tokens(text), error(e) {}

    bool Grid(KTextGrid& grid)
    {
        Token t;
        if (!next(t))
            return false;
        if (t.kind != Token::String || (t.text != "ooTextFile" && t.text != "ooTextFile short")) {
            if (t.kind == Token::String && t.text == "Praat chronological TextGrid text file")
                return fail(t.line, "хронологический формат TextGrid не читается: сохраните его в Praat как "
                                    "обычный текстовый файл (Save as text file)");
            return fail(t.line, "это не текстовый файл Praat: нет строки File type = \"ooTextFile\"");
        }
        if (!next(t))
            return false;
        if (t.kind != Token::String)
            return fail(t.line, "нет строки Object class = \"TextGrid\"");
        if (t.text != "TextGrid")
            return fail(t.line, CString("в файле не TextGrid, а объект Praat класса «") + t.text.c_str() + "»");
        int line = 0;
        if (!number(grid.xmin, "начало TextGrid") || !number(grid.xmax, "конец TextGrid", &line))
            return false;
        if (!(grid.xmax > grid.xmin))
            return fail(line, "конец TextGrid не позже его начала");
        if (!next(t))
            return false;
        if (t.kind != Token::Flag || (t.text != "<exists>" && t.text != "<absent>"))
            return fail(t.line, "ожидалось <exists> или <absent> (есть ли слои)");
        if (t.text == "<absent>")
            return true;
        long long nTiers = 0;
        if (!count(nTiers, "число слоев"))
            return false;
        for (long long i = 0; i < nTiers; ++i) {
            KTextGridTier tier;
            if (!Tier(tier))
                return false;
            grid.tiers.push_back(std::move(tier));
        }
        return true;
    }

private:
    bool Tier(KTextGridTier& tier)
    {
        Token t;
        if (!next(t))
            return false;
        if (t.kind != Token::String)
            return fail(t.line, "ожидался класс слоя в кавычках (\"IntervalTier\" или \"TextTier\")");
        if (t.text != "IntervalTier" && t.text != "TextTier")
            return fail(t.line, CString("неизвестный класс слоя «") + t.text.c_str() + "»");
        tier.bIntervals = t.text == "IntervalTier";
        if (!string(tier.name, "имя слоя"))
            return false;
        int line = 0;
        if (!number(tier.xmin, "начало слоя") || !number(tier.xmax, "конец слоя", &line))
            return false;
        if (tier.xmax < tier.xmin)
            return fail(line, "слой кончается раньше, чем начинается");
        long long n = 0;
        if (!count(n, tier.bIntervals ? "число интервалов" : "число точек"))
            return false;
        for (long long k = 0; k < n; ++k) {
            if (tier.bIntervals) {
                KTextGridInterval iv;
                if (!number(iv.xmin, "начало интервала") || !number(iv.xmax, "конец интервала", &line) ||
                    !string(iv.text, "текст интервала"))
                    return false;
                if (iv.xmax < iv.xmin)
                    return fail(line, "интервал кончается раньше, чем начинается");
                tier.intervals.push_back(std::move(iv));
            } else {
                KTextGridPoint p;
                if (!number(p.time, "время точки") || !string(p.mark, "метка точки"))
                    return false;
                tier.points.push_back(std::move(p));
            }
        }
        return true;
    }

    bool next(Token& t) { return tokens.Next(t, error); }
    bool fail(int line, const CString& reason)
    {
        error = {line, reason};
        return false;
    }
    bool number(double& v, const char* what, int* line = nullptr)
    {
        Token t;
        if (!next(t))
            return false;
        if (line)
            *line = t.line;
        if (t.kind == Token::End)
            return fail(t.line, CString("файл кончился, а ожидалось число (") + what + ")");
        if (t.kind != Token::Number || !parseNumber(t.text, v))
            return fail(t.line, CString("ожидалось число (") + what + "), а стоит «" + t.text.c_str() + "»");
        return true;
    }
    bool string(std::string& s, const char* what)
    {
        Token t;
        if (!next(t))
            return false;
        if (t.kind == Token::End)
            return fail(t.line, CString("файл кончился, а ожидалась строка в кавычках (") + what + ")");
        if (t.kind != Token::String)
            return fail(t.line, CString("ожидалась строка в кавычках (") + what + "), а стоит «" + t.text.c_str() + "»");
        s = std::move(t.text);
        return true;
    }
    // A count, never more than the rest of the file could hold: each item
    // takes at least four characters, so a lying count fails here instead
    // of being believed.
    bool count(long long& n, const char* what)
    {
        Token t;
        if (!next(t))
            return false;
        double v = 0;
        if (t.kind != Token::Number || !parseNumber(t.text, v) || v < 0 || v != std::floor(v))
            return fail(t.line, CString("ожидалось целое неотрицательное число (") + what + "), а стоит «" +
                                    t.text.c_str() + "»");
        if (v > double(tokens.Remaining() / 4)) {
            CString reason;
            reason.Format("%s (%.0f) больше, чем может поместиться в остатке файла", what, v);
            return fail(t.line, reason);
        }
        n = (long long)v;
        return true;
    }

    Tokens tokens;
    KTextGridError& error;
};

// The fewest digits that read back as the same double, as Praat writes its numbers.
std::string formatNumber(double v)
{
    char buf[40];
    for (int digits = 15; digits <= 17; ++digits) {
        std::snprintf(buf, sizeof buf, "%.*g", digits, v);
        if (std::strtod(buf, nullptr) == v)
            break;
    }
    return buf;
}

std::string quote(const std::string& s)
{
    std::string q = "\"";
    for (char c : s) {
        q += c;
        if (c == '"')
            q += '"';
    }
    return q + "\"";
}

} // namespace

bool KReadTextGrid(std::string_view bytes, KTextGrid& grid, KTextGridError& error)
{
    grid = KTextGrid();
    error = KTextGridError();
    std::string text;
    if (!decodeText(bytes, text, error))
        return false;
    Parser parser(text, error);
    if (!parser.Grid(grid)) {
        grid = KTextGrid();
        return false;
    }
    return true;
}

bool KReadTextGridFile(const CString& sPath, KTextGrid& grid, KTextGridError& error)
{
    grid = KTextGrid();
    struct stat st {};
    if (::stat(sPath, &st) != 0) {
        error = {0, CString("файл не открывается: ") + std::strerror(errno)};
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error = {0, "это не обычный файл"};
        return false;
    }
    if (st.st_size > kMaxTextGridFileBytes) {
        error = {0, "файл больше 64 МБ: такой TextGrid не читается"};
        return false;
    }
    FILE* f = std::fopen(sPath, "rb");
    if (!f) {
        error = {0, CString("файл не открывается: ") + std::strerror(errno)};
        return false;
    }
    std::string bytes;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0 && (long long)bytes.size() <= kMaxTextGridFileBytes)
        bytes.append(buf, n);
    const bool failed = std::ferror(f);
    std::fclose(f);
    if (failed) {
        error = {0, "ошибка чтения файла"};
        return false;
    }
    if ((long long)bytes.size() > kMaxTextGridFileBytes) {
        error = {0, "файл больше 64 МБ: такой TextGrid не читается"};
        return false;
    }
    return KReadTextGrid(bytes, grid, error);
}

CString KTextGridErrorMessage(const CString& sPath, const KTextGridError& error)
{
    CString s;
    if (error.nLine > 0)
        s.Format("Не удалось прочитать TextGrid\n%s\n\nСтрока %d: %s.", sPath.GetString(), error.nLine,
                 error.sReason.GetString());
    else
        s.Format("Не удалось прочитать TextGrid\n%s\n\n%s.", sPath.GetString(), error.sReason.GetString());
    return s;
}

std::string KTextGridLongText(const KTextGrid& grid)
{
    std::string s = "File type = \"ooTextFile\"\nObject class = \"TextGrid\"\n\n";
    s += "xmin = " + formatNumber(grid.xmin) + " \n";
    s += "xmax = " + formatNumber(grid.xmax) + " \n";
    if (grid.tiers.empty())
        return s + "tiers? <absent> \n";
    s += "tiers? <exists> \n";
    s += "size = " + std::to_string(grid.tiers.size()) + " \n";
    s += "item []: \n";
    for (size_t i = 0; i < grid.tiers.size(); ++i) {
        const KTextGridTier& t = grid.tiers[i];
        s += "    item [" + std::to_string(i + 1) + "]:\n";
        s += std::string("        class = \"") + (t.bIntervals ? "IntervalTier" : "TextTier") + "\" \n";
        s += "        name = " + quote(t.name) + " \n";
        s += "        xmin = " + formatNumber(t.xmin) + " \n";
        s += "        xmax = " + formatNumber(t.xmax) + " \n";
        if (t.bIntervals) {
            s += "        intervals: size = " + std::to_string(t.intervals.size()) + " \n";
            for (size_t k = 0; k < t.intervals.size(); ++k) {
                const KTextGridInterval& iv = t.intervals[k];
                s += "        intervals [" + std::to_string(k + 1) + "]:\n";
                s += "            xmin = " + formatNumber(iv.xmin) + " \n";
                s += "            xmax = " + formatNumber(iv.xmax) + " \n";
                s += "            text = " + quote(iv.text) + " \n";
            }
        } else {
            s += "        points: size = " + std::to_string(t.points.size()) + " \n";
            for (size_t k = 0; k < t.points.size(); ++k) {
                const KTextGridPoint& p = t.points[k];
                s += "        points [" + std::to_string(k + 1) + "]:\n";
                s += "            number = " + formatNumber(p.time) + " \n";
                s += "            mark = " + quote(p.mark) + " \n";
            }
        }
    }
    return s;
}

bool KWriteTextGridFile(const CString& sPath, const KTextGrid& grid)
{
    const std::string text = KTextGridLongText(grid);
    // "x": created here or not at all, so that nothing already there is replaced.
    FILE* f = std::fopen(sPath, "wbx");
    if (!f) {
        if (errno == EEXIST)
            AfxMessageBox("Файл уже существует и не будет перезаписан: " + sPath);
        else
            AfxMessageBox(CString("Не удалось создать файл TextGrid\n") + sPath + "\n" + std::strerror(errno));
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed) {
        std::remove(sPath);
        AfxMessageBox(CString("Ошибка записи в файл TextGrid (файл удален)\n") + sPath);
        return false;
    }
    return true;
}
