// The sheet of a disc image (a ".cue" or a ".toc" beside its music file),
// checked before libcdio reads it. libcdio's sheet readers trust the
// sheet: a track number it does not expect, a line out of place or more
// tracks than a disc holds make them write outside their track table. So a
// sheet reaches libcdio only in a strict form:
//
//   cue: one FILE "music.bin" BINARY before the first TRACK; TRACK 01,
//        02, ... each once and in order, each with its INDEX 01; every time
//        m:s:f, later than the one before and within the music file;
//        REM, CATALOG, FLAGS, ISRC, PREGAP and the CD-TEXT words (TITLE,
//        PERFORMER, ..., their values empty or not) where a cue sheet has
//        them. libcdio reads the music from the file named like the sheet,
//        whatever FILE says: a FILE naming a file that is not there (an
//        image renamed after burning, a path or letter case from another
//        system) is no fault, but one naming another file that is there
//        is, since the sheet would not be played as it reads.
//   toc: CD_DA / CD_ROM / CD_ROM_XA and CATALOG before the first TRACK; at
//        most 99 tracks, each with one FILE or AUDIOFILE "music.bin"
//        <start> [<length>], one music file for all, starts in order and
//        every time within the file; the track flags, ISRC, START, PREGAP
//        and INDEX inside a track. CD_TEXT blocks are not read.
//
// A UTF-8 byte-order mark before the first line is no fault, but libcdio
// takes it for part of the first word: it reads a copy without the mark.
//
// Anything else is refused with a message that names the sheet and the
// line at fault; a sheet whose music is not there, with one that names the
// files looked for.
#pragma once
#include <memory>
#include <string>
#include <vector>

namespace sv {

// What libcdio takes a file for, by the last three letters of its name
// (all lower or all upper case): a cue sheet, a toc sheet, the ".bin" of a
// cue sheet of the same name, or none of these.
enum class CdSheetKind { None, Cue, Toc, Bin };
CdSheetKind cdSheetKind(const std::string& path);

struct CdSheetCheck {
    // NoSheet: a ".bin" without the cue sheet libcdio reads it through.
    enum Verdict { Readable, NoSheet, Refused };
    Verdict verdict = Readable;
    // When refused: the whole message for the user, naming the sheet.
    std::string message;
    // When readable: the sheet checked, and the music file libcdio reads
    // for a cue sheet.
    std::string sheet;
    std::string music;
    // The sheet began with a UTF-8 byte-order mark; `text` is the sheet as
    // checked, without it, for the copy libcdio reads instead.
    bool byteOrderMark = false;
    std::string text;
};

// `source` is what the drive was given: a cue or toc sheet, or the ".bin"
// of a cue sheet (libcdio then reads the ".cue" of the same name). Any
// other source (a device, an NRG image) is not a sheet and passes.
CdSheetCheck checkCdSheet(const std::string& source);

// The copy of a sheet with a byte-order mark that libcdio reads in its
// place: `text` in a folder made for it alone (mode 0700) in the temporary
// folder, written exclusively and never through a link; beside a cue
// sheet's copy, a link named like it to the music, as libcdio looks for
// the music by the sheet's name. Everything goes with the object, which
// outlives the libcdio handle that reads through it.
class CdSheetCopy {
public:
    // Null when it cannot be made; `refusal` then holds the message for
    // the user.
    static std::unique_ptr<CdSheetCopy> make(const CdSheetCheck& check, std::string& refusal);
    ~CdSheetCopy();
    CdSheetCopy(const CdSheetCopy&) = delete;
    CdSheetCopy& operator=(const CdSheetCopy&) = delete;

    const std::string& sheet() const { return sheet_; }

private:
    CdSheetCopy() = default;
    std::string folder_;
    std::vector<std::string> made_;   // in the folder, removed before it
    std::string sheet_;
};

} // namespace sv
