#include "framework/decode/KSoundDecoder.h"

#include <sndfile.h>
#include <sys/stat.h>

#include <cstdio>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "framework/base/WavePcm.h"

namespace {

bool exists(const CString& path)
{
    struct stat st;
    return ::stat(path.GetString(), &st) == 0;
}

// Whether this libsndfile lists the major format among those it reads.
bool readsMajor(int major)
{
    int count = 0;
    sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &count, sizeof count);
    for (int i = 0; i < count; ++i) {
        SF_FORMAT_INFO info{};
        info.format = i;
        if (sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &info, sizeof info) == 0 && (info.format & SF_FORMAT_TYPEMASK) == major)
            return true;
    }
    return false;
}

// The libsndfile format a container needs, checked before the file is opened,
// so that a library built without it says so rather than "unknown format".
bool formatAvailable(const CString& kind, const BYTE* head, size_t n)
{
    if (kind == "FLAC")
        return readsMajor(SF_FORMAT_FLAC);
    if (kind == "MP3")
        return readsMajor(SF_FORMAT_MPEG);
    if (kind == "Ogg") {
        if (!readsMajor(SF_FORMAT_OGG))
            return false;
        if (n >= 36 && std::memcmp(head + 28, "OpusHead", 8) == 0) {
            SF_INFO probe{};
            probe.samplerate = 48000;
            probe.channels = 1;
            probe.format = SF_FORMAT_OGG | SF_FORMAT_OPUS;
            return sf_format_check(&probe) != 0;
        }
        return true;
    }
    if (kind == "AIFF")
        return readsMajor(SF_FORMAT_AIFF);
    if (kind == "CAF")
        return readsMajor(SF_FORMAT_CAF);
    return false;
}

size_t readHead(const CString& path, BYTE* head, size_t size)
{
    FILE* f = std::fopen(path.GetString(), "rb");
    if (!f)
        return 0;
    const size_t n = std::fread(head, 1, size, f);
    std::fclose(f);
    return n;
}

CString kindOf(const BYTE* h, size_t n)
{
    auto is = [&](size_t at, const char* s) {
        const size_t k = std::strlen(s);
        return n >= at + k && std::memcmp(h + at, s, k) == 0;
    };
    if (is(0, "fLaC"))
        return "FLAC";
    if (is(0, "OggS"))
        return "Ogg";
    if (is(0, "ID3") || (n >= 2 && h[0] == 0xFF && (h[1] & 0xE0) == 0xE0 && (h[1] & 0x06) != 0))
        return "MP3";
    if (is(0, "FORM") && (is(8, "AIFF") || is(8, "AIFC")))
        return "AIFF";
    if (is(0, "caff"))
        return "CAF";
    return "";
}

void put16(BYTE* p, unsigned v)
{
    p[0] = BYTE(v);
    p[1] = BYTE(v >> 8);
}
void put32(BYTE* p, DWORD v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = BYTE(v >> (8 * i));
}

// The plain 44-byte header of a 16-bit PCM file, as the suite writes it.
void wavHeader(BYTE* h, int channels, int rate, DWORD dataBytes)
{
    std::memcpy(h, "RIFF", 4);
    put32(h + 4, 36 + dataBytes);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    put32(h + 16, 16);
    put16(h + 20, WAVE_FORMAT_PCM);
    put16(h + 22, unsigned(channels));
    put32(h + 24, DWORD(rate));
    put32(h + 28, DWORD(rate) * DWORD(2 * channels));
    put16(h + 32, unsigned(2 * channels));
    put16(h + 34, 16);
    std::memcpy(h + 36, "data", 4);
    put32(h + 40, dataBytes);
}

CString copyName(const CString& folder, const CString& src, int k)
{
    CString name = src.Mid(src.ReverseFind('/') + 1);
    const int dot = name.ReverseFind('.');
    if (dot > 0)
        name = name.Left(dot);
    CString path;
    if (k == 0)
        path.Format("%s%s.wav", folder.GetString(), name.GetString());
    else
        path.Format("%s%s-%d.wav", folder.GetString(), name.GetString(), k);
    return path;
}

} // namespace

CString KCompressedSoundKind(const CString& path)
{
    BYTE head[64];
    return kindOf(head, readHead(path, head, sizeof head));
}

CString KSoundDecoderVersion()
{
    return sf_version_string();
}

KDecodeStatus KDecodeSoundToWav16(const CString& src, const CString& dst, const KDecodeProgress& progress, CString& why)
{
    why.Empty();
    BYTE head[64];
    const size_t nHead = readHead(src, head, sizeof head);
    const CString kind = kindOf(head, nHead);
    if (!kind.IsEmpty() && !formatAvailable(kind, head, nHead)) {
        why.Format("Библиотека %s не умеет читать формат %s этого файла.", KSoundDecoderVersion().GetString(),
                   kind.GetString());
        return KDecodeStatus::Failed;
    }
    SF_INFO info{};
    SNDFILE* in = sf_open(src.GetString(), SFM_READ, &info);
    if (!in) {
        why = CString("Звуковой файл не удалось прочитать: ") + sf_strerror(nullptr);
        if (why.GetAt(why.GetLength() - 1) != '.')
            why += ".";
        return KDecodeStatus::Failed;
    }
    auto fail = [&](const CString& text) {
        sf_close(in);
        why = text;
        return KDecodeStatus::Failed;
    };
    CString text;
    if (info.channels < 1 || info.channels > kPcmMaxChannels) {
        text.Format("В звуковом файле %d каналов, а читаются от 1 до %d.", info.channels, kPcmMaxChannels);
        return fail(text);
    }
    if (info.samplerate < 1 || DWORD(info.samplerate) > kPcmMaxRate) {
        text.Format("Частота дискретизации файла (%d Гц) вне пределов от 1 Гц до 768 кГц.", info.samplerate);
        return fail(text);
    }
    // Exclusive creation: an existing file at dst is never touched.
    FILE* out = std::fopen(dst.GetString(), "wbx");
    if (!out)
        return fail("Не удается создать файл копии:\n" + dst + "\n(файл уже существует или папка закрыта для записи).");
    auto drop = [&](KDecodeStatus status, const CString& text) {
        std::fclose(out);
        std::remove(dst.GetString());
        sf_close(in);
        why = text;
        return status;
    };
    BYTE header[44];
    wavHeader(header, info.channels, info.samplerate, 0);
    if (std::fwrite(header, 1, sizeof header, out) != sizeof header)
        return drop(KDecodeStatus::Failed, "Не удалось записать файл копии:\n" + dst);

    // Frames are read as doubles in full scale and rounded as the reader
    // rounds wide samples, whatever the source's own width.
    const sf_count_t kFrames = 16384;
    const int C = info.channels;
    std::vector<double> buf(size_t(kFrames) * size_t(C));
    std::vector<BYTE> bytes(buf.size() * 2);
    const double total = info.frames > 0 && info.frames < SF_COUNT_MAX ? double(info.frames) : 0;
    const unsigned long long kMaxData = 0xFFFFFFFFull - 36;
    unsigned long long written = 0;
    sf_count_t done = 0;
    if (progress && !progress(0))
        return drop(KDecodeStatus::Cancelled, "");
    for (;;) {
        const sf_count_t got = sf_readf_double(in, buf.data(), kFrames);
        if (got <= 0)
            break;
        const size_t n = size_t(got) * size_t(C);
        for (size_t i = 0; i < n; ++i)
            put16(&bytes[2 * i], unsigned(std::uint16_t(KFloatTo16(buf[i]))));
        if (written + 2 * n > kMaxData)
            return drop(KDecodeStatus::Failed, "Копия в формате WAV была бы больше 4 ГБ: такой файл не читается.");
        if (std::fwrite(bytes.data(), 1, 2 * n, out) != 2 * n)
            return drop(KDecodeStatus::Failed, "Не удалось записать файл копии (нет места на диске?):\n" + dst);
        written += 2 * n;
        done += got;
        if (progress && !progress(total > 0 ? std::min(1.0, double(done) / total) : 0))
            return drop(KDecodeStatus::Cancelled, "");
    }
    if (sf_error(in) != SF_ERR_NO_ERROR)
        return drop(KDecodeStatus::Failed, CString("Ошибка при декодировании звукового файла: ") + sf_strerror(in) + ".");
    wavHeader(header, info.channels, info.samplerate, DWORD(written));
    if (std::fseek(out, 0, SEEK_SET) != 0 || std::fwrite(header, 1, sizeof header, out) != sizeof header)
        return drop(KDecodeStatus::Failed, "Не удалось записать файл копии:\n" + dst);
    if (std::fclose(out) != 0) {
        std::remove(dst.GetString());
        sf_close(in);
        why = "Не удалось записать файл копии:\n" + dst;
        return KDecodeStatus::Failed;
    }
    sf_close(in);
    if (progress)
        progress(1);
    return KDecodeStatus::Done;
}

CString KFreeWavCopyPathIn(const CString& folder, const CString& src)
{
    CString dir = folder;
    if (!dir.IsEmpty() && dir.GetAt(dir.GetLength() - 1) != '/')
        dir += "/";
    for (int k = 0;; ++k) {
        const CString path = copyName(dir, src, k);
        if (!exists(path))
            return path;
    }
}

CString KFreeWavCopyPathBeside(const CString& src)
{
    const int slash = src.ReverseFind('/');
    return KFreeWavCopyPathIn(slash >= 0 ? src.Left(slash + 1) : CString(), src);
}
