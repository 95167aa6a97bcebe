// Synchronous playback of a stretch of a WAV file over the wave-out
// device: what the media control service offers the signal core.
#pragma once
#include <map>

#include "framework/audio/WaveAudio.h"
#include "framework/base/MciService.h"
#include "framework/base/WavePcm.h"

class CMciWavePlayer : public IMciService {
public:
    ~CMciWavePlayer() override;
    MCIERROR Open(const CString& deviceType, const CString& elementName, MCIDEVICEID* pDeviceID) override;
    MCIERROR SetTimeFormat(MCIDEVICEID id, DWORD timeFormat) override;
    MCIERROR StatusLength(MCIDEVICEID id, DWORD* pLength) override;
    MCIERROR PlayWait(MCIDEVICEID id, DWORD from, DWORD to) override;
    MCIERROR Close(MCIDEVICEID id) override;

private:
    struct OpenFile {
        HMMIO hmmio = nullptr;
        WAVEFORMATEX Format{}; // what the device is given
        KPcmLayout Layout;     // what the file holds
        bool bConvert = false; // wider, float or many-channel frames go out as 16-bit (the first two channels)
        DWORD nDataOffset = 0;
        DWORD nFrames = 0;
        DWORD nTimeFormat = MCI_FORMAT_MILLISECONDS;
    };
    DWORD ToFrames(const OpenFile& f, DWORD v) const;
    MCIERROR Stream(OpenFile& f, DWORD from, DWORD to);

    std::map<MCIDEVICEID, OpenFile> m_devices;
    MCIDEVICEID m_nextID = 1;
};
