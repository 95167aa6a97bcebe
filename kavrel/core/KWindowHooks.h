// How the core reaches the floating windows of a wave or a film (the
// oscillogram, the instant spectrum, the phase portrait), which the views
// layer draws. The views install the hooks when the library is built with
// them; a core built alone has none, and nothing is drawn.
#pragma once

class CKWave;
class CKWaveView;
class CKWaveSpectrumView;
class CKWaveSpectrumPhasePortraitView;

struct KWindowHooks {
    void (*RepaintWaveView)(CKWaveView*) = nullptr;
    void (*RepaintSpectrumView)(CKWaveSpectrumView*) = nullptr;
    void (*RepaintPhasePortraitView)(CKWaveSpectrumPhasePortraitView*) = nullptr;
    // A wave going away takes its oscillogram window with it.
    void (*DestroyWaveViews)(CKWave*) = nullptr;
    // A film going away takes its floating windows with it: they draw from it.
    void (*DestroySpectrumView)(CKWaveSpectrumView*) = nullptr;
    void (*DestroyPhasePortraitView)(CKWaveSpectrumPhasePortraitView*) = nullptr;
};

KWindowHooks& KGetWindowHooks();
