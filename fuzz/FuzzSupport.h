// What the harnesses share: the input as a file of its own where a reader
// wants a path, and the scripted user-interaction service, which declines
// every question as the batch tool does and counts the messages of one
// input. A reader that keeps talking about one file is lost or looping:
// more than kMaxMessages messages for one input is a finding.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "framework/base/ScriptedUserInteraction.h"

namespace kfuzz {

constexpr size_t kMaxMessages = 3;

class Messages : public CScriptedUserInteraction {
public:
    int MessageBox(const CString& text, const CString& caption, UINT style) override
    {
        CScriptedUserInteraction::MessageBox(text, caption, style);
        if (m_messages.size() > kMaxMessages) {
            std::fprintf(stderr, "Более %zu сообщений на один вход:\n", kMaxMessages);
            for (const Shown& m : m_messages)
                std::fprintf(stderr, "---\n%s\n", m.sText.GetString());
            std::abort();
        }
        // Nobody answers: every question is declined, as the batch tool declines it.
        switch (style & MB_TYPEMASK) {
        case MB_OK: return IDOK;
        case MB_YESNO: return IDNO;
        case MB_ABORTRETRYIGNORE: return IDABORT;
        default: return IDCANCEL;
        }
    }
    bool FileDialog(FileDialogRequest& request) override
    {
        CScriptedUserInteraction::FileDialog(request); // none queued: cancelled
        return false;
    }
};

// The bytes as a file in the temporary folder, removed with the object.
class InputFile {
public:
    InputFile(const uint8_t* data, size_t size, const char* suffix)
    {
        const char* dir = std::getenv("TMPDIR");
        path = std::string(dir && *dir ? dir : "/tmp") + "/kavrel-fuzz-XXXXXX" + suffix;
        const int fd = mkstemps(path.data(), int(std::char_traits<char>::length(suffix)));
        if (fd < 0) {
            std::perror("mkstemps");
            std::abort();
        }
        for (size_t done = 0; done < size;) {
            const ssize_t n = write(fd, data + done, size - done);
            if (n <= 0) {
                std::perror("write");
                std::abort();
            }
            done += size_t(n);
        }
        close(fd);
    }
    ~InputFile() { unlink(path.c_str()); }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    const char* Path() const { return path.c_str(); }

private:
    std::string path;
};

// A wave reader (the suite's CKWave or Pelmora's) opened on the input as a
// program opens a sound; read() then runs with each channel current in turn.
// False when the reader refuses the file.
template <class Wave, class Read> bool ReadEachChannel(Wave& wave, const InputFile& in, Read read)
{
    if (!wave.OpenKWaveFile(in.Path(), "fuzz"))
        return false;
    for (int channel = 0; channel < wave.GetKWaveNChannels(); ++channel) {
        wave.nChannel = channel;
        read();
    }
    return true;
}

} // namespace kfuzz
