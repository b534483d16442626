// What a sound window keeps between redraws: the min/max summary of its
// samples and the scroll bar's unit. Shared by the drawing and by the edits
// that say which frames they changed.
#pragma once
#include <cstdint>
#include <vector>

#include "sound/Sound.h"
#include "sound/engine/display_columns.h"

struct TSoundfrm::DisplayState {
    sv::DisplaySummary summary;
    // Frames per scroll-bar step: 1 unless the scrollable range passes
    // what the bar's int can count.
    int64_t scrollUnit = 1;
    bool overlaysFollowed = false;
    // Set just before the after-edit step by an edit in place that has
    // named the frames it changed (samplesChanged): that step then keeps the
    // summary of the other frames. The step clears it.
    bool changeAnnounced = false;
    std::vector<sv::ColumnRange> ranges;   // reused from one redraw to the next
    std::vector<sv::ColumnSpan> spans;
};
