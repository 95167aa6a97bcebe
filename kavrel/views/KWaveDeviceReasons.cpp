#include "kavrel/views/KWaveDeviceReasons.h"

// Some of the texts carry " K - ", as the programs always showed them.
CString KWaveDeviceOpenReason(MMRESULT result)
{
    switch (result) {
    case MMSYSERR_BADDEVICEID: return " K - Specified device identifier is out of range.";
    case MMSYSERR_ALLOCATED: return "Specified resource is already allocated.";
    case MMSYSERR_NODRIVER: return " K - No device driver is present.";
    case MMSYSERR_NOMEM: return " K - Unable to allocate or lock memory.";
    case WAVERR_BADFORMAT: return " K - Attempted to open with an unsupported waveform-audio format.";
    default: return "";
    }
}

CString KWaveDeviceHandleReason(MMRESULT result)
{
    switch (result) {
    case MMSYSERR_INVALHANDLE: return "Specified device handle is invalid.";
    case MMSYSERR_NODRIVER: return "No device driver is present.";
    case MMSYSERR_NOMEM: return "Unable to allocate or lock memory.";
    default: return "";
    }
}
