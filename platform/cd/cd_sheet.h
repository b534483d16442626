// The sheet of a disc image (a ".cue" or a ".toc" beside its music file),
// checked before libcdio reads it. libcdio's sheet readers trust the
// sheet: a track number it does not expect, a line out of place or more
// tracks than a disc holds make them write outside their track table. So a
// sheet reaches libcdio only in a strict form:
//
//   cue: one FILE "music.bin" BINARY before the first TRACK, the music in
//        the file named like the sheet (the one libcdio reads); TRACK 01,
//        02, ... each once and in order, each with its INDEX 01; every time
//        m:s:f, later than the one before and within the music file;
//        REM, CATALOG, FLAGS, ISRC, PREGAP and the CD-TEXT words (TITLE,
//        PERFORMER, ...) where a cue sheet has them.
//   toc: CD_DA / CD_ROM / CD_ROM_XA and CATALOG before the first TRACK; at
//        most 99 tracks, each with one FILE or AUDIOFILE "music.bin"
//        <start> [<length>], one music file for all, starts in order and
//        every time within the file; the track flags, ISRC, START, PREGAP
//        and INDEX inside a track.
//
// Anything else is refused with a message that names the sheet and the
// line at fault. A sheet whose music file is not there is no refusal: it
// is a tray without a readable disc, as libcdio sees it too.
#pragma once
#include <string>

namespace sv {

// What libcdio takes a file for, by the last three letters of its name
// (all lower or all upper case): a cue sheet, a toc sheet, the ".bin" of a
// cue sheet of the same name, or none of these.
enum class CdSheetKind { None, Cue, Toc, Bin };
CdSheetKind cdSheetKind(const std::string& path);

struct CdSheetCheck {
    enum Verdict { Readable, NoMusic, Refused };
    Verdict verdict = Readable;
    // When refused: the whole message for the user, naming the sheet.
    std::string message;
};

// `source` is what the drive was given: a cue or toc sheet, or the ".bin"
// of a cue sheet (libcdio then reads the ".cue" of the same name). Any
// other source (a device, an NRG image) is not a sheet and passes.
CdSheetCheck checkCdSheet(const std::string& source);

} // namespace sv
