// --format json of every command that prints numbers, read back by Qt's
// JSON parser: the same fields and rows, to the digit, as the default text;
// and the commands that take many files at once.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "testsupport/ByteFiles.h"
#include "testsupport/Signals.h"
#include "testsupport/TempFiles.h"
#include "testsupport/ToolRuns.h"
#include "testsupport/WavBytes.h"

namespace {

struct TextOutput {
    std::vector<std::pair<std::string, std::string>> fields;
    std::vector<std::vector<std::string>> rows;
};

// "key: value" lines, then rows of cells split by blanks or tabs; a header
// row (its first cell no number) is left out.
TextOutput parseText(const std::string& out)
{
    TextOutput t;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        const size_t colon = line.find(": ");
        if (colon != std::string::npos && t.rows.empty()) {
            t.fields.emplace_back(line.substr(0, colon), line.substr(colon + 2));
            continue;
        }
        std::istringstream cells(line);
        std::vector<std::string> row;
        for (std::string c; cells >> c;)
            row.push_back(c);
        char* end = nullptr;
        if (!row.empty() && (std::strtod(row[0].c_str(), &end), *end == '\0'))
            t.rows.push_back(row);
    }
    return t;
}

// A JSON value against the text's digits: the same double, or null for an
// infinity and for what the text calls undefined.
void expectSame(const QJsonValue& v, const std::string& text, const std::string& where)
{
    if (text == "inf" || text == "-inf" || text == "nan" || text == "--undefined--") {
        EXPECT_TRUE(v.isNull()) << where;
        return;
    }
    ASSERT_TRUE(v.isDouble()) << where << " " << text;
    EXPECT_EQ(v.toDouble(), std::strtod(text.c_str(), nullptr)) << where << " " << text;
}

// The command's JSON (jsonArgs) against its text (textArgs): every field,
// and every cell of the table `table` by its columns, in the text's order.
void expectJsonLikeText(const ktest::ScratchDir& dir, const std::string& textArgs, const std::string& jsonArgs,
                        const char* table = nullptr, const std::vector<std::string>& columns = {})
{
    const ktest::ToolRun text = ktest::RunKavrel(dir, textArgs);
    ASSERT_EQ(text.status, 0) << textArgs << "\n" << text.err;
    const ktest::ToolRun json = ktest::RunKavrel(dir, jsonArgs + " --format json");
    ASSERT_EQ(json.status, 0) << jsonArgs << "\n" << json.err;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(json.out), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << jsonArgs << ": " << error.errorString().toStdString();
    ASSERT_TRUE(doc.isObject());
    const QJsonObject o = doc.object();
    const TextOutput t = parseText(text.out);
    ASSERT_FALSE(t.fields.empty() && t.rows.empty()) << textArgs;
    for (const auto& [key, value] : t.fields)
        expectSame(o.value(QString::fromStdString(key)), value, jsonArgs + " " + key);
    EXPECT_EQ(size_t(o.size()), t.fields.size() + (table ? 1 : 0)) << jsonArgs;
    if (!table) {
        EXPECT_TRUE(t.rows.empty()) << textArgs;
        return;
    }
    const QJsonArray rows = o.value(table).toArray();
    ASSERT_EQ(size_t(rows.size()), t.rows.size()) << jsonArgs;
    ASSERT_FALSE(t.rows.empty()) << textArgs;
    for (size_t r = 0; r < t.rows.size(); ++r) {
        const QJsonObject row = rows[qsizetype(r)].toObject();
        ASSERT_EQ(size_t(row.size()), columns.size()) << jsonArgs << " row " << r;
        ASSERT_EQ(t.rows[r].size(), columns.size()) << textArgs << " row " << r;
        for (size_t c = 0; c < columns.size(); ++c)
            expectSame(row.value(QString::fromStdString(columns[c])), t.rows[r][c],
                       jsonArgs + " row " + std::to_string(r) + " " + columns[c]);
    }
}

} // namespace

TEST(KavrelJson, EveryNumericCommandGivesTheSameNumbersAsItsText)
{
    ktest::ScratchDir dir;
    const std::string wav = dir / "sound.wav";
    kavrel_test::WriteAll(wav, wavbytes::pcm16(1, 16000, ktest::Partials({440, 1250, 2600}, 3000, 3 * 16000, 16000)));
    const std::string q = "'" + wav + "'";
    expectJsonLikeText(dir, "info " + q, "info " + q);
    // The option may stand anywhere after the file; tsv is today's text.
    expectJsonLikeText(dir, "film " + q + " --format tsv --nfft 256", "film " + q + " --nfft 256");
    expectJsonLikeText(dir, "spectrum " + q + " 8000 --nfft 256", "spectrum " + q + " 8000 --nfft 256", "lines",
                       {"line", "frequency", "dB", "dphase"});
    expectJsonLikeText(dir, "power " + q, "power " + q, "cadres", {"cadre", "time", "dB"});
    expectJsonLikeText(dir, "pitch " + q, "pitch " + q, "track", {"time", "f0", "strength"});
    expectJsonLikeText(dir, "formants " + q + " --count 2 --step 0.05", "formants " + q + " --count 2 --step 0.05",
                       "track", {"time", "count", "F1", "B1", "F2", "B2"});
    const std::string gsr = dir / "t.gsr", vrn = dir / "t.vrn";
    ASSERT_EQ(ktest::RunKavrel(dir, "make-object " + q + " 10 140 '" + gsr + "'").status, 0);
    ASSERT_EQ(ktest::RunKavrel(dir, "make-object " + q + " 10 60 '" + vrn + "'").status, 0);
    expectJsonLikeText(dir, "traces '" + gsr + "'", "traces '" + gsr + "'", "maxima",
                       {"cadre", "bin", "status", "A", "omega", "D", "P"});
    expectJsonLikeText(dir, "reverb '" + vrn + "'", "reverb '" + vrn + "'");
    expectJsonLikeText(dir, "pirogov " + q + " --select 100 300 '" + (dir / "a.xls") + "'",
                       "pirogov " + q + " --select 100 300 '" + (dir / "b.xls") + "'");
    expectJsonLikeText(dir, "voice '" + (dir / "a.wav") + "' --seed 5", "voice '" + (dir / "b.wav") + "' --seed 5");
    // A format the tool does not know, or two of them, is a usage error.
    EXPECT_EQ(ktest::RunKavrel(dir, "info " + q + " --format xml").status, 2);
    EXPECT_EQ(ktest::RunKavrel(dir, "info " + q + " --format json --format tsv").status, 2);
}

TEST(KavrelManyFiles, GoOnPastABadFileEachOutputLedByItsFileAndStatusOneAtTheEnd)
{
    ktest::ScratchDir dir;
    const std::string a = dir / "a.wav", b = dir / "b.wav", bad = dir / "bad.wav";
    kavrel_test::WriteAll(a, wavbytes::pcm16(1, 16000, ktest::Partials({440}, 3000, 16000, 16000)));
    kavrel_test::WriteAll(b, wavbytes::pcm16(2, 8000, ktest::Partials({300}, 3000, 2 * 8000, 8000)));
    kavrel_test::WriteAll(bad, kavrel_test::Bytes(100, 7));
    const std::string files = "'" + a + "' '" + bad + "' '" + b + "'";
    // JSON Lines: one object a good file, "file" first.
    ktest::ToolRun r = ktest::RunKavrel(dir, "info " + files + " --format json");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Файл пропущен: " + bad), std::string::npos);
    std::istringstream lines(r.out);
    std::vector<QJsonObject> objects;
    for (std::string line; std::getline(lines, line);) {
        QJsonParseError error;
        const QJsonDocument d = QJsonDocument::fromJson(QByteArray::fromStdString(line), &error);
        ASSERT_EQ(error.error, QJsonParseError::NoError) << line;
        objects.push_back(d.object());
    }
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(objects[0].value("file").toString().toStdString(), a);
    EXPECT_EQ(objects[0].value("rate").toInt(), 16000);
    EXPECT_EQ(objects[1].value("file").toString().toStdString(), b);
    EXPECT_EQ(objects[1].value("channels").toInt(), 2);
    // Text: each file's lines after "file: PATH", the same as it alone gives.
    r = ktest::RunKavrel(dir, "power '" + a + "' '" + b + "' --nfft 256");
    EXPECT_EQ(r.status, 0);
    const std::string alone = ktest::RunKavrel(dir, "power '" + b + "' --nfft 256").out;
    EXPECT_EQ(r.out.rfind("file: " + a + "\n", 0), 0u);
    EXPECT_NE(r.out.find("file: " + b + "\n" + alone), std::string::npos);
    // Pictures of many files into one folder, named by their titles.
    const std::string out = dir / "pictures";
    std::filesystem::create_directory(out);
    r = ktest::RunKavrel(dir, "sonogram " + files + " --out-dir '" + out + "' --nfft 256");
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(std::filesystem::exists(out + "/a.png"));
    EXPECT_TRUE(std::filesystem::exists(out + "/b.png"));
    EXPECT_FALSE(std::filesystem::exists(out + "/bad.png"));
    // A usage error stops at once: status 2.
    EXPECT_EQ(ktest::RunKavrel(dir, "power '" + a + "' '" + b + "' --nfft 5").status, 2);
}
