#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <functional>

#include "platform/files.h"
#include "platform/paths.h"
#include "sound/engine/edit_ops.h"
#include "sound/engine/undo_store.h"
#include "tests/sound/edit/edit_test_util.h"
#include "tests/support/scripted_prompts.h"

using namespace sv;
using sv::test::bytesOf;
using sv::test::kLayouts;
using sv::test::makeSound;
using sv::test::slurpFile;
using sv::test::spitFile;

namespace {

void putClip(const std::string& path, const SoundBuffer& from, int64_t s, int64_t l) {
    SoundBuffer c = from;
    c.setSelection(s, l);
    ASSERT_TRUE(copySelection(c, path));
}

int sample16(const SoundBuffer& s, int64_t i) { return readSample(s.bytes.data() + 2 * i, int16_t{}); }

// Every edit, then undo, gives back the sound byte for byte: four layouts,
// selections at the start, in the middle and at the end.
struct EditCase {
    const char* name;
    std::function<bool(SoundBuffer&, const std::string& clip, const OperationContext&)> run;
};

const EditCase kEdits[] = {
    {"Cut", [](SoundBuffer& s, const std::string& c, const OperationContext& x) { return cutSelection(s, c, x); }},
    {"Delete", [](SoundBuffer& s, const std::string&, const OperationContext& x) { return deleteSelection(s, x); }},
    {"Paste",
     [](SoundBuffer& s, const std::string& c, const OperationContext& x) {
         ClipboardFile clip(c);
         return pasteClip(s, clip, clipFit(s, false, clip.format()), x).done;
     }},
    {"Mix",
     [](SoundBuffer& s, const std::string& c, const OperationContext& x) {
         ClipboardFile clip(c);
         return mixClip(s, clip, clipFit(s, false, clip.format()), 0.7, 0.9, x).done;
     }},
    {"Insert silence",
     [](SoundBuffer& s, const std::string&, const OperationContext& x) { return insertSilence(s, x); }},
    {"Repeat", [](SoundBuffer& s, const std::string&, const OperationContext& x) { return repeatSelection(s, x); }},
    {"Trim", [](SoundBuffer& s, const std::string&, const OperationContext& x) { return trimToSelection(s, x); }},
};

} // namespace

TEST(EditUndo, EveryEditThenUndoRestoresTheBytes) {
    test::TempExeDir dir;
    const std::string clip = dir.file("wavecopy.tmp");
    const std::pair<int64_t, int64_t> selections[] = {{0, 100}, {450, 100}, {900, 100}};
    for (const auto& lay : kLayouts) {
        for (const auto& sel : selections) {
            for (const EditCase& e : kEdits) {
                SCOPED_TRACE(std::string(e.name) + " " + std::to_string(lay.bits) + "/" +
                             std::to_string(lay.channels) + " at " + std::to_string(sel.first));
                // A clip longer than the selection, so that paste grows and
                // mix runs past the end.
                putClip(clip, makeSound(lay.bits, lay.channels, 300, 9), 11, 137);
                SoundBuffer s = makeSound(lay.bits, lay.channels, 1000);
                s.setSelection(sel.first, sel.second);
                const auto before = bytesOf(s);
                UndoStore store(dir.path());
                OperationContext ctx = store.context(s);
                ASSERT_TRUE(e.run(s, clip, ctx));
                EXPECT_NE(bytesOf(s), before);
                EXPECT_EQ(store.menuCaption(), std::string("&Undo ") + e.name);
                const UndoOutcome o = store.deshacer(s);
                EXPECT_TRUE(o.restored);
                EXPECT_EQ(s.format, SampleFormat::pcm(22050, lay.bits, lay.channels));
                EXPECT_EQ(bytesOf(s), before);
                EXPECT_FALSE(store.habilitomenuundo());
            }
        }
    }
}

TEST(EditUndo, RepeatedEditsUndoInOrder) {
    test::TempExeDir dir;
    const std::string clip = dir.file("wavecopy.tmp");
    SoundBuffer s = makeSound(16, 2, 500);
    UndoStore store(dir.path());
    OperationContext ctx = store.context(s);
    std::vector<std::vector<uint8_t>> states;
    s.setSelection(100, 50);
    states.push_back(bytesOf(s));
    cutSelection(s, clip, ctx);
    states.push_back(bytesOf(s));
    s.setSelection(10, 5);
    {
        ClipboardFile c(clip);
        pasteClip(s, c, ClipFit::Same, ctx);
    }
    states.push_back(bytesOf(s));
    repeatSelection(s, ctx);
    for (int i = 2; i >= 0; --i) {
        ASSERT_TRUE(store.deshacer(s).restored);
        EXPECT_EQ(bytesOf(s), states[i]) << i;
    }
}

TEST(Clipboard, CopyWritesFormatThenBytes) {
    test::TempExeDir dir;
    SoundBuffer s = makeSound(16, 2, 20);
    s.setSelection(3, 4);
    ASSERT_TRUE(copySelection(s, clipboardPath()));
    const auto f = slurpFile(dir.file("wavecopy.tmp"));
    ASSERT_EQ(f.size(), 18u + 16);
    uint8_t fmt[18];
    s.format.toBytes(fmt);
    EXPECT_TRUE(std::equal(fmt, fmt + 18, f.begin()));
    EXPECT_TRUE(std::equal(f.begin() + 18, f.end(), s.frame(3)));
    ClipboardFile c;
    EXPECT_EQ(c.format(), s.format);
    EXPECT_EQ(c.dataBytes(), 16);
}

TEST(Clipboard, NothingSelectedLeavesTheClip) {
    test::TempExeDir dir;
    SoundBuffer s = makeSound(8, 1, 20);
    s.setSelection(2, 5);
    copySelection(s, clipboardPath());
    const auto before = slurpFile(clipboardPath());
    s.setSelection(4, 0);
    EXPECT_FALSE(copySelection(s, clipboardPath()));
    UndoStore store(dir.path());
    EXPECT_FALSE(cutSelection(s, clipboardPath(), store.context(s)));
    EXPECT_EQ(slurpFile(clipboardPath()), before);
    EXPECT_FALSE(store.habilitomenuundo());
}

TEST(Clipboard, MissingShortOrDamagedClipIsAnIOError) {
    test::TempExeDir dir;
    EXPECT_FALSE(clipboardExists());
    EXPECT_THROW(ClipboardFile c, FileIOError);
    spitFile(clipboardPath(), std::vector<uint8_t>(17, 1));
    EXPECT_THROW(ClipboardFile c, FileIOError);
    std::vector<uint8_t> bad(30, 0);   // block align 0
    spitFile(clipboardPath(), bad);
    EXPECT_THROW(ClipboardFile c, FileIOError);
}

TEST(Clipboard, FormatQuestionComparesChannelsRateAndBitsOnly) {
    SoundBuffer s = makeSound(16, 2, 10);
    SampleFormat f = s.format;
    EXPECT_EQ(clipFit(s, false, f), ClipFit::Same);
    f.wFormatTag = 3;
    f.nBlockAlign = 9;
    EXPECT_EQ(clipFit(s, false, f), ClipFit::Same);
    EXPECT_EQ(clipFit(s, false, SampleFormat::pcm(22050, 16, 1)), ClipFit::Differs);
    EXPECT_EQ(clipFit(s, false, SampleFormat::pcm(44100, 16, 2)), ClipFit::Differs);
    EXPECT_EQ(clipFit(s, false, SampleFormat::pcm(22050, 8, 2)), ClipFit::Differs);
    // A new window asks nothing only while it is empty.
    EXPECT_EQ(clipFit(s, true, SampleFormat::pcm(22050, 8, 2)), ClipFit::Differs);
    SoundBuffer empty;
    EXPECT_EQ(clipFit(empty, true, SampleFormat::pcm(8000, 8, 2)), ClipFit::Adopt);
}

TEST(Paste, IntoAnEmptyNewSoundAdoptsTheClipsFormat) {
    test::TempExeDir dir;
    SoundBuffer src = makeSound(16, 2, 50, 3, 44100);
    putClip(clipboardPath(), src, 0, 50);
    SoundBuffer s;   // the default format of a new window
    UndoStore store(dir.path());
    ClipboardFile c;
    const ClipFit fit = clipFit(s, true, c.format());
    ASSERT_EQ(fit, ClipFit::Adopt);
    const ClipEdit r = pasteClip(s, c, fit, store.context(s));
    EXPECT_TRUE(r.done && r.formatAdopted);
    EXPECT_EQ(s.format, src.format);
    EXPECT_EQ(bytesOf(s), bytesOf(src));
    EXPECT_EQ(s.selectionLength, 50);
}

TEST(Paste, ForeignFormatAfterYesGoesInAsWholeRawFrames) {
    test::TempExeDir dir;
    SoundBuffer clipSrc = makeSound(8, 1, 7);
    putClip(clipboardPath(), clipSrc, 0, 7);   // 7 bytes: three 16-bit frames and a half
    SoundBuffer s = makeSound(16, 1, 10);
    const auto before = bytesOf(s);
    s.setSelection(4, 0);
    UndoStore store(dir.path());
    ClipboardFile c;
    ASSERT_EQ(clipFit(s, false, c.format()), ClipFit::Differs);
    const ClipEdit r = pasteClip(s, c, ClipFit::Differs, store.context(s));
    EXPECT_EQ(r.frames, 3);
    EXPECT_EQ(s.frameCount(), 13);
    EXPECT_EQ(s.format, SampleFormat::pcm(22050, 16, 1));
    EXPECT_TRUE(std::equal(clipSrc.bytes.data(), clipSrc.bytes.data() + 6, s.frame(4)));
    // No later frame shifts by the odd byte.
    EXPECT_TRUE(std::equal(before.begin() + 8, before.end(), s.frame(7)));
    EXPECT_EQ(s.selectionStart, 4);
    EXPECT_EQ(s.selectionLength, 3);
}

TEST(Paste, ReadingTheHeaderForTheQuestionChangesNothing) {
    // The window reads the clip's format, asks, and on No stops: nothing of
    // the sound or its history has changed by then.
    test::TempExeDir dir;
    putClip(clipboardPath(), makeSound(8, 2, 20), 0, 20);
    SoundBuffer s = makeSound(16, 2, 30);
    s.setSelection(5, 10);
    const auto before = bytesOf(s);
    UndoStore store(dir.path());
    ClipboardFile c;
    EXPECT_EQ(clipFit(s, false, c.format()), ClipFit::Differs);
    EXPECT_EQ(bytesOf(s), before);
    EXPECT_EQ(s.selectionLength, 10);
    EXPECT_FALSE(store.habilitomenuundo());
}

TEST(Paste, WithACursorAtTheEndAppends) {
    test::TempExeDir dir;
    SoundBuffer src = makeSound(8, 2, 40, 5);
    putClip(clipboardPath(), src, 10, 6);
    SoundBuffer s = makeSound(8, 2, 20);
    const auto before = bytesOf(s);
    s.setSelection(20, 0);
    UndoStore store(dir.path());
    ClipboardFile c;
    pasteClip(s, c, ClipFit::Same, store.context(s));
    ASSERT_EQ(s.frameCount(), 26);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), s.bytes.data()));
    EXPECT_TRUE(std::equal(src.frame(10), src.frame(16), s.frame(20)));
    EXPECT_EQ(s.selectionStart, 20);
    EXPECT_EQ(s.selectionLength, 6);
}

TEST(Paste, ShorterClipReplacesALongerSelection) {
    test::TempExeDir dir;
    SoundBuffer src = makeSound(16, 1, 10, 5);
    putClip(clipboardPath(), src, 0, 3);
    SoundBuffer s = makeSound(16, 1, 30);
    const auto before = bytesOf(s);
    s.setSelection(5, 10);
    UndoStore store(dir.path());
    ClipboardFile c;
    pasteClip(s, c, ClipFit::Same, store.context(s));
    ASSERT_EQ(s.frameCount(), 23);
    EXPECT_TRUE(std::equal(src.frame(0), src.frame(3), s.frame(5)));
    EXPECT_TRUE(std::equal(before.begin() + 30, before.end(), s.frame(8)));
    ASSERT_TRUE(store.deshacer(s).restored);
    EXPECT_EQ(bytesOf(s), before);
}

TEST(Mix, ClampsAtTheRangeOfEachLayout) {
    test::TempExeDir dir;
    SoundBuffer c8 = makeSound(8, 1, 2);
    c8.bytes.data()[0] = 255;
    c8.bytes.data()[1] = 0;
    putClip(clipboardPath(), c8, 0, 2);
    SoundBuffer s8 = makeSound(8, 1, 2);
    s8.bytes.data()[0] = 255;
    s8.bytes.data()[1] = 0;
    UndoStore store(dir.path());
    {
        ClipboardFile c;
        mixClip(s8, c, ClipFit::Same, 1, 1, store.context(s8));
    }
    EXPECT_EQ(s8.bytes.data()[0], 255);
    EXPECT_EQ(s8.bytes.data()[1], 0);

    SoundBuffer c16 = makeSound(16, 1, 2);
    writeSample(c16.frame(0), 30000, int16_t{});
    writeSample(c16.frame(1), -30000, int16_t{});
    putClip(clipboardPath(), c16, 0, 2);
    SoundBuffer s16 = c16;
    {
        ClipboardFile c;
        mixClip(s16, c, ClipFit::Same, 1, 1, store.context(s16));
    }
    EXPECT_EQ(sample16(s16, 0), 32767);
    EXPECT_EQ(sample16(s16, 1), -32767);
}

TEST(Mix, RoundsHalfToEven) {
    test::TempExeDir dir;
    SoundBuffer clip = makeSound(16, 1, 4);
    const int c[] = {1, 1, 3, -1};
    const int s0[] = {2, 0, 0, -2};
    for (int i = 0; i < 4; ++i) writeSample(clip.frame(i), c[i], int16_t{});
    putClip(clipboardPath(), clip, 0, 4);
    SoundBuffer s = makeSound(16, 1, 4);
    for (int i = 0; i < 4; ++i) writeSample(s.frame(i), s0[i], int16_t{});
    UndoStore store(dir.path());
    ClipboardFile cf;
    mixClip(s, cf, ClipFit::Same, 0.5, 0.5, store.context(s));
    // 1.5 -> 2, 0.5 -> 0, 1.5 -> 2, -1.5 -> -2
    EXPECT_EQ(sample16(s, 0), 2);
    EXPECT_EQ(sample16(s, 1), 0);
    EXPECT_EQ(sample16(s, 2), 2);
    EXPECT_EQ(sample16(s, 3), -2);
}

TEST(Mix, EightBitWorksAroundSilence) {
    test::TempExeDir dir;
    SoundBuffer clip = makeSound(8, 1, 1);
    clip.bytes.data()[0] = 137;   // +10
    putClip(clipboardPath(), clip, 0, 1);
    SoundBuffer s = makeSound(8, 1, 1);
    s.bytes.data()[0] = 107;      // -20
    UndoStore store(dir.path());
    ClipboardFile cf;
    mixClip(s, cf, ClipFit::Same, 2, 1, store.context(s));
    EXPECT_EQ(s.bytes.data()[0], 127);
}

TEST(Mix, ClipPastTheEndLengthensTheSoundUnweighted) {
    test::TempExeDir dir;
    SoundBuffer clip = makeSound(16, 2, 10, 4);
    putClip(clipboardPath(), clip, 0, 10);
    SoundBuffer s = makeSound(16, 2, 8);
    s.setSelection(5, 0);
    UndoStore store(dir.path());
    ClipboardFile cf;
    const ClipEdit r = mixClip(s, cf, ClipFit::Same, 0.5, 0.5, store.context(s));
    EXPECT_EQ(r.frames, 10);
    ASSERT_EQ(s.frameCount(), 15);
    EXPECT_TRUE(std::equal(clip.frame(3), clip.frame(10), s.frame(8)));
    EXPECT_EQ(s.selectionStart, 5);
    EXPECT_EQ(s.selectionLength, 10);
}

TEST(Mix, IntoAnEmptyNewSoundAdoptsTheFormat) {
    test::TempExeDir dir;
    SoundBuffer clip = makeSound(16, 2, 10, 4, 44100);
    putClip(clipboardPath(), clip, 0, 10);
    SoundBuffer s;
    UndoStore store(dir.path());
    ClipboardFile cf;
    const ClipEdit r = mixClip(s, cf, clipFit(s, true, cf.format()), 1, 1, store.context(s));
    EXPECT_TRUE(r.formatAdopted);
    EXPECT_EQ(s.format, clip.format);
    EXPECT_EQ(bytesOf(s), bytesOf(clip));
}

TEST(Repeat, FramesTenToNineteenOfAHundred) {
    test::TempExeDir dir;
    SoundBuffer s = makeSound(16, 2, 100);
    const auto before = bytesOf(s);
    s.setSelection(10, 10);
    UndoStore store(dir.path());
    ASSERT_TRUE(repeatSelection(s, store.context(s)));
    ASSERT_EQ(s.frameCount(), 110);
    EXPECT_TRUE(std::equal(s.frame(10), s.frame(20), s.frame(20)));
    EXPECT_TRUE(std::equal(before.begin() + 20 * 4, before.end(), s.frame(30)));
    EXPECT_EQ(s.selectionStart, 10);
    EXPECT_EQ(s.selectionLength, 10);
}

TEST(InsertSilence, SilenceIs127Or0AndIsSelected) {
    test::TempExeDir dir;
    for (int bits : {8, 16}) {
        SoundBuffer s = makeSound(bits, 2, 20);
        const auto before = bytesOf(s);
        s.setSelection(5, 4);
        UndoStore store(dir.path());
        ASSERT_TRUE(insertSilence(s, store.context(s)));
        ASSERT_EQ(s.frameCount(), 24);
        const uint8_t silence = bits == 8 ? 127 : 0;
        for (int64_t i = 5 * s.bytesPerFrame(); i < 9 * s.bytesPerFrame(); ++i) EXPECT_EQ(s.bytes.data()[i], silence);
        EXPECT_TRUE(std::equal(before.begin() + 5 * s.bytesPerFrame(), before.end(), s.frame(9)));
        EXPECT_EQ(s.selectionStart, 5);
        EXPECT_EQ(s.selectionLength, 4);
    }
}

TEST(Trim, KeepsTheSelectionAndSelectsEverything) {
    test::TempExeDir dir;
    SoundBuffer s = makeSound(8, 2, 50);
    const SoundBuffer orig = s;
    s.setSelection(10, 15);
    UndoStore store(dir.path());
    ASSERT_TRUE(trimToSelection(s, store.context(s)));
    ASSERT_EQ(s.frameCount(), 15);
    EXPECT_TRUE(std::equal(orig.frame(10), orig.frame(25), s.frame(0)));
    EXPECT_EQ(s.selectionStart, 0);
    EXPECT_EQ(s.selectionLength, 15);
    // A whole-sound step: never completed.
    EXPECT_EQ(slurpFile(store.newestPath())[90], 1);
}

TEST(Delete, ReportsProgressAtTheDivisors) {
    test::TempExeDir dir;
    SoundBuffer s = makeSound(8, 1, 14);
    s.setSelection(0, 2);
    UndoStore store(dir.path());
    OperationContext ctx = store.context(s);
    std::vector<int64_t> seen;
    ctx.progress = [&](int64_t j, int64_t n) {
        EXPECT_EQ(n, 12);
        seen.push_back(j);
    };
    ASSERT_TRUE(deleteSelection(s, ctx));
    EXPECT_EQ(seen, (std::vector<int64_t>{1, 2, 3, 4, 6, 12}));
    EXPECT_EQ(s.frameCount(), 12);
    EXPECT_EQ(s.selectionLength, 0);
}

TEST(Delete, WithoutUndoWritesNoStep) {
    test::TempExeDir dir;
    SoundBuffer s = makeSound(8, 1, 14);
    s.setSelection(3, 2);
    UndoStore store(dir.path());
    ASSERT_TRUE(deleteSelection(s, store.context(s), false));
    EXPECT_FALSE(store.habilitomenuundo());
}

TEST(EditFailure, FailedUndoStepLeavesTheSound) {
    test::TempExeDir dir;
    struct Reset {
        ~Reset() { setCreateFaultHook(nullptr); }
    } reset;
    setCreateFaultHook([](const std::string& p) { return extractFileName(p)[0] == '~' ? EACCES : 0; });
    SoundBuffer s = makeSound(16, 2, 40);
    s.setSelection(4, 10);
    const auto before = bytesOf(s);
    UndoStore store(dir.path());
    OperationContext ctx = store.context(s);
    EXPECT_THROW(cutSelection(s, clipboardPath(), ctx), FileIOError);
    EXPECT_THROW(insertSilence(s, ctx), FileIOError);
    EXPECT_THROW(trimToSelection(s, ctx), FileIOError);
    EXPECT_EQ(bytesOf(s), before);
    EXPECT_EQ(s.selectionLength, 10);
}

TEST(NewFromSelection, CopiesTheSelectedFrames) {
    SoundBuffer s = makeSound(16, 2, 30);
    s.setSelection(7, 5);
    const SoundBuffer n = selectionAsNew(s);
    EXPECT_EQ(n.format, s.format);
    ASSERT_EQ(n.frameCount(), 5);
    EXPECT_TRUE(std::equal(s.frame(7), s.frame(12), n.frame(0)));
    EXPECT_EQ(n.selectionStart, 0);
    EXPECT_EQ(n.selectionLength, 0);
}
