#include "sound/engine/fft/transform_modes.h"

#include <stdexcept>

namespace sv {

namespace {

struct ModeRow {
    TransformMode mode;
    const char* word;
    const char* undoLabel;
};

// Undo labels are shown in the Undo menu item; keep them as they are.
constexpr ModeRow kModes[kTransformModeCount] = {
    {TransformMode::avanzado, "avanzado", "Advanced Filter"},
    {TransformMode::paso_bajo, "paso_bajo", "Low Pass Filter"},
    {TransformMode::paso_alto, "paso_alto", "High Pass Filter"},
    {TransformMode::paso_banda, "paso_banda", "Band Pass Filter"},
    {TransformMode::telefono, "telefono", "Phone Line"},
    {TransformMode::r_bass, "r_bass", "Bass Boost"},
    {TransformMode::s_bass, "s_bass", "Bass Cut"},
    {TransformMode::r_treble, "r_treble", "Treble Boost"},
    {TransformMode::s_treble, "s_treble", "Treble Cut"},
    {TransformMode::r_hight, "r_hight", "High Boost"},
    {TransformMode::s_hight, "s_hight", "High Cut"},
    {TransformMode::Bionic, "Bionic", "Bionic"},
    {TransformMode::karaoke, "karaoke", "karaoke"},
    {TransformMode::expansor_dinamica, "expansor_dinamica", "Dynamic Expander"},
    {TransformMode::ecualizar, "ecualizar", "Equalizer"},
    {TransformMode::stsa, "stsa", "stsa"},
    {TransformMode::PasaBandaPersonalitzat, "PasaBandaPersonalitzat", "PasaBandaPersonalitzat"},
    {TransformMode::MoureFrequencies, "MoureFrequencies", "Frequency Shift"},
    {TransformMode::paso_bajo_reverb, "paso_bajo_reverb", nullptr},
    {TransformMode::cancelat, "cancelat", nullptr},
};

const ModeRow& row(TransformMode mode) {
    const int i = static_cast<int>(mode);
    if (i < 0 || i >= kTransformModeCount) throw std::invalid_argument("unknown transform mode");
    return kModes[i];
}

} // namespace

TransformMode transformModeAt(int index) {
    if (index < 0 || index >= kTransformModeCount) throw std::out_of_range("transform mode index");
    return kModes[index].mode;
}

const char* transformWord(TransformMode mode) { return row(mode).word; }

std::optional<TransformMode> parseTransformMode(const std::string& word) {
    for (const ModeRow& r : kModes)
        if (word == r.word) return r.mode;
    return std::nullopt;
}

const char* transformUndoLabel(TransformMode mode) { return row(mode).undoLabel; }

} // namespace sv
