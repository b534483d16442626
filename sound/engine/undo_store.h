// The undo history of one sound window: a stack of files, one per edit, each
// holding the frames the edit was about to change.
//
// Each store fixes its folder and a stem that no other store can share (the
// process id and a serial taken when the store is made), and remembers the
// paths it wrote. Two windows on one file, two new sounds, "a.wav" beside
// "a.au" or two running copies of the program therefore never read or delete
// each other's steps. Each step's file stays open and locked while the step
// exists, so a run on another machine that shares the folder sees it in use.
//
// The layout of an undo file is fixed (see UndoFileHeader); files left
// behind by a crash stay readable by the same layout, and are known by it.
#pragma once
#include <algorithm>
#include <cstdint>
#include <deque>
#include <string>

#include "sound/engine/operation.h"
#include "sound/engine/sample_format.h"
#include "sound/engine/sound_buffer.h"

namespace sv {

class IniFile;

// The 91-byte header of an undo file, little-endian:
//   0 int32 start, 4 int32 old length, 8 int32 new length,
//   12 char[60] previous description (NUL-terminated),
//   72 18-byte SampleFormat, 90 uint8 whole flag;
// then old length x nBlockAlign bytes of samples.
// Never change this layout.
struct UndoFileHeader {
    static constexpr int kBytes = 91;
    static constexpr int kDescriptionBytes = 60;
    static constexpr int kNewLengthOffset = 8;

    int32_t start = 0;
    int32_t oldLength = 0;
    int32_t newLength = 0;
    std::string previousDescription;   // at most 59 characters are stored
    SampleFormat format;
    bool whole = false;

    void toBytes(uint8_t out[kBytes]) const;
    static UndoFileHeader fromBytes(const uint8_t in[kBytes]);
    // The file open as `fd`, `size` bytes long, is an undo file: a header
    // that describes a stretch of a sound, and at most the frames it
    // announces (fewer when its run ended while writing it).
    static bool recognise(int fd, int64_t size);
};

// The texts of the main window's undo menu item.
extern const char* const kUndoCaption;           // "&Undo"
extern const char* const kUndoDisabledCaption;   // "&Undo DISABLED"

// What an undo did to the sound.
struct UndoOutcome {
    bool restored = false;     // false: no usable step; the history is now empty
    bool whole = false;        // format and every sample were replaced
    bool lengthChanged = false;
};

class UndoStore {
public:
    // folder with its trailing '/'; baseName is the sound file's name without
    // its extension ("" for a sound without a name). See folderFor.
    explicit UndoStore(std::string folder, std::string baseName = std::string());
    // Deletes the store's own files: a window never leaves steps behind.
    ~UndoStore();
    UndoStore(const UndoStore&) = delete;
    UndoStore& operator=(const UndoStore&) = delete;

    // Where a sound keeps its steps: the program's folder while it has never
    // been read or written (or has a name without a folder), else its file's
    // folder.
    static std::string folderFor(bool isNew, const std::string& fileName);
    static std::string baseNameFor(const std::string& fileName);

    // Drops every step and moves future steps to another folder and base
    // name (a sound read from, or saved to, a file). The stem stays unique.
    // The new folder is first cleared of the steps of runs that have ended.
    void relocate(std::string folder, std::string baseName);

    // Removes the undo files that runs which have ended (killed, crashed)
    // left in a folder. Only a file with an undo file's name and header
    // goes, and only when no running editor, here or on another machine,
    // holds it; everything else stays.
    static void removeStaleFiles(const std::string& folder);

    // The most steps kept per sound, as many as the options dialog offers.
    static constexpr int kMostLevels = 9999;
    // [Options] UndoLevels (default 10), brought into 1..kMostLevels.
    static int levelsFromSettings(const IniFile& ini);
    // [Options] DisableUndo (default 0).
    static bool disabledFromSettings(const IniFile& ini);

    void setLevels(int levels) { levels_ = std::clamp(levels, 1, kMostLevels); }
    int levels() const { return levels_; }
    void setDisabled(bool disabled) { disabled_ = disabled; }
    bool disabled() const { return disabled_; }

    // Saves one step before an edit: `frames` frames from the selection start,
    // or with wholeSound every frame and the format. Returns true when a step
    // was written, false when undo is disabled. Throws FileIOError when the
    // file cannot be created or written; the history is then unchanged and
    // the edit must not go on.
    bool guardar_deshacer(const std::string& description, int64_t frames, bool wholeSound,
                          const SoundBuffer& sound);

    // Records the new length of the stretch the last step saved. Does
    // nothing unless the last guardar_deshacer wrote a step and the length
    // differs from the one saved, so it only fails after an edit that
    // changed the sound's length. A failure drops that step (it could no
    // longer be trusted) and throws FileIOError.
    void completar_guardar_deshacer(int64_t newLength);

    // Restores the newest step into the sound, selects the restored stretch
    // and deletes the step's file. A missing step, or one whose lengths do
    // not fit the sound, restores nothing and empties the history. Throws
    // FileIOError on a read error, leaving the sound as it was.
    UndoOutcome deshacer(SoundBuffer& sound);

    // True while a step exists.
    bool habilitomenuundo() const { return !steps_.empty(); }
    // Deletes every step of this store (after a save and on close).
    void Borrar_Deshacer();

    // The caption the undo menu item takes after the last save or undo:
    // "&Undo " + the words of the step now on top.
    const std::string& menuCaption() const { return caption_; }
    // The words of the last step saved; the next step stores them as its
    // previous description. An undo does not change them.
    const std::string& description() const { return description_; }
    int32_t counter() const { return counter_; }
    size_t stepCount() const { return steps_.size(); }
    const std::string& newestPath() const;
    const std::string& folder() const { return folder_; }
    // The path step number n would have.
    std::string pathFor(int32_t n) const;

    // A context whose undo hooks write into this store for `sound`.
    OperationContext context(const SoundBuffer& sound);

private:
    struct Step {
        std::string path;
        int fd = -1;   // open and locked while the step exists
    };
    void dropAll();
    static void drop(Step& step);

    std::string folder_;
    std::string stem_;          // "~" + base name + "-" + pid + "-" + serial + "-"
    std::string baseName_;
    uint32_t serial_;
    std::deque<Step> steps_;          // oldest first
    int32_t counter_ = 0;             // number of the newest step
    int levels_ = 10;
    bool disabled_ = false;
    bool lastSaveWrote_ = false;
    int64_t lastSavedLength_ = 0;
    std::string captionBefore_, descriptionBefore_;   // to take back a failed completion
    std::string description_;
    std::string caption_;
};

} // namespace sv
