#include "fuzz/support/fuzz_support.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <QGuiApplication>

#include "platform/exedir.h"

namespace sv::fuzz {

namespace {
std::string g_scratch;
}

const std::string& scratch() { return g_scratch; }

std::string inputFile(const uint8_t* data, size_t size, const std::string& name) {
    const std::string path = g_scratch + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    if (size && std::fwrite(data, 1, size, f) != size) std::abort();
    std::fclose(f);
    return path;
}

void seedFile(const std::string& folder, const std::string& name, const std::vector<uint8_t>& bytes) {
    std::ofstream(folder + name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                        static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void guiApplication() {
    static QGuiApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "fuzz";
        static char* argv[] = {name, nullptr};
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
}

std::vector<SoundBuffer> seedSounds() {
    std::vector<SoundBuffer> out;
    for (int bits : {8, 16})
        for (int channels : {1, 2}) {
            SoundBuffer s;
            s.format = SampleFormat::pcm(bits == 8 ? 8000 : 11025, bits, channels);
            const int frames = 200;
            s.bytes.resize(size_t(frames) * s.format.nBlockAlign);
            uint8_t* p = s.bytes.data();
            for (int i = 0; i < frames * channels; ++i) {
                const double v = std::sin(i * 0.3);
                if (bits == 8) {
                    *p++ = uint8_t(127 + std::lrint(100 * v));
                } else {
                    const int16_t x = int16_t(std::lrint(12000 * v));
                    *p++ = uint8_t(x);
                    *p++ = uint8_t(uint16_t(x) >> 8);
                }
            }
            out.push_back(std::move(s));
        }
    return out;
}

} // namespace sv::fuzz

// Runs once before the first input: the scratch folder becomes the
// program's folder, and a seed run writes its seeds and ends.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string tmpl = std::string(base) + "/sonvela-fuzz-XXXXXX";
    if (!mkdtemp(tmpl.data())) std::abort();
    sv::fuzz::g_scratch = tmpl + "/";
    sv::setExeDir(sv::fuzz::g_scratch);
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(sv::fuzz::g_scratch, ignored);
    });
    if (const char* seeds = std::getenv("SONVELA_FUZZ_SEEDS")) {
        std::string folder = seeds;
        if (folder.empty() || folder.back() != '/') folder += '/';
        ::mkdir(folder.c_str(), 0755);
        sv::fuzz::writeSeeds(folder);
        std::exit(0);
    }
    return 0;
}
