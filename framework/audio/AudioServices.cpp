#include "framework/audio/AudioServices.h"

#include <cstdlib>
#include <cstring>
#include <optional>

#include "framework/audio/MciWavePlayer.h"
#include "framework/audio/WaveDevice.h"
#include "framework/base/MciService.h"

namespace {
std::optional<EAudioBackend> g_backend;
}

void KInstallAudioServices()
{
    static CMciWavePlayer player;
    SetMciService(&player);
}

void SelectAudioBackend(EAudioBackend backend)
{
    g_backend = backend;
}

EAudioBackend SelectedAudioBackend()
{
    if (!g_backend) {
        const char* s = std::getenv("KAVREL_AUDIO");
        g_backend = s && std::strcmp(s, "virtual") == 0 ? EAudioBackend::Virtual : EAudioBackend::PortAudio;
    }
    return *g_backend;
}

void SelectVirtualWaveBackend()
{
    SelectAudioBackend(EAudioBackend::Virtual);
}

IWaveBackend& WaveBackend()
{
    return SelectedAudioBackend() == EAudioBackend::Virtual ? VirtualWaveBackend() : PortAudioWaveBackend();
}
