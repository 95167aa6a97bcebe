// What the sound card's refusals mean, in the words the suite's recorder
// and players show after their own message: the reason a device does not
// open, and the reason a call on an open device fails for its handle.
// Empty for a result that has no text.
#pragma once
#include "framework/audio/WaveAudio.h"
#include "framework/base/CString.h"

CString KWaveDeviceOpenReason(MMRESULT result);
CString KWaveDeviceHandleReason(MMRESULT result);
