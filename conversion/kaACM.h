// The conversion chain: converts audio from one wave format to another
// through the codec manager, planning up to three stages through PCM when no
// single codec stream does it, and pushing blocks through the stages.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "conversion/kaCommon.h"
#include "platform/codec/codec.h"

namespace sv {

// One stage of the chain: one codec stream with its input and output buffers.
class TMiniConvertor {
public:
    TMiniConvertor(const TkaWaveFormat& source, const TkaWaveFormat& dest);
    ~TMiniConvertor();
    TMiniConvertor(const TMiniConvertor&) = delete;
    TMiniConvertor& operator=(const TMiniConvertor&) = delete;

    void OpenStage(bool realTime);
    // Forgets held input, codec state and buffers; the next block prepares anew.
    void ResetStage();
    void CloseStage();
    // Appends the block to the held input and converts what the codec takes.
    // Returns the output byte count (0 when the held input makes no output
    // yet); the output is at Output().
    int64_t ConvertStage(const void* data, int64_t size, bool useFPUFlag, uint32_t flags);

    const uint8_t* Output() const { return output_.data(); }
    bool IsOpen() const { return open_; }
    int64_t HeldBytes() const { return count_; }
    const TkaWaveFormat& Source() const { return source_; }
    const TkaWaveFormat& Dest() const { return dest_; }

private:
    TkaWaveFormat source_, dest_;
    std::vector<uint8_t> input_;      // capacity_ bytes once prepared
    int64_t capacity_ = 0;
    int64_t count_ = 0;
    std::vector<uint8_t> output_;
    codec::StreamHeader header_;
    codec::StreamHandle handle_ = 0;
    bool open_ = false;
};

// Sender, converted block, its size, and a flag the handler sets to stop a
// whole-stream conversion.
class TkaAudioConvertor;
using TAbortableBufferEvent = std::function<void(TkaAudioConvertor* sender, const void* audioData, int32_t audioDataSize, bool& abort)>;
using TNotifyEvent = std::function<void(TkaAudioConvertor* sender)>;

// A publisher of the blocks it converts and a subscriber of another
// publisher's blocks.
class TkaAudioConvertor : public AudioComponent {
public:
    TkaAudioConvertor();
    ~TkaAudioConvertor() override;

    IkaAudioSubject* QueryAudioSubject() override { return &subject_; }
    IkaAudioObserver* QueryAudioObserver() override { return &observer_; }

    TkaWaveFormat& FormatIn() { return formatIn_; }
    TkaWaveFormat& FormatOut() { return formatOut_; }
    const TkaWaveFormat& FormatIn() const { return formatIn_; }
    const TkaWaveFormat& FormatOut() const { return formatOut_; }
    void SetFormatIn(const TkaWaveFormat& f) { formatIn_.Assign(f); }
    void SetFormatOut(const TkaWaveFormat& f) { formatOut_.Assign(f); }

    // Plans the chain and opens every stage; a failure leaves it inactive.
    void Open();
    // Whether a chain from one format to the other can be planned, without
    // opening anything.
    bool CanConvert(const TkaWaveFormat& from, const TkaWaveFormat& to) const;
    void Close();
    bool Active() const { return active_; }
    void SetActive(bool v);
    bool RequestRealTime() const { return requestRealTime_; }
    void SetRequestRealTime(bool v);
    AudioComponent* AudioSource() const { return observer_.Subject(); }
    void SetAudioSource(AudioComponent* c) { observer_.SetSubject(c); }

    // Converts one block through the chain and publishes what comes out.
    void ConvertBuffer(const void* audioData, int32_t audioDataSize);
    // Converts a whole stream in blocks of about two seconds of input,
    // publishing each; OnAudioStreamConverted follows in every case.
    // "Conversion not possible." for a format without StreamByteRate.
    void ConvertStream(ByteStream& stream);
    // Whether the format's byte rate can size ConvertStream's blocks: not
    // 0 (nothing would ever be read) and small enough that four seconds fit
    // a codec buffer (far beyond any real sound).
    static bool StreamByteRate(const TkaWaveFormat& format);

    // The planned formats (2 to 4, FormatIn first, FormatOut last) while active.
    const std::vector<std::unique_ptr<TkaWaveFormat>>& PlannedFormats() const { return formats_; }
    size_t StageCount() const { return stages_.size(); }
    const uint8_t* LastOutput() const { return lastData_; }
    int32_t LastOutputSize() const { return lastSize_; }

    bool Abort = false;
    bool Set8087FPUFlag = true;
    TAbortableBufferEvent OnAudioConverted;
    TNotifyEvent OnAudioStreamConverted;
    TObserverErrorEvent OnObserverError;

protected:
    virtual void ReceiveAudio(IkaAudioSubject* subject, const void* audioData, int32_t audioDataSize);
    virtual void ObserverError(IkaAudioSubject* sender, IkaAudioObserver* observer, const std::exception& e, bool& raise);

private:
    // The formats of a chain, the two ends included; EACMConversionError
    // "Conversion not possible." when there is none.
    std::vector<std::unique_ptr<TkaWaveFormat>> Plan(const TkaWaveFormat& from, const TkaWaveFormat& to) const;
    void PlanChain();
    bool Converts(const TkaWaveFormat& a, const TkaWaveFormat& b) const;
    void SuggestPcm(const TkaWaveFormat& source, const TkaWaveFormat& tmpl, TkaWaveFormat& out) const;
    // Runs one block through the stages; true when the last stage gave output.
    bool PassThrough(const void* data, int64_t size, uint32_t flags);
    void Publish();
    void ClearLastOutput() { lastData_ = nullptr; lastSize_ = 0; }

    TkaWaveFormat formatIn_, formatOut_;
    TkaAudioObserver observer_;
    TkaAudioSubject subject_;
    bool active_ = false;
    bool requestRealTime_ = false;
    std::vector<std::unique_ptr<TkaWaveFormat>> formats_;
    std::vector<std::unique_ptr<TMiniConvertor>> stages_;
    const uint8_t* lastData_ = nullptr;
    int32_t lastSize_ = 0;
};

// One installed conversion driver with its details and formats.
class TkaCodec {
public:
    explicit TkaCodec(codec::DriverId id);
    codec::DriverId DriverId;
    uint32_t Priority = 0;
    bool Codec = false, Converter = false, Filter = false, Hardware = false, Async = false, Local = false, Disabled = false;
    std::string ShortName, LongName, Copyright, Licensing, Features;
    uint32_t MaxFormatSize = 0;
    uint32_t ExtraSize = 0;
    // Description -> format record, in enumeration order.
    std::vector<std::pair<std::string, std::vector<uint8_t>>> Formats;
};

// The installed drivers, built on first use (and again after Refresh).
const std::vector<std::unique_ptr<TkaCodec>>& Codecs();
void RefreshCodecs();

} // namespace sv
