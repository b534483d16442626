// The clipboard file "wavecopy.tmp" as Paste reads it: its format, its
// bytes, and how it meets the sound it goes into.
#include "fuzz/support/fuzz_support.h"
#include "sound/engine/clipboard_file.h"

using namespace sv;

void sv::fuzz::writeSeeds(const std::string& folder) {
    int n = 0;
    for (const SoundBuffer& s : seedSounds())
        writeClipboardFile(folder + "clip" + std::to_string(n++), s.format, s.bytes.data(), int64_t(s.bytes.size()));
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::vector<SoundBuffer> sounds = fuzz::seedSounds();
    const std::string path = fuzz::inputFile(data, size, "wavecopy.tmp");
    try {
        ClipboardFile clip(path);
        std::vector<uint8_t> bytes(size_t(clip.dataBytes()));
        clip.read(0, bytes.data(), clip.dataBytes());
        for (const SoundBuffer& s : sounds) (void)clipFit(s, false, clip.format());
        (void)clipFit(SoundBuffer(), true, clip.format());
    } catch (const std::exception&) {
    }
    return 0;
}
