// Where the amplitude ruler puts its labels and grid lines, and what the
// labels say. No drawing here, so the numbers can be checked on their own.
#pragma once
#include <string>
#include <vector>

namespace sv {

// The ruler's units, as stored in [Configuration] VerticalScale.
enum RulerScale { kScalePercent = 1, kScaleSampleValue = 2, kScaleDecibels = 3 };

// Label i (1..7, top to bottom) of one channel band. An unknown scale (a
// hand-edited settings file) reads as percent, the key's default.
std::string rulerLabel(int scale, int i, int bitsPerSample);

// Rows between two labels (and two grid lines) of a view `height` rows
// high: one band for mono, two for stereo.
int rulerStep(bool stereo, int height);
// First row of band `band` (the second band of a stereo view starts lower).
int rulerBandOffset(bool stereo, int band, int height);
// Top of label i's text: it sits above its grid line by the overview
// strip's height.
int rulerLabelTop(bool stereo, int band, int i, int height, int overviewHeight);
// Rows of the grid lines across the waveform; each band's middle row is
// left to the centre line.
std::vector<int> gridRows(bool stereo, int height);

} // namespace sv
