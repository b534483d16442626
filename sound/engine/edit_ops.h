// The structural edits of a sound: copy, cut, delete, paste, mix, insert
// silence, repeat, trim, a new sound from the selection, and dividing or
// combining the channels of a stereo sound through mono WAVE files.
//
// Each edit that changes samples asks ctx for its undo step before the first
// sample changes (an exception from it leaves the sound untouched) and, when
// the length changes, completes the step as its very last action, so the
// sound is whole even if completing throws. An edit returns false when it
// did nothing (no selection where one is needed); the window then sets
// neither its modified flag nor redraws.
//
// Frames are whole: selections are kept inside the sound and a clip whose
// byte count is not a whole number of frames goes in as whole frames only.
#pragma once
#include <cstdint>
#include <string>

#include "sound/engine/clipboard_file.h"
#include "sound/engine/operation.h"
#include "sound/engine/sound_buffer.h"

namespace sv {

// Copy: writes the selection to the clip. False, and the clip is left as
// it was, when nothing is selected.
bool copySelection(const SoundBuffer& sound, const std::string& clipPath);

// Cut ("Cut"): the clip is written first, then the undo step, then the
// selection goes; the cursor stays at its start.
bool cutSelection(SoundBuffer& sound, const std::string& clipPath, const OperationContext& ctx);

// Delete ("Delete" when saveUndo): progress over the frames of the shorter
// sound; the cursor stays at the start of the removed stretch.
bool deleteSelection(SoundBuffer& sound, const OperationContext& ctx, bool saveUndo = true);

struct ClipEdit {
    bool done = false;
    bool formatAdopted = false;   // the window clears IsNew and shows the new format
    int64_t frames = 0;           // clip frames now selected from the cursor
};

// Paste ("Paste"): replaces the selection by the clip and selects it. `fit`
// is clipFit() for this sound; with ClipFit::Differs the window has asked
// kPasteFormatQuestion and had Yes, and the clip goes in as raw bytes.
// A read error removes the selection (the undo step can restore it) and
// throws FileIOError.
ClipEdit pasteClip(SoundBuffer& sound, const ClipboardFile& clip, ClipFit fit, const OperationContext& ctx);

// Mix ("Mix"): from the cursor, each sample becomes round(clipWeight x clip
// + soundWeight x sound) (half to even; 8-bit around 127 and clamped to
// 0..255, 16-bit to -32767..32767); past the end of the sound the clip goes
// in unchanged. The mixed stretch is selected. The clip is read before the
// undo step, so a read error changes nothing.
ClipEdit mixClip(SoundBuffer& sound, const ClipboardFile& clip, ClipFit fit, double clipWeight,
                 double soundWeight, const OperationContext& ctx);

// Insert silence ("Insert silence"): as many silent frames as are selected,
// at the cursor; the selection then covers the silence. Progress over the
// frames of the longer sound.
bool insertSilence(SoundBuffer& sound, const OperationContext& ctx);

// Repeat ("Repeat"): a second copy of the selection right after it; the
// selection still covers the first copy.
bool repeatSelection(SoundBuffer& sound, const OperationContext& ctx);

// Trim ("Trim", a whole-sound step): keeps only the selection, which then
// covers the whole sound.
bool trimToSelection(SoundBuffer& sound, const OperationContext& ctx);

// A new sound holding a copy of the selection, with a cursor at 0.
SoundBuffer selectionAsNew(const SoundBuffer& sound);

// ---- Dividing and combining channels ----

struct ChannelFileNames {
    std::string left, right;
};
// The names offered for the two halves of a stereo sound: its name without
// the extension + "Left.wav" and + "Right.wav" ("x.y.wav" gives "x.yLeft.wav").
ChannelFileNames proposeChannelFileNames(const std::string& fileName);

// Shown when both halves would be written to one file.
extern const char* const kDivideSameNameMessage;

struct DivideResult {
    enum Status { Ok, NotStereo, SameName, LeftFailed, RightFailed };
    Status status = Ok;
    int error = 0;   // errno of the file that could not be created
    // "Error " + code + " accessing the file, try another name." for a
    // failed creation, kDivideSameNameMessage for SameName.
    std::string message() const;
};

// Writes each channel of the selected frames as a mono WAVE file (the
// sound's format with one channel). Both files are written beside their
// names and renamed when complete. Throws FileIOError for a write error.
DivideResult divideChannels(const SoundBuffer& sound, const std::string& leftName, const std::string& rightName);

struct CombineResult {
    enum Status { Ok, LeftOpenFailed, RightOpenFailed, LeftNotMono, RightNotMono, FormatsDiffer, NotPcm };
    Status status = Ok;
    std::string fileName;   // left name part without extension + "_" + right's + ".wav", no folder
    int64_t dataBytes = 0;  // bytes of the combined samples (status panel 0)
    // The message for a failure, naming the file where the text does.
    std::string message(const std::string& leftName, const std::string& rightName) const;
};

// Reads two mono PCM 8/16-bit WAVE files of one format into a stereo sound:
// left then right sample of each frame; the shorter file's channel is
// padded with silence (127 for 8-bit, 0 for 16-bit); odd trailing data
// bytes that make no whole sample are left out. On failure `out` is
// untouched. Throws FileIOError for a read error.
CombineResult combineChannels(const std::string& leftName, const std::string& rightName, SoundBuffer& out);

} // namespace sv
