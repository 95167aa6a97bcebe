// The sample layouts of a WAVE "fmt " chunk that the suite reads, and their
// conversion to the 16-bit samples every analysis works on.
//
// Accepted: integer PCM of 8 (unsigned), 16, 24 and 32 bits and IEEE float of
// 32 and 64 bits, with the plain format tags 1 and 3 or WAVE_FORMAT_EXTENSIBLE
// with the PCM or IEEE float subformat; 1 to 8 channels; 1 Hz to 768 kHz.
//
// Conversion to 16 bits: an integer sample wider than 16 bits is divided by
// 2^(bits - 16) and rounded half away from zero; a float sample is multiplied
// by 32768 (so that a 16-bit value v written as v / 32768 comes back as v)
// and rounded the same way. Both are clipped to -32768 .. 32767; NaN gives 0.
// Bits below the valid bits of an extensible file are dropped first.
#pragma once
#include <cstddef>
#include <string>

#include "framework/base/Types.h"
#include "framework/base/WaveFormat.h"

constexpr WORD WAVE_FORMAT_IEEE_FLOAT = 3;
constexpr WORD WAVE_FORMAT_EXTENSIBLE = 0xFFFE;

struct KPcmLayout {
    bool bFloat = false;
    bool bExtensible = false;
    int nChannels = 0;
    int nContainerBits = 0; // bits a sample takes in the file
    int nValidBits = 0;     // bits that carry the signal (extensible files may say fewer)
    int nBlockAlign = 0;
    DWORD nRate = 0;
    DWORD nChannelMask = 0;
    WORD wSubFormatTag = 0; // the codec: 1 or 3, whatever the record's tag

    int BytesPerSample() const { return nContainerBits / 8; }
    // The plain 8 and 16-bit integer layouts the suite has always read.
    bool IsNarrowPcm() const { return !bFloat && (nContainerBits == 8 || nContainerBits == 16); }
};

// The limits of what is accepted.
constexpr int kPcmMaxChannels = 8;
constexpr DWORD kPcmMaxRate = 768000;

// Parses the "fmt " chunk's bytes (n of them). On success fills layout and
// returns true; otherwise returns false with why set to a Russian sentence
// saying what is wrong (the codec by number and name, or the field at fault).
bool KParsePcmFormat(const BYTE* fmt, size_t n, KPcmLayout& layout, std::string& why);

// The suite's refusal of a format: the record's fields, the tag with its
// name, the reason why gave, and what is accepted.
std::string KPcmRefusalText(const WAVEFORMATEX& format, const std::string& why);

// The usual name of a WAVE format tag ("ADPCM", "A-law", "MP3"...), or empty.
const char* KWaveFormatTagName(unsigned tag);

// What the first bytes of a file that is no RIFF WAVE form look like: the
// container they announce ("FLAC", "Ogg", "MP3", "AIFF"...) or their text.
std::string KDescribeFileStart(const BYTE* head, size_t n);

// One sample at p, of layout's coding, as a 16-bit value.
short KPcmSampleTo16(const BYTE* p, const KPcmLayout& layout);
// A float or double sample in full scale -1 .. 1 as a 16-bit value.
short KFloatTo16(double v);

// n frames at raw into out: with channel >= 0 that channel only (n values),
// with channel < 0 every channel interleaved (n x channels values).
void KPcmFramesTo16(const BYTE* raw, long n, const KPcmLayout& layout, int channel, short* out);
