#include "framework/base/WavePcm.h"

#include <bit>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

unsigned get16(const BYTE* p) { return unsigned(p[0]) | (unsigned(p[1]) << 8); }
DWORD get32(const BYTE* p) { return DWORD(p[0]) | (DWORD(p[1]) << 8) | (DWORD(p[2]) << 16) | (DWORD(p[3]) << 24); }

// The tail every WAVE subformat GUID shares after its leading format tag:
// {XXXXXXXX-0000-0010-8000-00AA00389B71}, stored little-endian.
constexpr BYTE kGuidTail[12] = {0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));
std::string format(const char* pattern, ...)
{
    char buf[1024];
    va_list ap;
    va_start(ap, pattern);
    std::vsnprintf(buf, sizeof buf, pattern, ap);
    va_end(ap);
    return buf;
}

std::string tagWithName(unsigned tag)
{
    const char* name = KWaveFormatTagName(tag);
    return *name ? format("%u (%s)", tag, name) : format("%u", tag);
}

std::string guidText(const BYTE* g)
{
    return format("{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", unsigned(get32(g)), get16(g + 4), get16(g + 6),
                  g[8], g[9], g[10], g[11], g[12], g[13], g[14], g[15]);
}

// Rounds v / 2^k half away from zero (k >= 1) and clips it to 16 bits.
short narrow(std::int64_t v, int k)
{
    const std::int64_t half = std::int64_t(1) << (k - 1);
    const std::int64_t r = v >= 0 ? (v + half) >> k : -((-v + half) >> k);
    return short(r > 32767 ? 32767 : r < -32768 ? -32768 : r);
}

} // namespace

const char* KWaveFormatTagName(unsigned tag)
{
    switch (tag) {
    case 0x0000: return "неизвестный";
    case 0x0001: return "PCM";
    case 0x0002: return "Microsoft ADPCM";
    case 0x0003: return "IEEE float";
    case 0x0006: return "A-law";
    case 0x0007: return "mu-law";
    case 0x0011: return "IMA ADPCM";
    case 0x0022: return "TrueSpeech";
    case 0x0031: return "GSM 6.10";
    case 0x0040: return "G.721 ADPCM";
    case 0x0050: return "MPEG";
    case 0x0055: return "MP3";
    case 0x00FF: return "AAC";
    case 0x0160: return "WMA";
    case 0x0161: return "WMA";
    case 0x0162: return "WMA Pro";
    case 0x0163: return "WMA Lossless";
    case 0x1610: return "AAC";
    case 0x2000: return "AC-3";
    case 0x674F: return "Ogg Vorbis";
    case 0xF1AC: return "FLAC";
    case 0xFFFE: return "WAVE_FORMAT_EXTENSIBLE";
    default: return "";
    }
}

std::string KPcmRefusalText(const WAVEFORMATEX& f, const std::string& why)
{
    const char* name = KWaveFormatTagName(f.wFormatTag);
    const std::string tag = *name ? format("%i (%s)", int(f.wFormatTag), name) : format("%i", int(f.wFormatTag));
    return format("Заданный звуковой файл не удовлетворяет текущему стандарту системы Tembrix.\n"
                  "Его число каналов = %i.\nЧисло битов на отсчет = %i.\nБлок выравнивания (в байтах) = %i.\n"
                  "Частота дискретизации = %lu Гц.\nНомер формата данных = %s.\n",
                  int(f.nChannels), int(f.wBitsPerSample), int(f.nBlockAlign), (unsigned long)f.nSamplesPerSec,
                  tag.c_str()) +
           why +
           "\n\nДокумент открыт не будет!\n\n"
           "Звуковой файл должен быть только:\n"
           "а) WAVE_FORMAT_PCM (номер формата данных = 1), WAVE_FORMAT_IEEE_FLOAT (3) или "
           "WAVE_FORMAT_EXTENSIBLE (65534) с подформатом PCM или IEEE float;\n"
           "б) 8, 16, 24 или 32-битовым целым либо 32 или 64-битовым с плавающей точкой;\n"
           "в) с числом каналов от 1 до 8;\nг) с частотой дискретизации от 1 Гц до 768 кГц.\n\n"
           "Файлы FLAC, Ogg, MP3, AIFF и CAF мастерская открывает через копию в формате WAV.";
}

bool KParsePcmFormat(const BYTE* fmt, size_t n, KPcmLayout& layout, std::string& why)
{
    layout = KPcmLayout();
    why.clear();
    if (n < 16) {
        why = "Чанк формата короче 16 байтов.";
        return false;
    }
    const unsigned tag = get16(fmt);
    layout.nChannels = int(get16(fmt + 2));
    layout.nRate = get32(fmt + 4);
    layout.nBlockAlign = int(get16(fmt + 12));
    layout.nContainerBits = int(get16(fmt + 14));
    layout.nValidBits = layout.nContainerBits;
    unsigned codec = tag;
    if (tag == WAVE_FORMAT_EXTENSIBLE) {
        layout.bExtensible = true;
        if (n < 40 || get16(fmt + 16) < 22) {
            why = "Расширенный формат (WAVE_FORMAT_EXTENSIBLE) без полного описания подформата.";
            return false;
        }
        const unsigned valid = get16(fmt + 18);
        layout.nChannelMask = get32(fmt + 20);
        const BYTE* guid = fmt + 24;
        if (std::memcmp(guid + 4, kGuidTail, sizeof kGuidTail) != 0 || get32(guid) > 0xFFFF) {
            why = "Подформат " + guidText(guid) + " расширенного формата не поддерживается.";
            return false;
        }
        codec = get32(guid);
        if (codec != WAVE_FORMAT_PCM && codec != WAVE_FORMAT_IEEE_FLOAT) {
            why = "Подформат расширенного формата = " + tagWithName(codec) + " не поддерживается.";
            return false;
        }
        // 0 is written by some programs for "all of them".
        if (valid != 0)
            layout.nValidBits = int(valid);
    }
    if (codec != WAVE_FORMAT_PCM && codec != WAVE_FORMAT_IEEE_FLOAT) {
        why = "Номер формата данных " + tagWithName(codec) + " - это не PCM и не IEEE float: такие данные не читаются.";
        return false;
    }
    layout.wSubFormatTag = WORD(codec);
    layout.bFloat = codec == WAVE_FORMAT_IEEE_FLOAT;
    if (layout.nChannels < 1 || layout.nChannels > kPcmMaxChannels) {
        why = format("Число каналов должно быть от 1 до %d.", kPcmMaxChannels);
        return false;
    }
    if (layout.nRate < 1 || layout.nRate > kPcmMaxRate) {
        why = format("Частота дискретизации (%lu Гц) должна быть от 1 Гц до 768 кГц.", (unsigned long)layout.nRate);
        return false;
    }
    const int b = layout.nContainerBits;
    if (layout.bFloat ? (b != 32 && b != 64) : (b != 8 && b != 16 && b != 24 && b != 32)) {
        why = "Целые отсчеты должны иметь 8, 16, 24 или 32 бита, отсчеты с плавающей точкой - 32 или 64 бита.";
        return false;
    }
    if (layout.nBlockAlign != layout.nChannels * b / 8) {
        why = "Блок выравнивания не равен числу каналов, умноженному на число байтов отсчета.";
        return false;
    }
    if (layout.nValidBits > b || (layout.bFloat && layout.nValidBits != b)) {
        why = format("Число значащих битов (%d) не согласуется с числом битов на отсчет (%d).", layout.nValidBits, b);
        return false;
    }
    if (std::popcount(layout.nChannelMask) > layout.nChannels) {
        why = format("Маска каналов (0x%X) называет больше каналов, чем их в файле (%d).", unsigned(layout.nChannelMask),
                     layout.nChannels);
        return false;
    }
    return true;
}

std::string KDescribeFileStart(const BYTE* h, size_t n)
{
    if (n == 0)
        return "файл пуст";
    auto is = [&](size_t at, const char* s) {
        const size_t k = std::strlen(s);
        return n >= at + k && std::memcmp(h + at, s, k) == 0;
    };
    // The first four bytes, as text when at least three of them are letters
    // (as in "ID3"), else in hexadecimal.
    std::string shown;
    const size_t k = n < 4 ? n : 4;
    size_t printable = 0;
    while (printable < k && h[printable] >= 0x20 && h[printable] < 0x7F)
        ++printable;
    if (printable == k || printable >= 3) {
        shown = "«" + std::string(reinterpret_cast<const char*>(h), printable) + "»";
    } else {
        for (size_t i = 0; i < k; ++i)
            shown += format(i ? " %02X" : "%02X", unsigned(h[i]));
    }
    const char* what = nullptr;
    std::string riffType;
    if (is(0, "fLaC"))
        what = "FLAC";
    else if (is(0, "OggS"))
        what = is(28, "\x01vorbis") ? "Ogg Vorbis" : is(28, "OpusHead") ? "Ogg Opus" : is(28, "\x7F" "FLAC") ? "Ogg FLAC" : "Ogg";
    else if (is(0, "ID3"))
        what = "MP3 с тегами ID3";
    else if (n >= 2 && h[0] == 0xFF && (h[1] & 0xE0) == 0xE0)
        what = "MPEG audio (MP3)";
    else if (is(0, "FORM"))
        what = is(8, "AIFF") ? "AIFF" : is(8, "AIFC") ? "AIFC" : "IFF";
    else if (is(0, "caff"))
        what = "CAF";
    else if (is(0, "RF64") || is(0, "BW64"))
        what = "RF64 (WAV больше 4 ГБ)";
    else if (is(0, "RIFX"))
        what = "RIFX (WAV с обратным порядком байтов)";
    else if (is(0, "RIFF") && n >= 12) {
        riffType = "RIFF, но не WAVE: тип формы «" + std::string(reinterpret_cast<const char*>(h + 8), 4) + "»";
        what = riffType.c_str();
    } else if (is(0, ".snd"))
        what = "Sun/NeXT AU";
    else if (is(0, "wvpk"))
        what = "WavPack";
    else if (is(0, "MAC "))
        what = "Monkey's Audio";
    else if (is(4, "ftyp"))
        what = "MP4/M4A";
    else if (is(0, "\x1A\x45\xDF\xA3"))
        what = "Matroska/WebM";
    else if (is(0, "MThd"))
        what = "MIDI";
    return what ? shown + " (" + what + ")" : shown;
}

short KFloatTo16(double v)
{
    if (std::isnan(v))
        return 0;
    const double s = v * 32768.0;
    if (s >= 32767.0)
        return 32767;
    if (s <= -32768.0)
        return -32768;
    return short(std::round(s));
}

short KPcmSampleTo16(const BYTE* p, const KPcmLayout& f)
{
    if (f.bFloat) {
        if (f.nContainerBits == 32)
            return KFloatTo16(double(std::bit_cast<float>(get32(p))));
        const std::uint64_t u = std::uint64_t(get32(p)) | (std::uint64_t(get32(p + 4)) << 32);
        return KFloatTo16(std::bit_cast<double>(u));
    }
    switch (f.nContainerBits) {
    case 8: return short((int(*p) - 128) * 256);
    case 16: return short(std::uint16_t(get16(p)));
    case 24: {
        std::int32_t v = std::int32_t((DWORD(p[0]) << 8) | (DWORD(p[1]) << 16) | (DWORD(p[2]) << 24)) >> 8;
        if (f.nValidBits < 24)
            v &= ~((std::int32_t(1) << (24 - f.nValidBits)) - 1);
        return narrow(v, 8);
    }
    default: {
        std::int64_t v = std::int32_t(get32(p));
        if (f.nValidBits < 32)
            v &= ~((std::int64_t(1) << (32 - f.nValidBits)) - 1);
        return narrow(v, 16);
    }
    }
}

void KPcmFramesTo16(const BYTE* raw, long n, const KPcmLayout& f, int channel, short* out)
{
    // No frames: raw may be the null data of an empty buffer.
    if (n <= 0 || !raw)
        return;
    const int bytes = f.BytesPerSample();
    if (channel >= 0) {
        const BYTE* p = raw + size_t(channel) * size_t(bytes);
        for (long i = 0; i < n; ++i, p += f.nBlockAlign)
            out[i] = KPcmSampleTo16(p, f);
    } else {
        const long total = n * f.nChannels;
        for (long i = 0; i < total; ++i, raw += bytes)
            out[i] = KPcmSampleTo16(raw, f);
    }
}
