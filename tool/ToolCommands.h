// The subcommands of the kavrel command-line tool and what they share.
#pragma once
#include <vector>

#include "framework/base/CString.h"

using ToolArgs = std::vector<CString>;
class CKWaveFilm;

// One subcommand: where it stands in the usage, its name, its usage line and
// what runs it. Each command file registers its own beside its code.
struct ToolCommand {
    int place;
    const char* name;
    const char* usage;
    int (*run)(const ToolArgs& args);
};
// Adds a subcommand to the tool while the program starts.
struct ToolCommandRegistration {
    explicit ToolCommandRegistration(const ToolCommand& command);
};
// The registered subcommands in the order of their places.
const std::vector<ToolCommand>& ToolCommandsInOrder();
// What kavrel COMMAND --help prints after the usage line: the options with
// their defaults and ranges, and an example; null for a command without one.
const char* ToolCommandHelp(const char* name);

// The workshop's film of a new document over the whole file, as kavrel film
// builds it: NFFT 256, 1024 or 4096, sigmaf 0 for the NFFT's optimum, and
// the analysed channel. False (the reason printed) when it cannot be built.
bool BuildNewDocumentFilm(CKWaveFilm& film, const CString& path, long nfft, double sigmaf, long channel);

class CTembrixDoc;
// The arguments DOC.tbx OUT of a command writing one new file from a
// workshop document: the document opened as the workshop opens it when
// OUT is not there yet. 0, or the exit status (the usage is printed on 2).
int OpenDocumentForNewFile(const ToolArgs& args, const char* usage, CTembrixDoc& doc);

// What the SigmaFr dialog sets on OK for an NFFT and a sigma F (0: the one
// offered), on a film opened with the optimum cadre parameters of that NFFT.
// False, with the dialog's question or the refusal shown, when it would not end with OK.
bool SetFilmAsSigmaFrDialogOK(CKWaveFilm& film, long nfft, double sigmaf, long channel);

// The file's name without folder and extension, as the reader shows it.
CString FileTitleOf(const CString& path);

// Parses a whole decimal number; false on anything else.
bool ParseLong(const CString& s, long& value);
// Parses a finite decimal number; false on anything else.
bool ParseNumber(const CString& s, double& value);
// Whether anything stands at path already (outputs are never overwritten).
bool PathExists(const CString& path);
// Prints the refusal on standard error; returns the exit status 1.
int Refuse(const CString& message);
// The options of a new document's film, in the SigmaFr dialog's ranges:
// --nfft 256|1024|4096, --sigmaf 0.001..1000000 Hz and, where channel is
// given, --channel 0|1. -1 when key is none of them; else 0, or 1 with the
// refusal printed.
int TakeFilmOption(const CString& key, const CString& value, long& nfft, double& sigmaf, long* channel);

// The compressed sounds (FLAC, Ogg, MP3, AIFF, CAF) among a command's
// arguments, replaced by 16-bit WAV copies in the temporary folder, which go
// when this goes, however the command ended. make-document's sound is the
// exception: its copy stays beside the new document, which names it.
class CToolSoundCopies {
public:
    CToolSoundCopies() = default;
    CToolSoundCopies(const CToolSoundCopies&) = delete;
    CToolSoundCopies& operator=(const CToolSoundCopies&) = delete;
    ~CToolSoundCopies();
    // 0, or the exit status with the refusal printed.
    int Prepare(const char* command, ToolArgs& args);
    // A failed command leaves no copy behind, not even the kept one.
    void DropKept();

private:
    CString m_folder, m_kept;
    std::vector<CString> m_files;
};
