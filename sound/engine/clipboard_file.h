// The clip shared by every sound window: the file "wavecopy.tmp" in the
// program's folder, holding the writer's 18-byte SampleFormat followed by
// the clip's bytes, interleaved as in the sound. Its layout must not change.
// It outlives the window that wrote it; the main window deletes it when the
// program closes.
//
// A reader opens the file and gets its format first, so that the window can
// ask its format question before anything is changed.
#pragma once
#include <cstdint>
#include <string>

#include "sound/engine/sample_format.h"
#include "sound/engine/sound_buffer.h"

namespace sv {

extern const char* const kClipboardFileName;    // "wavecopy.tmp"
// Asked (caption "Sonvela", Yes/No) before a clip of another type is pasted
// or mixed into a sound that already has a format.
extern const char* const kPasteFormatQuestion;

// exeDir() + "wavecopy.tmp".
std::string clipboardPath();
bool clipboardExists(const std::string& path = clipboardPath());

// Writes a clip beside the file and renames it over the old one, so a
// failed copy keeps the previous clip. Throws FileIOError.
void writeClipboardFile(const std::string& path, const SampleFormat& format, const uint8_t* data, int64_t bytes);

class ClipboardFile {
public:
    // Opens the clip and reads its format. Throws FileIOError when the file
    // is missing, shorter than its format or names a layout no sound has.
    explicit ClipboardFile(const std::string& path = clipboardPath());
    ~ClipboardFile();
    ClipboardFile(const ClipboardFile&) = delete;
    ClipboardFile& operator=(const ClipboardFile&) = delete;

    const SampleFormat& format() const { return format_; }
    // The clip's bytes: file size - 18.
    int64_t dataBytes() const { return dataBytes_; }
    // Reads `bytes` clip bytes from `offset` (counted after the format).
    // Throws FileIOError.
    void read(int64_t offset, uint8_t* dst, int64_t bytes) const;

private:
    std::string path_;
    int fd_ = -1;
    SampleFormat format_;
    int64_t dataBytes_ = 0;
};

// How a clip meets the sound it goes into.
enum class ClipFit {
    Adopt,     // an empty sound never read or written: it takes the clip's format
    Same,      // channels, rate and bits agree (tag and block align are not compared)
    Differs,   // ask kPasteFormatQuestion; the clip then goes in as raw bytes
};
ClipFit clipFit(const SoundBuffer& sound, bool isNew, const SampleFormat& clip);

} // namespace sv
