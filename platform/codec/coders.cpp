// Codec streams over FFmpeg. Samples cross between us and libavcodec as
// interleaved signed 16-bit PCM; the helpers below move them in and out of
// whatever layout a codec wants, one tight loop per layout.
#include "platform/codec/coders.h"

#include <algorithm>
#include <cmath>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

namespace sv::codec::detail {

namespace {

int mapAvError(int err) { return err == AVERROR(ENOMEM) ? kErrNoMem : kErrNotPossible; }

inline int16_t floatToS16(float v) {
    float s = v * 32768.0f;
    if (!(s == s)) return 0;
    s = std::min(32767.0f, std::max(-32768.0f, s));
    return static_cast<int16_t>(std::lrintf(s));
}

// Appends a decoded frame to `out` as interleaved 16-bit samples with
// `outCh` channels (a stream whose frames change channel count mid-way is
// folded to the record's count rather than garbled).
void appendFrame(const AVFrame* f, int outCh, std::vector<uint8_t>& out) {
    const int n = f->nb_samples;
    const int ch = f->ch_layout.nb_channels;
    if (n <= 0 || ch <= 0) return;
    const size_t old = out.size();
    out.resize(old + static_cast<size_t>(n) * outCh * 2);
    int16_t* dst = reinterpret_cast<int16_t*>(out.data() + old);
    const auto fmt = static_cast<AVSampleFormat>(f->format);
    const bool planar = av_sample_fmt_is_planar(fmt);
    // sample(c, i): channel c of frame i as int16.
    auto fill = [&](auto sample) {
        if (ch == outCh) {
            for (int i = 0; i < n; ++i)
                for (int c = 0; c < ch; ++c) dst[i * outCh + c] = sample(c, i);
        } else if (outCh == 1) {
            for (int i = 0; i < n; ++i) dst[i] = static_cast<int16_t>((sample(0, i) + sample(1, i)) >> 1);
        } else {
            for (int i = 0; i < n; ++i) dst[2 * i] = dst[2 * i + 1] = sample(0, i);
        }
    };
    switch (av_get_packed_sample_fmt(fmt)) {
    case AV_SAMPLE_FMT_S16:
        if (planar) fill([&](int c, int i) { return reinterpret_cast<const int16_t*>(f->extended_data[c])[i]; });
        else fill([&](int c, int i) { return reinterpret_cast<const int16_t*>(f->extended_data[0])[i * ch + c]; });
        break;
    case AV_SAMPLE_FMT_S32:
        if (planar) fill([&](int c, int i) { return static_cast<int16_t>(reinterpret_cast<const int32_t*>(f->extended_data[c])[i] >> 16); });
        else fill([&](int c, int i) { return static_cast<int16_t>(reinterpret_cast<const int32_t*>(f->extended_data[0])[i * ch + c] >> 16); });
        break;
    case AV_SAMPLE_FMT_FLT:
        if (planar) fill([&](int c, int i) { return floatToS16(reinterpret_cast<const float*>(f->extended_data[c])[i]); });
        else fill([&](int c, int i) { return floatToS16(reinterpret_cast<const float*>(f->extended_data[0])[i * ch + c]); });
        break;
    default:
        std::memset(dst, 0, static_cast<size_t>(n) * outCh * 2);
        break;
    }
}

// Copies `n` interleaved 16-bit frames (zeros past `avail`) into an encoder frame.
void fillFrame(AVFrame* f, const int16_t* src, int n, int avail, int ch) {
    const auto fmt = static_cast<AVSampleFormat>(f->format);
    const bool planar = av_sample_fmt_is_planar(fmt);
    auto put = [&](auto store) {
        for (int i = 0; i < n; ++i)
            for (int c = 0; c < ch; ++c) store(c, i, i < avail ? src[i * ch + c] : int16_t(0));
    };
    switch (av_get_packed_sample_fmt(fmt)) {
    case AV_SAMPLE_FMT_S16:
        if (planar) put([&](int c, int i, int16_t v) { reinterpret_cast<int16_t*>(f->extended_data[c])[i] = v; });
        else put([&](int c, int i, int16_t v) { reinterpret_cast<int16_t*>(f->extended_data[0])[i * ch + c] = v; });
        break;
    case AV_SAMPLE_FMT_S32:
        if (planar) put([&](int c, int i, int16_t v) { reinterpret_cast<int32_t*>(f->extended_data[c])[i] = int32_t(v) * 65536; });
        else put([&](int c, int i, int16_t v) { reinterpret_cast<int32_t*>(f->extended_data[0])[i * ch + c] = int32_t(v) * 65536; });
        break;
    case AV_SAMPLE_FMT_FLT:
        if (planar) put([&](int c, int i, int16_t v) { reinterpret_cast<float*>(f->extended_data[c])[i] = v / 32768.0f; });
        else put([&](int c, int i, int16_t v) { reinterpret_cast<float*>(f->extended_data[0])[i * ch + c] = v / 32768.0f; });
        break;
    default:
        break;
    }
}

struct CodecCtxDeleter { void operator()(AVCodecContext* c) const { avcodec_free_context(&c); } };
struct PacketDeleter { void operator()(AVPacket* p) const { av_packet_free(&p); } };
struct FrameDeleter { void operator()(AVFrame* f) const { av_frame_free(&f); } };
struct ParserDeleter { void operator()(AVCodecParserContext* p) const { av_parser_close(p); } };
struct SwrDeleter { void operator()(SwrContext* s) const { swr_free(&s); } };
using CodecCtx = std::unique_ptr<AVCodecContext, CodecCtxDeleter>;
using Packet = std::unique_ptr<AVPacket, PacketDeleter>;
using Frame = std::unique_ptr<AVFrame, FrameDeleter>;

// ---- PCM <-> PCM ------------------------------------------------------------

class PcmConverter : public Coder {
public:
    PcmConverter(const uint8_t* s, const uint8_t* d)
        : s_(readFields(s)), d_(readFields(d)), in_(pcmSampleOf(s)), out_(pcmSampleOf(d)) {}

    int open() {
        AVChannelLayout in, out;
        av_channel_layout_default(&in, s_.channels);
        av_channel_layout_default(&out, d_.channels);
        SwrContext* raw = nullptr;
        int err = swr_alloc_set_opts2(&raw, &out, sampleFormat(out_), static_cast<int>(d_.samplesPerSec), &in,
                                      sampleFormat(in_), static_cast<int>(s_.samplesPerSec), 0, nullptr);
        swr_.reset(raw);
        if (err < 0 || !swr_) return mapAvError(err);
        return init();
    }

    int process(const uint8_t* src, uint32_t len, uint32_t& used, bool end, std::vector<uint8_t>& out) override {
        const int frames = static_cast<int>(len / s_.blockAlign);
        used = end ? len : static_cast<uint32_t>(frames) * s_.blockAlign;
        if (frames > 0) {
            if (in_ == PcmSample::S24) src = widen24(src, frames);
            int err = run(&src, frames, out);
            if (err != kOk) return err;
        }
        if (end) {
            // Drain the resampler's delay line, then start clean for the next stream.
            int err = run(nullptr, 0, out);
            if (err != kOk) return err;
            return reset();
        }
        return kOk;
    }

    uint64_t outputBound(uint64_t srcBytes) const override {
        const uint64_t frames = srcBytes / s_.blockAlign + 1;
        // The margin covers the resampling filter's delay, which grows with the ratio.
        const uint64_t outFrames = ((frames + 256) * d_.samplesPerSec + s_.samplesPerSec - 1) / s_.samplesPerSec + 64;
        return outFrames * d_.blockAlign;
    }

    uint64_t inputFor(uint64_t dstBytes) const override {
        const uint64_t outFrames = dstBytes / d_.blockAlign;
        return outFrames * s_.samplesPerSec / d_.samplesPerSec * s_.blockAlign;
    }

    int reset() override {
        swr_close(swr_.get());
        return init();
    }

private:
    // A mono sound is the same signal on both sides, and stereo made mono is
    // the mean of its two channels. The resampler's own matrix treats mono
    // as a centre speaker and would lower both by 3 dB.
    int init() {
        int err = 0;
        if (s_.channels == 1 && d_.channels == 2) {
            static const double kUpmix[2] = {1.0, 1.0};
            err = swr_set_matrix(swr_.get(), kUpmix, 1);
        } else if (s_.channels == 2 && d_.channels == 1) {
            static const double kDownmix[2] = {0.5, 0.5};
            err = swr_set_matrix(swr_.get(), kDownmix, 2);
        }
        if (err >= 0) err = swr_init(swr_.get());
        return err < 0 ? mapAvError(err) : kOk;
    }

    static AVSampleFormat sampleFormat(PcmSample s) {
        switch (s) {
        case PcmSample::U8: return AV_SAMPLE_FMT_U8;
        case PcmSample::S24:   // widened to 32 bits first
        case PcmSample::S32: return AV_SAMPLE_FMT_S32;
        case PcmSample::F32: return AV_SAMPLE_FMT_FLT;
        case PcmSample::F64: return AV_SAMPLE_FMT_DBL;
        default: return AV_SAMPLE_FMT_S16;
        }
    }

    // The resampler has no packed 24-bit format: each sample goes into the
    // top three bytes of a 32-bit one.
    const uint8_t* widen24(const uint8_t* src, int frames) {
        const size_t n = static_cast<size_t>(frames) * s_.channels;
        wide_.resize(n);
        for (size_t i = 0; i < n; ++i) {
            const uint8_t* p = src + 3 * i;
            wide_[i] = static_cast<int32_t>((uint32_t(p[0]) << 8) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 24));
        }
        return reinterpret_cast<const uint8_t*>(wide_.data());
    }

    int run(const uint8_t** in, int frames, std::vector<uint8_t>& out) {
        for (;;) {
            const int room = std::max(swr_get_out_samples(swr_.get(), frames), 0) + 64;
            const size_t old = out.size();
            out.resize(old + static_cast<size_t>(room) * d_.blockAlign);
            uint8_t* dst = out.data() + old;
            const int got = swr_convert(swr_.get(), &dst, room, in, frames);
            if (got < 0) { out.resize(old); return mapAvError(got); }
            out.resize(old + static_cast<size_t>(got) * d_.blockAlign);
            // Input is taken whole on the first call; flushing repeats until empty.
            if (in || got == 0) return kOk;
        }
    }

    FormatFields s_, d_;
    PcmSample in_, out_;
    std::vector<int32_t> wide_;
    std::unique_ptr<SwrContext, SwrDeleter> swr_;
};

// ---- compressed -> 16-bit PCM ---------------------------------------------------

class Decoder : public Coder {
public:
    // No decoder needs more extra bytes than the largest record a driver
    // makes; a longer extra part is not read at all.
    Decoder(const uint8_t* record)
        : f_(readFields(record)), extra_(record + 18, record + std::min(recordSize(record), kMaxFormatSize)) {
        spb_ = samplesPerBlock(record);
        blockMode_ = f_.formatTag == kTagImaAdpcm || f_.formatTag == kTagMsAdpcm || f_.formatTag == kTagGsm610;
        mp3_ = f_.formatTag == kTagMpegLayer3;
    }

    int open() {
        const AVCodec* codec = avcodec_find_decoder_by_name(decoderName(f_.formatTag));
        if (!codec) return kErrNotPossible;
        ctx_.reset(avcodec_alloc_context3(codec));
        pkt_.reset(av_packet_alloc());
        frame_.reset(av_frame_alloc());
        if (!ctx_ || !pkt_ || !frame_) return kErrNoMem;
        ctx_->sample_rate = static_cast<int>(f_.samplesPerSec);
        av_channel_layout_default(&ctx_->ch_layout, f_.channels);
        ctx_->block_align = f_.blockAlign;
        ctx_->bits_per_coded_sample = f_.bitsPerSample;
        if (!extra_.empty()) {
            ctx_->extradata = static_cast<uint8_t*>(av_mallocz(extra_.size() + AV_INPUT_BUFFER_PADDING_SIZE));
            if (!ctx_->extradata) return kErrNoMem;
            std::memcpy(ctx_->extradata, extra_.data(), extra_.size());
            ctx_->extradata_size = static_cast<int>(extra_.size());
        }
        int err = avcodec_open2(ctx_.get(), codec, nullptr);
        if (err < 0) return mapAvError(err);
        if (mp3_) {
            parser_.reset(av_parser_init(codec->id));
            if (!parser_) return kErrNoMem;
        }
        return kOk;
    }

    int process(const uint8_t* src, uint32_t len, uint32_t& used, bool end, std::vector<uint8_t>& out) override {
        int err = kOk;
        if (mp3_) {
            used = len;
            err = parse(src, len, out);
            if (err == kOk && end) err = parse(nullptr, 0, out);
        } else {
            const uint32_t unit = blockMode_ ? f_.blockAlign : f_.blockAlign * 4096u;
            uint32_t pos = 0;
            for (; err == kOk && len - pos >= unit; pos += unit) err = decode(src + pos, unit, out);
            if (err == kOk && !blockMode_ && len - pos >= f_.blockAlign) {
                const uint32_t whole = (len - pos) / f_.blockAlign * f_.blockAlign;
                err = decode(src + pos, whole, out);
                pos += whole;
            }
            used = pos;
            if (err == kOk && end && pos < len) {
                // A short last block: the ADPCM decoders take what there is;
                // a decoder that cannot simply produces nothing for it.
                if (blockMode_) decode(src + pos, len - pos, out);
                used = len;
            }
        }
        if (err != kOk) return err;
        if (end) {
            err = drain(nullptr, out);
            if (err != kOk) return err;
            return reset();
        }
        return kOk;
    }

    uint64_t outputBound(uint64_t srcBytes) const override {
        const uint64_t frameBytes = 2ull * f_.channels;
        if (blockMode_) return ((srcBytes + f_.blockAlign - 1) / f_.blockAlign) * spb_ * frameBytes;
        if (!mp3_) return srcBytes * 2 + frameBytes;
        // The lowest bit rate the stream could have gives the most samples
        // per byte; three frames more cover what the parser and the decoder hold.
        const uint64_t minBytesPerSec = (f_.samplesPerSec >= 32000 ? 32 : 8) * 125;
        return (srcBytes * f_.samplesPerSec / minBytesPerSec + 3 * 1152) * frameBytes;
    }

    uint64_t inputFor(uint64_t dstBytes) const override {
        const uint64_t frameBytes = 2ull * f_.channels;
        if (blockMode_) return dstBytes / (spb_ * frameBytes) * f_.blockAlign;
        if (!mp3_) return dstBytes / 2 / f_.blockAlign * f_.blockAlign;
        return dstBytes / frameBytes * f_.avgBytesPerSec / f_.samplesPerSec;
    }

    int reset() override {
        avcodec_flush_buffers(ctx_.get());
        if (mp3_) {
            parser_.reset(av_parser_init(ctx_->codec_id));
            if (!parser_) return kErrNoMem;
        }
        return kOk;
    }

private:
    int parse(const uint8_t* src, uint32_t len, std::vector<uint8_t>& out) {
        const bool flush = src == nullptr;
        // The parser reads a little past its input: give it a padded copy.
        if (src) {
            padded_.assign(src, src + len);
            padded_.resize(size_t(len) + AV_INPUT_BUFFER_PADDING_SIZE, 0);
            src = padded_.data();
        }
        do {
            uint8_t* data = nullptr;
            int size = 0;
            const int taken = av_parser_parse2(parser_.get(), ctx_.get(), &data, &size, src, static_cast<int>(len),
                                               AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
            if (taken < 0) return kErrNotPossible;
            if (src) { src += taken; len -= static_cast<uint32_t>(taken); }
            if (size > 0) {
                int err = decode(data, static_cast<uint32_t>(size), out);
                if (err != kOk) return err;
            } else if (flush) {
                break;
            }
        } while (len > 0 || flush);
        return kOk;
    }

    int decode(const uint8_t* data, uint32_t size, std::vector<uint8_t>& out) {
        av_packet_unref(pkt_.get());
        if (av_new_packet(pkt_.get(), static_cast<int>(size)) < 0) return kErrNoMem;
        std::memcpy(pkt_->data, data, size);
        return drain(pkt_.get(), out);
    }

    // Sends a packet (null to flush) and collects every frame it yields.
    int drain(AVPacket* pkt, std::vector<uint8_t>& out) {
        int err = avcodec_send_packet(ctx_.get(), pkt);
        // Damaged data is skipped, as players do; only resource failures stop the stream.
        if (err == AVERROR(ENOMEM)) return kErrNoMem;
        if (err < 0 && err != AVERROR_INVALIDDATA && err != AVERROR_EOF && err != AVERROR(EAGAIN)) return kErrNotPossible;
        for (;;) {
            err = avcodec_receive_frame(ctx_.get(), frame_.get());
            if (err == AVERROR(EAGAIN) || err == AVERROR_EOF) return kOk;
            if (err == AVERROR_INVALIDDATA) continue;
            if (err < 0) return mapAvError(err);
            appendFrame(frame_.get(), f_.channels, out);
            av_frame_unref(frame_.get());
        }
    }

    FormatFields f_;
    std::vector<uint8_t> extra_;
    std::vector<uint8_t> padded_;
    uint32_t spb_ = 1;
    bool blockMode_ = false, mp3_ = false;
    CodecCtx ctx_;
    Packet pkt_;
    Frame frame_;
    std::unique_ptr<AVCodecParserContext, ParserDeleter> parser_;
};

// ---- 16-bit PCM -> compressed ---------------------------------------------------

class Encoder : public Coder {
public:
    Encoder(const uint8_t* record) : f_(readFields(record)) {}

    int open() {
        codec_ = avcodec_find_encoder_by_name(encoderName(f_.formatTag));
        if (!codec_) return kErrNotPossible;
        pkt_.reset(av_packet_alloc());
        if (!pkt_) return kErrNoMem;
        return openContext();
    }

    int process(const uint8_t* src, uint32_t len, uint32_t& used, bool end, std::vector<uint8_t>& out) override {
        if (!ctx_) {
            int err = openContext();
            if (err != kOk) return err;
        }
        const int ch = f_.channels;
        const uint32_t frameBytes = 2u * ch;
        const int64_t frames = len / frameBytes;
        const int16_t* samples = reinterpret_cast<const int16_t*>(src);
        // Variable-size codecs take up to a second per frame; the others their fixed size.
        const int64_t unit = frameSize_ > 0 ? frameSize_ : std::max<int64_t>(1, f_.samplesPerSec);
        int64_t pos = 0;
        int err = kOk;
        for (; err == kOk && frames - pos >= unit; pos += unit) err = encode(samples + pos * ch, static_cast<int>(unit), static_cast<int>(unit), out);
        if (err == kOk && frameSize_ == 0 && frames > pos) {
            err = encode(samples + pos * ch, static_cast<int>(frames - pos), static_cast<int>(frames - pos), out);
            pos = frames;
        }
        used = static_cast<uint32_t>(pos * frameBytes);
        if (err != kOk) return err;
        if (end) {
            if (frames > pos) {
                const int rest = static_cast<int>(frames - pos);
                // A codec that cannot take a short frame gets the rest padded with silence.
                const bool small = codec_->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME;
                err = encode(samples + pos * ch, small ? rest : frameSize_, rest, out);
                if (err != kOk) return err;
            }
            used = len;
            err = drain(nullptr, out);
            // An encoder that has seen the end cannot go on: open a fresh one
            // when more audio comes.
            ctx_.reset();
            return err;
        }
        return kOk;
    }

    uint64_t outputBound(uint64_t srcBytes) const override {
        const uint64_t frames = srcBytes / (2ull * f_.channels);
        switch (f_.formatTag) {
        case kTagALaw:
        case kTagMuLaw:
            return frames * f_.channels;
        case kTagMpegLayer3:
            // LAME's own rule for its output buffer, over what it may still hold.
            return (frames + 2 * 1152) * 5 / 4 + 7200;
        default: {
            const uint64_t spb = frameSize_ > 0 ? static_cast<uint64_t>(frameSize_) : 1;
            return ((frames + spb - 1) / spb + 1) * f_.blockAlign;
        }
        }
    }

    uint64_t inputFor(uint64_t dstBytes) const override {
        const uint64_t frameBytes = 2ull * f_.channels;
        switch (f_.formatTag) {
        case kTagALaw:
        case kTagMuLaw:
            return dstBytes / f_.channels * frameBytes;
        case kTagMpegLayer3: {
            const uint64_t frames = dstBytes * f_.samplesPerSec / f_.avgBytesPerSec;
            return frames * frameBytes;
        }
        default:
            return dstBytes / f_.blockAlign * static_cast<uint64_t>(std::max(frameSize_, 1)) * frameBytes;
        }
    }

    int reset() override {
        ctx_.reset();
        return openContext();
    }

private:
    int openContext() {
        ctx_.reset(avcodec_alloc_context3(codec_));
        if (!ctx_) return kErrNoMem;
        ctx_->sample_rate = static_cast<int>(f_.samplesPerSec);
        av_channel_layout_default(&ctx_->ch_layout, f_.channels);
        ctx_->sample_fmt = pickSampleFormat();
        if (f_.formatTag == kTagMpegLayer3) ctx_->bit_rate = static_cast<int64_t>(f_.avgBytesPerSec) * 8;
        // libgsm is strict about 8 kHz; the other rates are still GSM 6.10 frames.
        if (f_.formatTag == kTagGsm610) ctx_->strict_std_compliance = FF_COMPLIANCE_UNOFFICIAL;
        AVDictionary* opts = nullptr;
        if (f_.formatTag == kTagImaAdpcm || f_.formatTag == kTagMsAdpcm)
            av_dict_set_int(&opts, "block_size", f_.blockAlign, 0);
        int err = avcodec_open2(ctx_.get(), codec_, &opts);
        av_dict_free(&opts);
        if (err < 0) { ctx_.reset(); return mapAvError(err); }
        frameSize_ = (codec_->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE) ? 0 : ctx_->frame_size;
        // The record promises a block layout; an encoder that picked another
        // would write a file its own header misdescribes.
        if ((f_.formatTag == kTagImaAdpcm || f_.formatTag == kTagMsAdpcm || f_.formatTag == kTagGsm610) &&
            (ctx_->block_align != f_.blockAlign || static_cast<uint32_t>(frameSize_) != expectedSpb())) {
            ctx_.reset();
            return kErrNotPossible;
        }
        return kOk;
    }

    uint32_t expectedSpb() const {
        const uint32_t ch = f_.channels;
        switch (f_.formatTag) {
        case kTagImaAdpcm: return (f_.blockAlign - 4 * ch) * 2 / ch + 1;
        case kTagMsAdpcm: return (f_.blockAlign - 7 * ch) * 2 / ch + 2;
        default: return 320;
        }
    }

    AVSampleFormat pickSampleFormat() const {
        const AVSampleFormat prefer[] = {AV_SAMPLE_FMT_S16, AV_SAMPLE_FMT_S16P, AV_SAMPLE_FMT_FLTP,
                                         AV_SAMPLE_FMT_FLT, AV_SAMPLE_FMT_S32P, AV_SAMPLE_FMT_S32};
        if (!codec_->sample_fmts) return AV_SAMPLE_FMT_S16;
        for (AVSampleFormat want : prefer)
            for (const AVSampleFormat* p = codec_->sample_fmts; *p != AV_SAMPLE_FMT_NONE; ++p)
                if (*p == want) return want;
        return codec_->sample_fmts[0];
    }

    int encode(const int16_t* src, int n, int avail, std::vector<uint8_t>& out) {
        Frame frame(av_frame_alloc());
        if (!frame) return kErrNoMem;
        frame->nb_samples = n;
        frame->format = ctx_->sample_fmt;
        frame->sample_rate = ctx_->sample_rate;
        if (av_channel_layout_copy(&frame->ch_layout, &ctx_->ch_layout) < 0) return kErrNoMem;
        if (av_frame_get_buffer(frame.get(), 0) < 0) return kErrNoMem;
        fillFrame(frame.get(), src, n, avail, f_.channels);
        return drain(frame.get(), out);
    }

    int drain(AVFrame* frame, std::vector<uint8_t>& out) {
        int err = avcodec_send_frame(ctx_.get(), frame);
        if (err < 0 && err != AVERROR_EOF) return mapAvError(err);
        for (;;) {
            err = avcodec_receive_packet(ctx_.get(), pkt_.get());
            if (err == AVERROR(EAGAIN) || err == AVERROR_EOF) return kOk;
            if (err < 0) return mapAvError(err);
            out.insert(out.end(), pkt_->data, pkt_->data + pkt_->size);
            av_packet_unref(pkt_.get());
        }
    }

    FormatFields f_;
    const AVCodec* codec_ = nullptr;
    CodecCtx ctx_;
    Packet pkt_;
    int frameSize_ = 0;
};

} // namespace

int makeCoder(StreamKind kind, const uint8_t* source, const uint8_t* dest, std::unique_ptr<Coder>& out) {
    quietFfmpegLog();
    int err = kErrNotPossible;
    switch (kind) {
    case StreamKind::PcmConvert: {
        auto c = std::make_unique<PcmConverter>(source, dest);
        err = c->open();
        if (err == kOk) out = std::move(c);
        break;
    }
    case StreamKind::Decode: {
        auto c = std::make_unique<Decoder>(source);
        err = c->open();
        if (err == kOk) out = std::move(c);
        break;
    }
    case StreamKind::Encode: {
        auto c = std::make_unique<Encoder>(dest);
        err = c->open();
        if (err == kOk) out = std::move(c);
        break;
    }
    case StreamKind::None:
        break;
    }
    return err;
}

} // namespace sv::codec::detail
