// The steps with which every operation of the workshop writes its WAV
// output: the RIFF form, an 18-byte format record, the data chunk written
// block by block, the ascents. Each failure is shown with its own message;
// an output that did not come through every step is removed, so that no
// half-written file is left behind. And the frame the commands share: the
// operation's dialog, the save dialog, the wait cursor.
#pragma once
#include <functional>

#include "framework/base/CString.h"
#include "framework/base/Mmio.h"
#include "framework/base/WaveFormat.h"

class CDialog;

class CKWaveOutputSteps {
public:
    // sWriteFailure: the operation's own message for a failed sample write.
    CKWaveOutputSteps(const CString& sPath, const CString& sWriteFailure);
    // An output never ended is closed and removed.
    ~CKWaveOutputSteps();
    CKWaveOutputSteps(const CKWaveOutputSteps&) = delete;
    CKWaveOutputSteps& operator=(const CKWaveOutputSteps&) = delete;

    // Opens the file and writes RIFF, "fmt " (the whole record) and the
    // head of "data". False after a failure, shown; the output is gone.
    bool Begin(const WAVEFORMATEX& format);
    // Appends samples. The first failed write shows the write message and
    // every later write is refused.
    bool Write(const void* p, long nBytes);
    // Ascends out of "data" and the form and closes. True when every step
    // succeeded; otherwise the output is removed.
    bool End();
    // Closes and removes the output without a message: the operation gave up.
    void Discard();

    bool Failed() const { return bFailed; }

private:
    void Fail(const char* suffix);
    void CloseAndRemove();

    CString sPath;
    CString sWriteFailure;
    HMMIO hmmio = nullptr;
    MMCKINFO ckRiff, ckData;
    bool bFailed = false;
};

// Messages and names of the workshop's WAV-writing commands.
extern const char* const kEditedSuffix;            // "_Edited"
extern const char* const kEditedTitle;             // save-dialog title of the edits
extern const char* const kEditedWriteFailure;
extern const char* const kEditMemoryFailure;
extern const char* const kStoppedByUser;           // after "Прервать"

// The frame of a command that writes a WAV file: runs pDialog (null: none;
// Cancel ends), asks for the output path with the save dialog (initial name
// and title given; Cancel ends), then runs the operation on that path under
// the wait cursor. The file being read (sSourcePath) is never chosen as the
// output: creating it would destroy the samples before they are read. An
// operation stopped by "Прервать" ends with kStoppedByUser.
// False when the user cancelled or chose the source.
bool KRunWaveOutputCommand(CDialog* pDialog, const CString& sInitialName, const CString& sTitle,
                           const CString& sSourcePath, const std::function<void(const CString& sPath)>& operation);
