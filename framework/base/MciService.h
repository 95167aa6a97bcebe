// Synchronous playback of a stretch of a sound file, as a service in the
// manner of the platform's media control commands: open a "waveaudio"
// device on a file, choose the time format, ask the length, play from..to
// waiting until the end, close. The sound layer installs the real player;
// until then every command fails.
#pragma once
#include "framework/base/CString.h"
#include "framework/base/Types.h"

typedef DWORD MCIERROR;
typedef UINT MCIDEVICEID;

// Result codes, with the platform's values.
enum : MCIERROR {
    MCIERR_BASE = 256,
    MCIERR_INVALID_DEVICE_ID = 257,
    MCIERR_HARDWARE = 262,
    MCIERR_INVALID_DEVICE_NAME = 263,
    MCIERR_OUT_OF_MEMORY = 264,
    MCIERR_UNSUPPORTED_FUNCTION = 274,
    MCIERR_FILE_NOT_FOUND = 275,
    MCIERR_OUTOFRANGE = 282,
    MCIERR_BAD_TIME_FORMAT = 293,
    MCIERR_INVALID_FILE = 296,
    MCIERR_DEVICE_NOT_INSTALLED = 306,
    MCIERR_WAVE_OUTPUTSINUSE = 320,
    MCIERR_WAVE_OUTPUTSUNSUITABLE = 326,
};

// Time formats.
enum : DWORD {
    MCI_FORMAT_MILLISECONDS = 0,
    MCI_FORMAT_BYTES = 8,
    MCI_FORMAT_SAMPLES = 9,
};

class IMciService {
public:
    virtual ~IMciService() = default;
    // Opens a device of the given type on a file (the element); the device
    // starts in milliseconds.
    virtual MCIERROR Open(const CString& deviceType, const CString& elementName, MCIDEVICEID* pDeviceID) = 0;
    virtual MCIERROR SetTimeFormat(MCIDEVICEID id, DWORD timeFormat) = 0;
    // The length in the current time format.
    virtual MCIERROR StatusLength(MCIDEVICEID id, DWORD* pLength) = 0;
    // Plays [from, to) in the current time format and returns when it ends.
    virtual MCIERROR PlayWait(MCIDEVICEID id, DWORD from, DWORD to) = 0;
    virtual MCIERROR Close(MCIDEVICEID id) = 0;
    // The text for a result code; false when there is none.
    virtual bool GetErrorString(MCIERROR error, CString& text);
};

// The installed service; one that refuses every command until the sound
// layer installs its player.
IMciService& MciService();
// Installs a service (not owned; null restores the refusing one) and
// returns the previous one.
IMciService* SetMciService(IMciService* service);

// The common texts of the result codes above; false for any other code.
bool GetMciErrorText(MCIERROR error, CString& text);
