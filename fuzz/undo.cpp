// Undo steps: a step file, as a crash or another program may have left it,
// restored into the sound it belongs to. The input's first byte picks the
// sound (its layout) and the kind of step; the rest is the step file.
#include "fuzz/support/fuzz_support.h"
#include "sound/engine/undo_store.h"

using namespace sv;

namespace {
// Writes one step of the kind `kind` picks for sound `s`; the step's path.
std::string step(UndoStore& store, const SoundBuffer& s, uint8_t kind) {
    SoundBuffer copy = s;
    copy.setSelection(kind & 8 ? 0 : 50, kind & 8 ? 0 : 40);
    store.guardar_deshacer("Echo", kind & 8 ? copy.frameCount() : 40, kind & 8, copy);
    return store.newestPath();
}
} // namespace

void sv::fuzz::writeSeeds(const std::string& folder) {
    const auto sounds = seedSounds();
    int n = 0;
    for (uint8_t kind = 0; kind < 16; ++kind) {
        if ((kind & 7) >= sounds.size()) continue;
        UndoStore store(scratch());
        std::vector<uint8_t> in = {kind};
        const auto bytes = fileBytes(step(store, sounds[kind & 7], kind));
        in.insert(in.end(), bytes.begin(), bytes.end());
        seedFile(folder, "step" + std::to_string(n++), in);
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::vector<SoundBuffer> sounds = fuzz::seedSounds();
    if (size < 1) return 0;
    SoundBuffer sound = sounds[data[0] % sounds.size()];
    UndoStore store(fuzz::scratch());
    const std::string path = step(store, sound, data[0]);
    fuzz::inputFile(data + 1, size - 1, path.substr(fuzz::scratch().size()));
    try {
        store.deshacer(sound);
        // Whatever the step held, the sound keeps a layout it can have.
        if (!sound.format.hasFrameLayout() || sound.bytes.size() % sound.format.nBlockAlign != 0) __builtin_trap();
    } catch (const std::exception&) {
    }
    return 0;
}
