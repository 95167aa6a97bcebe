// The sound layer's services for the programs: the range player behind
// the media control service of framework/base, and the choice of the
// sound system behind the devices.
#pragma once

// Installs the range player (MciWavePlayer.h) as the MciService. Programs
// call it at start, tests before they play.
void KInstallAudioServices();

enum class EAudioBackend { PortAudio, Virtual };
// Normally chosen once from KAVREL_AUDIO ("virtual", or the sound cards
// through PortAudio); a switch is allowed only while no device is open.
void SelectAudioBackend(EAudioBackend backend);
EAudioBackend SelectedAudioBackend();
