// The tracer's second rule for visible maxima, beside the film's lower
// levels: when on, a maximum is visible only within nBelowMax_dB of the
// strongest maximum of its own cadre. On real speech the default levels let
// some 250 maxima a cadre through, mostly noise; this keeps the partials.
// The tracer's document format has no room for it: the user's profile
// keeps it (section kProfileSection).
#pragma once
#include <cmath>

struct KRelativeVisibility {
    bool bOn = false;
    int nBelowMax_dB = 40;

    static constexpr int kMin_dB = 1, kMax_dB = 200;
    static constexpr const char* kProfileSection = "Glissar";
    static constexpr const char* kProfileOn = "RelativeVisibility";
    static constexpr const char* kProfile_dB = "RelativeVisibility_dB";

    // The least amplitude a visible maximum may have in a cadre whose
    // strongest maximum has amplitude aMax: 0 when the rule is off.
    double Floor(double aMax) const { return bOn ? aMax * std::pow(10.0, -double(nBelowMax_dB) / 20.0) : 0.0; }
    bool operator==(const KRelativeVisibility&) const = default;
};
