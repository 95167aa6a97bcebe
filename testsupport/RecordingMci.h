// An MCI service for tests: records every command and the ranges played, and
// fails them at will, instead of playing anything.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "framework/base/MciService.h"

class CRecordingMci : public IMciService {
public:
    MCIERROR Open(const CString& type, const CString&, MCIDEVICEID* id) override
    {
        log += "open " + std::string(type.GetString()) + ";";
        *id = nDeviceId;
        return openResult;
    }
    MCIERROR SetTimeFormat(MCIDEVICEID, DWORD f) override
    {
        log += "format " + std::to_string(f) + ";";
        return 0;
    }
    MCIERROR StatusLength(MCIDEVICEID, DWORD* n) override
    {
        *n = nLength;
        return 0;
    }
    MCIERROR PlayWait(MCIDEVICEID, DWORD from, DWORD to) override
    {
        log += "play " + std::to_string(from) + "-" + std::to_string(to) + ";";
        if (playFailures-- > 0)
            return MCIERR_WAVE_OUTPUTSINUSE;
        played.emplace_back(long(from), long(to));
        return 0;
    }
    MCIERROR Close(MCIDEVICEID id) override
    {
        log += "close " + std::to_string(id) + ";";
        return 0;
    }
    bool GetErrorString(MCIERROR, CString&) override { return false; }

    // What the device says of itself.
    MCIDEVICEID nDeviceId = 1;
    DWORD nLength = 1000000;
    // Open's answer, and how many plays fail before one succeeds.
    MCIERROR openResult = 0;
    int playFailures = 0;
    // Every command in order, and the ranges that were played.
    std::string log;
    std::vector<std::pair<long, long>> played;
};
