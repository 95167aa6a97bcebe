// The hearing threshold curve H(f), dB, against which the "Слух" levels of
// the sonogram are set: a table of 324 (frequency, level) pairs from 31.25
// to 20000 Hz, interpolated linearly between neighbours and extrapolated
// linearly from the two pairs at either end.
#pragma once
#include <utility>
#include <vector>

const std::vector<std::pair<double, double>>& KHearingThresholdTable();
// 1000 for f <= 0.
double KHearingThreshold_dB(double f);
