// Sound files of other containers (FLAC, Ogg, MP3, AIFF, CAF) given to any
// command: decoded into 16-bit WAV copies before the command runs, so that
// every command reads them as it reads WAV files.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "framework/base/TempFile.h"
#include "framework/decode/KSoundDecoder.h"
#include "tool/ToolCommands.h"

namespace {

bool isRegularFile(const CString& path)
{
    struct stat st;
    return ::stat(path.GetString(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace

CToolSoundCopies::~CToolSoundCopies()
{
    for (const CString& f : m_files)
        std::remove(f.GetString());
    if (!m_folder.IsEmpty())
        ::rmdir(m_folder.GetString());
}

void CToolSoundCopies::DropKept()
{
    if (!m_kept.IsEmpty())
        std::remove(m_kept.GetString());
    m_kept.Empty();
}

int CToolSoundCopies::Prepare(const char* command, ToolArgs& args)
{
    // The document make-document writes names its sound: that copy must
    // outlive the command, and stands beside the document as File New puts it.
    const bool bKept = std::strcmp(command, "make-document") == 0;
    for (size_t i = 0; i < args.size(); ++i) {
        CString& arg = args[i];
        if (arg.IsEmpty() || arg.GetAt(0) == '-' || !isRegularFile(arg) || KCompressedSoundKind(arg).IsEmpty())
            continue;
        CString copy;
        if (bKept && i == 0 && args.size() > 1) {
            const std::filesystem::path out = std::filesystem::absolute(args[1].GetString());
            copy = KFreeWavCopyPathIn(out.parent_path().c_str(), arg);
        } else {
            if (m_folder.IsEmpty()) {
                std::string templ = KGetTempPath().str() + "kavrel-XXXXXX";
                std::vector<char> name(templ.begin(), templ.end());
                name.push_back('\0');
                if (!::mkdtemp(name.data()))
                    return Refuse("Не удалось создать временную папку для копии звукового файла в формате WAV");
                m_folder = name.data();
            }
            copy = KFreeWavCopyPathIn(m_folder, arg);
        }
        CString why;
        if (KDecodeSoundToWav16(arg, copy, nullptr, why) != KDecodeStatus::Done)
            return Refuse("Не удается сделать копию в формате WAV звукового файла " + arg + ": " + why);
        if (bKept && i == 0)
            m_kept = copy, std::fprintf(stderr, "Звуковой файл %s декодирован в копию %s\n", arg.GetString(), copy.GetString());
        else
            m_files.push_back(copy);
        arg = copy;
    }
    return 0;
}
