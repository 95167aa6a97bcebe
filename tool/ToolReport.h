// What a command that prints numbers prints, in the format asked for with
// --format: today's text (tsv, the default: "key: value" lines, then the
// lines of its table) or one JSON object holding the same numbers as named
// fields and the table as an array of rows, so that a corpus can be
// scripted without parsing text.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "tool/ToolCommands.h"

enum class KToolFormat { Text, Json };

// Takes "--format tsv|json" out of args (anywhere after the first
// argument). 0, or 2 after a usage message for a bad or repeated value.
int TakeFormatOption(ToolArgs& args, KToolFormat& format);

// The files of a command that takes several (the arguments that are no
// option nor an option's value; `valued` lists the options that take one)
// and its options, kept in their order.
struct KToolFiles {
    std::vector<CString> files;
    ToolArgs options;
};
KToolFiles SplitToolFiles(const ToolArgs& args, std::vector<const char*> valued);

// Runs one on each file, going on past a file that fails. With more than
// one file each file's output is led by "file: PATH" in text, and in JSON
// each file is an object of its own on its own line (JSON Lines) whose
// first field is "file". The status of a usage error at once; otherwise 1
// when any file failed, else 0. No file at all is one run on none (the
// command's usage error).
int RunForEachToolFile(const std::vector<CString>& files, KToolFormat format,
                       const std::function<int(const CString& file)>& one);
// The same for a command whose arguments are FILE OPTIONS...
int RunForEachToolFile(const KToolFiles& files, KToolFormat format, int (*one)(const ToolArgs&));

class CToolReport {
public:
    explicit CToolReport(KToolFormat format);
    CToolReport(const CToolReport&) = delete;
    CToolReport& operator=(const CToolReport&) = delete;

    // A named number, formatted by printf's format for one value.
    void Field(const char* key, const char* format, ...) __attribute__((format(printf, 3, 4)));
    // The rows that follow: in text, textHeader (when given) and then each
    // row's cells joined by separator; in JSON the array `name` of objects
    // keyed by columns.
    void Table(const char* name, std::vector<std::string> columns, const char* textHeader, const char* separator);
    // One cell of the current row, a number formatted as by Field ("inf",
    // "-inf" and "nan" become null in JSON).
    void Cell(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // A cell that holds no number (an unvoiced frame's F0, a formant not
    // found): text as given in text, null in JSON.
    void UndefinedCell(const char* text);
    void EndRow();
    // Prints what JSON holds back; the text went out as it came.
    void Finish();

private:
    void jsonKey(const std::string& key);

    KToolFormat m_format;
    std::string m_json;            // the object so far, without its closing brace
    bool m_bFirstField = true;
    std::vector<std::string> m_columns;
    std::string m_separator;
    std::vector<std::string> m_row;
    bool m_bInTable = false, m_bFirstRow = true;
};
