#include "sound/engine/edit_ops.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#include "platform/numbers.h"
#include "sound/engine/edit_progress.h"

namespace sv {

namespace {

// The selection as the edits use it: inside the sound, in frames.
struct Span {
    int64_t s, l, f, b;   // start, length, frame count, bytes per frame
};

Span spanOf(SoundBuffer& sound) {
    sound.setSelection(sound.selectionStart, sound.selectionLength);
    return {sound.selectionStart, sound.selectionLength, sound.frameCount(), sound.format.nBlockAlign};
}

size_t bytesOf(int64_t frames, int64_t b) { return static_cast<size_t>(frames * b); }

// An empty sound has no block at all; the C library does not accept a null
// pointer even for zero bytes.
inline void moveBytes(void* dst, const void* src, size_t n) { if (n) std::memmove(dst, src, n); }
inline void copyBytes(void* dst, const void* src, size_t n) { if (n) std::memcpy(dst, src, n); }

void fillSilence(uint8_t* p, size_t bytes, const SampleFormat& f) {
    // 8-bit silence is 127 throughout the program, 16-bit silence is 0.
    std::memset(p, f.wBitsPerSample == 8 ? kSilence8 : 0, bytes);
}

template <typename T>
void mixInto(uint8_t* snd, const uint8_t* clip, int64_t samples, double clipWeight, double soundWeight) {
    constexpr int64_t step = sizeof(T);
    for (int64_t i = 0; i < samples; ++i, snd += step, clip += step) {
        const int c = readSample(clip, T{});
        const int s = readSample(snd, T{});
        const int64_t r = roundHalfEven(clipWeight * c + soundWeight * s);
        if constexpr (sizeof(T) == 1)
            writeSample(snd, clamp8(r + kSilence8) - kSilence8, T{});
        else
            writeSample(snd, clamp16Sym(r), T{});
    }
}

// The state a paste falls back to when the clip cannot be read: the
// selection removed, which its undo step can put back.
void closeGap(SoundBuffer& sound, const Span& sp, int64_t tailAt) {
    const int64_t tail = sp.f - sp.s - sp.l;
    moveBytes(sound.frame(sp.s), sound.frame(tailAt), bytesOf(tail, sp.b));
    sound.bytes.resize(bytesOf(sp.f - sp.l, sp.b));
    sound.setSelection(sp.s, 0);
}

} // namespace

bool copySelection(const SoundBuffer& sound, const std::string& clipPath) {
    const FrameSpan sel = sound.selection();
    if (sel.length == 0) return false;
    writeClipboardFile(clipPath, sound.format, sound.frame(sel.start), sel.length * sound.format.nBlockAlign);
    return true;
}

bool cutSelection(SoundBuffer& sound, const std::string& clipPath, const OperationContext& ctx) {
    const Span sp = spanOf(sound);
    if (sp.l == 0) return false;
    // Clip before undo step: a failure of either leaves the sound as it was
    // and no step that restores nothing.
    writeClipboardFile(clipPath, sound.format, sound.frame(sp.s), bytesOf(sp.l, sp.b));
    if (!ctx.undo("Cut", sp.l)) return false;
    moveBytes(sound.frame(sp.s), sound.frame(sp.s + sp.l), bytesOf(sp.f - sp.s - sp.l, sp.b));
    sound.bytes.resize(bytesOf(sp.f - sp.l, sp.b));
    sound.setSelection(sp.s, 0);
    ctx.complete(0);
    return true;
}

bool deleteSelection(SoundBuffer& sound, const OperationContext& ctx, bool saveUndo) {
    const Span sp = spanOf(sound);
    if (sp.l == 0) return false;
    if (saveUndo && !ctx.undo("Delete", sp.l)) return false;
    // Moving left chunk by chunk from the front never overwrites a frame
    // still to be moved.
    ProgressWalk walk(ctx, sp.f - sp.l);
    walk.advanceTo(sp.s);
    const int64_t end = sp.f - sp.l;
    for (int64_t at = sp.s; at < end;) {
        const int64_t stop = std::min(end, walk.nextStop());
        moveBytes(sound.frame(at), sound.frame(at + sp.l), bytesOf(stop - at, sp.b));
        at = stop;
        walk.advanceTo(at);
    }
    sound.bytes.resize(bytesOf(end, sp.b));
    sound.setSelection(sp.s, 0);
    if (saveUndo) ctx.complete(0);
    return true;
}

ClipEdit pasteClip(SoundBuffer& sound, const ClipboardFile& clip, ClipFit fit, const OperationContext& ctx) {
    ClipEdit out;
    Span sp = spanOf(sound);
    // Only an empty sound may take another format: its frames would
    // otherwise be read in a layout they were not written in.
    const bool adopt = fit == ClipFit::Adopt && sound.bytes.empty();
    if (!ctx.undo("Paste", sp.l)) return out;
    if (adopt) {
        sound.format = clip.format();
        sound.bytes.resize(0);
        sound.setSelection(0, 0);
        sp = spanOf(sound);
        out.formatAdopted = true;
    }
    const int64_t n = clip.dataBytes() / sp.b;
    const int64_t tail = sp.f - sp.s - sp.l;
    if (n > sp.l) {
        sound.bytes.resize(bytesOf(sp.f - sp.l + n, sp.b));
        moveBytes(sound.frame(sp.s + n), sound.frame(sp.s + sp.l), bytesOf(tail, sp.b));
        try {
            clip.read(0, sound.frame(sp.s), n * sp.b);
        } catch (...) {
            closeGap(sound, sp, sp.s + n);
            ctx.complete(0);
            throw;
        }
    } else {
        try {
            clip.read(0, sound.frame(sp.s), n * sp.b);
        } catch (...) {
            closeGap(sound, sp, sp.s + sp.l);
            ctx.complete(0);
            throw;
        }
        moveBytes(sound.frame(sp.s + n), sound.frame(sp.s + sp.l), bytesOf(tail, sp.b));
        sound.bytes.resize(bytesOf(sp.f - sp.l + n, sp.b));
    }
    sound.setSelection(sp.s, n);
    out.done = true;
    out.frames = n;
    ctx.complete(n);
    return out;
}

ClipEdit mixClip(SoundBuffer& sound, const ClipboardFile& clip, ClipFit fit, double clipWeight,
                 double soundWeight, const OperationContext& ctx) {
    ClipEdit out;
    Span sp = spanOf(sound);
    const bool adopt = fit == ClipFit::Adopt && sound.bytes.empty();
    const SampleFormat target = adopt ? clip.format() : sound.format;
    const int64_t b = target.nBlockAlign;
    const int64_t n = clip.dataBytes() / b;
    ByteBlock data(bytesOf(n, b));
    clip.read(0, data.data(), n * b);

    if (!ctx.undo("Mix", std::min(sp.f - sp.s, n))) return out;
    if (adopt) {
        sound.format = clip.format();
        sound.bytes.resize(0);
        sound.setSelection(0, 0);
        sp = spanOf(sound);
        out.formatAdopted = true;
    }
    const int64_t overlap = std::min(sp.f - sp.s, n);
    if (sp.s + n > sp.f) sound.bytes.resize(bytesOf(sp.s + n, b));
    const int64_t samples = overlap * b / (sound.format.wBitsPerSample / 8);
    dispatchLayout(sound.format, [&](auto sample, auto) {
        using T = decltype(sample);
        mixInto<T>(sound.frame(sp.s), data.data(), samples, clipWeight, soundWeight);
    });
    if (n > overlap)
        copyBytes(sound.frame(sp.s + overlap), data.data() + overlap * b, bytesOf(n - overlap, b));
    sound.setSelection(sp.s, n);
    out.done = true;
    out.frames = n;
    ctx.complete(n);
    return out;
}

bool insertSilence(SoundBuffer& sound, const OperationContext& ctx) {
    const Span sp = spanOf(sound);
    if (sp.l == 0) return false;
    if (!ctx.undo("Insert silence", sp.l)) return false;
    sound.bytes.resize(bytesOf(sp.f + sp.l, sp.b));
    moveBytes(sound.frame(sp.s + sp.l), sound.frame(sp.s), bytesOf(sp.f - sp.s, sp.b));
    ProgressWalk walk(ctx, sp.f + sp.l);
    walk.advanceTo(sp.s);
    for (int64_t at = sp.s; at < sp.s + sp.l;) {
        const int64_t stop = std::min(sp.s + sp.l, walk.nextStop());
        fillSilence(sound.frame(at), bytesOf(stop - at, sp.b), sound.format);
        at = stop;
        walk.advanceTo(at);
    }
    walk.advanceTo(sp.f + sp.l);
    sound.setSelection(sp.s, sp.l);
    ctx.complete(2 * sp.l);
    return true;
}

bool repeatSelection(SoundBuffer& sound, const OperationContext& ctx) {
    const Span sp = spanOf(sound);
    if (sp.l == 0) return false;
    if (!ctx.undo("Repeat", sp.l)) return false;
    sound.bytes.resize(bytesOf(sp.f + sp.l, sp.b));
    moveBytes(sound.frame(sp.s + 2 * sp.l), sound.frame(sp.s + sp.l), bytesOf(sp.f - sp.s - sp.l, sp.b));
    copyBytes(sound.frame(sp.s + sp.l), sound.frame(sp.s), bytesOf(sp.l, sp.b));
    sound.setSelection(sp.s, sp.l);
    ctx.complete(2 * sp.l);
    return true;
}

bool trimToSelection(SoundBuffer& sound, const OperationContext& ctx) {
    const Span sp = spanOf(sound);
    if (sp.l == 0) return false;
    if (!ctx.undo("Trim", sp.f, true)) return false;
    moveBytes(sound.frame(0), sound.frame(sp.s), bytesOf(sp.l, sp.b));
    sound.bytes.resize(bytesOf(sp.l, sp.b));
    sound.setSelection(0, sp.l);
    return true;
}

SoundBuffer selectionAsNew(const SoundBuffer& sound) {
    SoundBuffer out;
    out.format = sound.format;
    const FrameSpan sel = sound.selection();
    out.bytes.assign(sound.frame(sel.start), bytesOf(sel.length, sound.format.nBlockAlign));
    return out;
}

} // namespace sv
