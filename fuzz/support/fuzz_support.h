// What every fuzz target shares. A target is one source in fuzz/ that
// defines LLVMFuzzerTestOneInput for one reader and writeSeeds(), which
// makes that reader's seed inputs with the program's own writers (run with
// SONVELA_FUZZ_SEEDS=<folder>, the target writes them there and exits).
// Each input runs with the program's folder set to a scratch folder, so
// readers that take a path or the program's files find them there.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sound/engine/sample_format.h"
#include "sound/engine/sound_buffer.h"

namespace sv::fuzz {

// Defined by each target: writes small seed files into folder (with '/').
void writeSeeds(const std::string& folder);

// The scratch folder, with a trailing '/', on a memory file system where
// there is one.
const std::string& scratch();

// Writes the input as the file `name` in the scratch folder; its path.
std::string inputFile(const uint8_t* data, size_t size, const std::string& name = "input");

// Seeds: writes bytes as folder + name.
void seedFile(const std::string& folder, const std::string& name, const std::vector<uint8_t>& bytes);
// A file's bytes (empty when it cannot be read).
std::vector<uint8_t> fileBytes(const std::string& path);

// Makes the application object Qt's image readers and the clipboard need,
// once, on the offscreen platform (no display).
void guiApplication();

// A short sound of each layout the editor holds (8/16-bit, mono/stereo),
// a few hundred frames of a tone, for the writers to make seeds of.
std::vector<SoundBuffer> seedSounds();

} // namespace sv::fuzz
