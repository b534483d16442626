// The mode words of the spectral engine. The words are what the main
// window's commands and the filter bank dialog pass (compared
// case-sensitively); the enum is what the engine switches on per block.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace sv {

enum class TransformMode {
    avanzado,
    paso_bajo,
    paso_alto,
    paso_banda,
    telefono,
    r_bass,
    s_bass,
    r_treble,
    s_treble,
    r_hight,
    s_hight,
    Bionic,
    karaoke,
    expansor_dinamica,
    ecualizar,
    stsa,
    PasaBandaPersonalitzat,
    MoureFrequencies,
    paso_bajo_reverb,
    cancelat,
};

// All modes, in the order above (for tests and for listing).
constexpr int kTransformModeCount = 20;
TransformMode transformModeAt(int index);

// The word for a mode, and the mode for a word (nullopt for a word the
// engine does not know).
const char* transformWord(TransformMode mode);
std::optional<TransformMode> parseTransformMode(const std::string& word);

// The description of the undo step the mode records; nullptr for the modes
// that record none ("paso_bajo_reverb" runs inside the reverb's own step,
// "cancelat" does nothing).
const char* transformUndoLabel(TransformMode mode);

} // namespace sv
