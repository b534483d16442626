#include "conversion/kaACM.h"

#include <algorithm>
#include <cfenv>
#include <cstring>
#include <limits>

namespace sv {

namespace {

const char* const kWhileActive = "Cannot perform this action while active.";
const char* const kWhileNotActive = "Cannot perform this action while not active.";
const char* const kNotPossible = "Conversion not possible.";
const char* const kTooLarge = "Audio is too large to fit into conversion buffer";

// Holds every floating-point exception masked for one codec call and puts
// the caller's environment back afterwards, also when the call fails.
// The environment belongs to the thread, so this is safe with other threads.
class MaskedFloatingPoint {
public:
    explicit MaskedFloatingPoint(bool on) : on_(on) {
        if (on_) std::feholdexcept(&saved_);
    }
    ~MaskedFloatingPoint() {
        if (on_) std::fesetenv(&saved_);
    }

private:
    bool on_;
    std::fenv_t saved_{};
};

constexpr int64_t kMaxCodecBuffer = std::numeric_limits<uint32_t>::max();

} // namespace

// ---- one stage ---------------------------------------------------------------

TMiniConvertor::TMiniConvertor(const TkaWaveFormat& source, const TkaWaveFormat& dest) : source_(source), dest_(dest) {}

TMiniConvertor::~TMiniConvertor() {
    if (open_) {
        try {
            CloseStage();
        } catch (...) {
        }
    }
}

void TMiniConvertor::OpenStage(bool realTime) {
    if (open_) throw EACMError(kWhileActive);
    codec::StreamHandle h = 0;
    RaiseACMError<EACMConversionError>(codec::streamOpen(&h, source_.FormatRecord(), dest_.FormatRecord(),
                                                         realTime ? 0u : uint32_t(codec::kOpenNonRealTime)));
    handle_ = h;
    open_ = true;
    ResetStage();
}

void TMiniConvertor::ResetStage() {
    if (header_.status & codec::kHeaderPrepared) codec::streamUnprepareHeader(handle_, header_);
    if (handle_) codec::streamReset(handle_);
    header_ = codec::StreamHeader{};
    capacity_ = 0;
    count_ = 0;
    std::vector<uint8_t>().swap(input_);
    std::vector<uint8_t>().swap(output_);
}

void TMiniConvertor::CloseStage() {
    ResetStage();
    if (handle_) codec::streamClose(handle_);
    handle_ = 0;
    open_ = false;
}

int64_t TMiniConvertor::ConvertStage(const void* data, int64_t size, bool useFPUFlag, uint32_t flags) {
    if (!open_) throw EACMConversionError(kWhileNotActive);
    const bool prepared = header_.status & codec::kHeaderPrepared;
    if (size > 0) {
        if (capacity_ < count_ + size) {
            if (prepared) throw EACMConversionError(kTooLarge);
            const int64_t grown = 2 * count_ + 2 * size;
            if (grown > kMaxCodecBuffer) throw EACMConversionError(kTooLarge);
            input_.resize(static_cast<size_t>(grown));
            capacity_ = grown;
        }
        std::memcpy(input_.data() + count_, data, static_cast<size_t>(size));
        count_ += size;
    }
    if (count_ == 0) {
        // Nothing held: only an end flag has something to do (flush the codec).
        if (!(flags & codec::kConvertEnd) || !prepared) return 0;
    }

    uint32_t outSize = 0;
    if (!prepared) {
        if (codec::streamSize(handle_, static_cast<uint32_t>(count_), outSize, codec::kSizeSource) != codec::kOk || outSize == 0)
            return 0;
        // Buffers sized once for three times the first block, so that later
        // blocks convert without allocating.
        const int64_t cap = std::max<int64_t>(3 * count_, capacity_);
        if (cap > kMaxCodecBuffer) throw EACMConversionError(kTooLarge);
        input_.resize(static_cast<size_t>(cap));
        capacity_ = cap;
        if (codec::streamSize(handle_, static_cast<uint32_t>(capacity_), outSize, codec::kSizeSource) != codec::kOk)
            throw EACMConversionError(kTooLarge);
        output_.assign(outSize, 0);
        header_ = codec::StreamHeader{};
        header_.source = input_.data();
        header_.sourceLength = static_cast<uint32_t>(capacity_);
        header_.dest = output_.data();
        header_.destLength = outSize;
        const int err = codec::streamPrepareHeader(handle_, header_);
        if (err != codec::kOk) {
            std::vector<uint8_t>().swap(output_);
            RaiseACMError<EACMConversionError>(err);
        }
    }
    if (count_ > 0 &&
        (codec::streamSize(handle_, static_cast<uint32_t>(count_), outSize, codec::kSizeSource) != codec::kOk || outSize == 0))
        return 0;

    header_.sourceLength = static_cast<uint32_t>(count_);
    header_.destLengthUsed = 0;
    int err;
    {
        MaskedFloatingPoint fp(useFPUFlag);
        err = codec::streamConvert(handle_, header_, flags);
    }
    RaiseACMError<EACMConversionError>(err);
    const int64_t used = header_.sourceLengthUsed;
    const int64_t rest = count_ - used;
    if (rest > 0 && used > 0) std::memmove(input_.data(), input_.data() + used, static_cast<size_t>(rest));
    count_ = rest;
    return header_.destLengthUsed;
}

// ---- the converter -------------------------------------------------------------

TkaAudioConvertor::TkaAudioConvertor() : observer_(*this), subject_(*this, formatOut_) {
    observer_.OnAudioData = [this](IkaAudioSubject* s, const void* d, int32_t n) { ReceiveAudio(s, d, n); };
    subject_.OnObserverError = [this](IkaAudioSubject* s, IkaAudioObserver* o, const std::exception& e, bool& raise) {
        ObserverError(s, o, e, raise);
    };
}

TkaAudioConvertor::~TkaAudioConvertor() {
    NotifyDestroying();
    if (active_) {
        try {
            Close();
        } catch (...) {
        }
    }
}

void TkaAudioConvertor::SetActive(bool v) {
    if (v == active_) return;
    if (v) Open();
    else Close();
}

void TkaAudioConvertor::SetRequestRealTime(bool v) {
    if (active_) throw EACMConversionError(kWhileActive);
    requestRealTime_ = v;
}

bool TkaAudioConvertor::Converts(const TkaWaveFormat& a, const TkaWaveFormat& b) const {
    const uint32_t flags = requestRealTime_ ? uint32_t(codec::kOpenQuery) : uint32_t(codec::kOpenQuery | codec::kOpenNonRealTime);
    return codec::streamOpen(nullptr, a.FormatRecord(), b.FormatRecord(), flags) == codec::kOk;
}

void TkaAudioConvertor::SuggestPcm(const TkaWaveFormat& source, const TkaWaveFormat& tmpl, TkaWaveFormat& out) const {
    out.Assign(tmpl);
    out.SetFormatTag(1);
    RaiseACMError<EACMConversionError>(
        codec::formatSuggest(source.FormatRecord(), out.FormatRecord(), TkaWaveFormat::kBufferSize, codec::kSuggestTag));
}

std::vector<std::unique_ptr<TkaWaveFormat>> TkaAudioConvertor::Plan(const TkaWaveFormat& from,
                                                                     const TkaWaveFormat& to) const {
    std::vector<std::unique_ptr<TkaWaveFormat>> formats;
    auto in = std::make_unique<TkaWaveFormat>(from);
    auto out = std::make_unique<TkaWaveFormat>(to);
    formats.push_back(std::move(in));
    const TkaWaveFormat& In = *formats.front();
    if (!Converts(In, *out)) {
        auto a = std::make_unique<TkaWaveFormat>();
        SuggestPcm(In, In, *a);
        if (!Converts(In, *a)) throw EACMConversionError(kNotPossible);
        const TkaWaveFormat* A = a.get();
        if (!a->IsEqual(In) && !a->IsEqual(*out)) formats.push_back(std::move(a));
        if (!Converts(*A, *out)) {
            auto b = std::make_unique<TkaWaveFormat>();
            SuggestPcm(*out, *A, *b);
            if (!Converts(*A, *b) || !Converts(*b, *out)) throw EACMConversionError(kNotPossible);
            if (!b->IsEqual(*A) && !b->IsEqual(*out)) formats.push_back(std::move(b));
        }
    }
    formats.push_back(std::move(out));
    return formats;
}

bool TkaAudioConvertor::CanConvert(const TkaWaveFormat& from, const TkaWaveFormat& to) const {
    try {
        Plan(from, to);
        return true;
    } catch (const EACMError&) {
        return false;
    }
}

void TkaAudioConvertor::PlanChain() {
    stages_.clear();
    formats_.clear();
    formats_ = Plan(formatIn_, formatOut_);
    for (size_t i = 0; i + 1 < formats_.size(); ++i)
        stages_.push_back(std::make_unique<TMiniConvertor>(*formats_[i], *formats_[i + 1]));
}

void TkaAudioConvertor::Open() {
    if (active_) throw EACMConversionError(kWhileActive);
    try {
        PlanChain();
        for (auto& s : stages_) s->OpenStage(requestRealTime_);
    } catch (...) {
        for (auto& s : stages_)
            if (s->IsOpen()) s->CloseStage();
        stages_.clear();
        formats_.clear();
        throw;
    }
    active_ = true;
}

void TkaAudioConvertor::Close() {
    if (!active_) throw EACMConversionError(kWhileNotActive);
    active_ = false;
    ClearLastOutput();
    for (auto& s : stages_)
        if (s->IsOpen()) s->CloseStage();
    stages_.clear();
    formats_.clear();
}

bool TkaAudioConvertor::PassThrough(const void* data, int64_t size, uint32_t flags) {
    ClearLastOutput();
    const void* d = data;
    int64_t n = size;
    const bool end = flags & codec::kConvertEnd;
    for (auto& s : stages_) {
        n = s->ConvertStage(d, n, Set8087FPUFlag, flags);
        d = s->Output();
        // Without output the pass ends, except at the end of the data, where
        // every later stage must still flush what it holds.
        if (n == 0 && !end) return false;
    }
    if (n == 0) return false;
    if (n > std::numeric_limits<int32_t>::max()) throw EACMConversionError(kTooLarge);
    lastData_ = static_cast<const uint8_t*>(d);
    lastSize_ = static_cast<int32_t>(n);
    return true;
}

void TkaAudioConvertor::Publish() {
    if (!lastData_) return;
    subject_.Notify(&subject_, lastData_, lastSize_);
    if (OnAudioConverted) OnAudioConverted(this, lastData_, lastSize_, Abort);
}

void TkaAudioConvertor::ConvertBuffer(const void* audioData, int32_t audioDataSize) {
    if (!active_) throw EACMConversionError(kWhileNotActive);
    PassThrough(audioData, audioDataSize, codec::kConvertBlockAlign);
    Publish();
}

void TkaAudioConvertor::ConvertStream(ByteStream& stream) {
    struct Finally {
        TkaAudioConvertor* c;
        ~Finally() {
            if (c->OnAudioStreamConverted) c->OnAudioStreamConverted(c);
        }
    } finally{this};
    if (!active_) throw EACMConversionError(kWhileNotActive);
    for (auto& s : stages_) s->ResetStage();
    Abort = false;
    ClearLastOutput();

    const int64_t size = stream.Size();
    if (!StreamByteRate(formatIn_)) throw EACMConversionError(kNotPossible);
    // A block holds at least two of the format's own blocks: a header whose
    // byte rate is below one block a second (no real sound's) would make
    // blocks a codec cannot start on, held back until the buffer sized at
    // the first one overflows.
    const int64_t a = std::max<int64_t>(formatIn_.AvgBytesPerSec(), formatIn_.BlockAlign());
    // The byte rate is the file's word: a block never needs more room than
    // the data there is, so a small file with a huge rate stays small.
    std::vector<uint8_t> block(static_cast<size_t>(std::max<int64_t>(0, std::min(4 * a, size - stream.Position()))));
    uint32_t flags = codec::kConvertStart;
    while (!Abort && stream.Position() < size) {
        const int64_t remaining = size - stream.Position();
        const bool last = remaining <= 4 * a;
        const int64_t want = last ? remaining : 2 * a;
        const int64_t got = stream.Read(block.data(), want);
        if (got <= 0) break;   // the stream ended early (file cut short)
        // The block that reaches the end of the data is flagged as the end
        // whatever its size, so codecs flush their tail.
        const bool atEnd = last || got < want || stream.Position() >= size;
        const uint32_t blockFlags = flags | (atEnd ? uint32_t(codec::kConvertEnd) : uint32_t(codec::kConvertBlockAlign));
        PassThrough(block.data(), got, blockFlags);
        Publish();
        flags = 0;
    }
}

bool TkaAudioConvertor::StreamByteRate(const TkaWaveFormat& format) {
    const int64_t a = format.AvgBytesPerSec();
    return a > 0 && 4 * a <= std::numeric_limits<int32_t>::max();
}

void TkaAudioConvertor::ReceiveAudio(IkaAudioSubject* subject, const void* audioData, int32_t audioDataSize) {
    if (active_ && subject->AudioFormat().IsEqual(formatIn_)) {
        ConvertBuffer(audioData, audioDataSize);
        return;
    }
    SetActive(false);
    formatIn_.Assign(subject->AudioFormat());
    SetActive(true);
    ConvertBuffer(audioData, audioDataSize);
}

void TkaAudioConvertor::ObserverError(IkaAudioSubject* sender, IkaAudioObserver* observer, const std::exception& e, bool& raise) {
    if (OnObserverError) OnObserverError(sender, observer, e, raise);
}

// ---- the driver list -------------------------------------------------------------

TkaCodec::TkaCodec(codec::DriverId id) : DriverId(id) {
    codec::DriverDetails d;
    RaiseACMError<EACMCodecError>(codec::driverDetails(id, d), "Error retrieving driver details.");
    RaiseACMError<EACMCodecError>(codec::driverPriority(id, Priority), "Error retrieving driver priority.");
    Codec = d.support & codec::kSupportCodec;
    Converter = d.support & codec::kSupportConverter;
    Filter = d.support & codec::kSupportFilter;
    Hardware = d.support & codec::kSupportHardware;
    Async = d.support & codec::kSupportAsync;
    Local = d.support & codec::kSupportLocal;
    Disabled = d.support & codec::kSupportDisabled;
    ShortName = d.shortName.substr(0, 31);
    LongName = d.longName.substr(0, 127);
    Copyright = d.copyright.substr(0, 79);
    Licensing = d.licensing.substr(0, 127);
    Features = d.features.substr(0, 511);
    codec::DriverId handle = 0;
    RaiseACMError<EACMCodecError>(codec::driverOpen(id, handle), "Error opening driver.");
    try {
        RaiseACMError<EACMCodecError>(codec::maxFormatSize(handle, MaxFormatSize), "Error while requesting size of Wave format.");
        if (MaxFormatSize < codec::kFormatHeaderSize) MaxFormatSize = codec::kFormatHeaderSize;
        ExtraSize = MaxFormatSize - codec::kFormatHeaderSize;
        RaiseACMError<EACMCodecError>(codec::formatEnum(handle, 0, 0,
                                                        [this](const codec::EnumeratedFormat& e) {
                                                            std::vector<uint8_t> r(MaxFormatSize, 0);
                                                            std::memcpy(r.data(), e.record.data(),
                                                                        std::min<size_t>(e.record.size(), r.size()));
                                                            Formats.emplace_back(e.description.substr(0, 127), std::move(r));
                                                            return true;
                                                        }),
                                      "Error while enumerating formats.");
    } catch (...) {
        codec::driverClose(handle);
        throw;
    }
    RaiseACMError<EACMCodecError>(codec::driverClose(handle), "Error while closing driver.");
}

namespace {
std::vector<std::unique_ptr<TkaCodec>>& codecList() {
    static std::vector<std::unique_ptr<TkaCodec>> list;
    return list;
}
bool g_codecsBuilt = false;
} // namespace

void RefreshCodecs() {
    auto& list = codecList();
    list.clear();
    for (codec::DriverId id : codec::driverEnum()) {
        try {
            list.push_back(std::make_unique<TkaCodec>(id));
        } catch (const EACMError&) {
            // A driver that cannot describe itself is left out; the rest still count.
        }
    }
    g_codecsBuilt = true;
}

const std::vector<std::unique_ptr<TkaCodec>>& Codecs() {
    if (!g_codecsBuilt) RefreshCodecs();
    return codecList();
}

} // namespace sv
