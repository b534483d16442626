#include "conversion/kaCommon.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/codec/codec.h"
#include "platform/files.h"
#include "platform/qt/format_chooser.h"

namespace sv {

std::string ACMErrorMessage(int code, const std::string& prefix) {
    std::string msg = prefix;
    if (!prefix.empty()) msg += "\r\n";
    return msg + codec::resultText(code);
}

// ---- byte streams ----------------------------------------------------------

int64_t ByteStream::Size() {
    const int64_t pos = Seek(0, soCurrent);
    const int64_t size = Seek(0, soEnd);
    Seek(pos, soBeginning);
    return size;
}

void ByteStream::ReadBuffer(void* buffer, int64_t count) {
    if (count > 0 && Read(buffer, count) != count) throw FileIOError("Stream read error", EIO);
}

void ByteStream::WriteBuffer(const void* buffer, int64_t count) {
    if (count > 0 && Write(buffer, count) != count) throw FileIOError("Stream write error", EIO);
}

std::unique_ptr<FileByteStream> FileByteStream::OpenRead(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return nullptr;
    return std::make_unique<FileByteStream>(f, true, path);
}

std::unique_ptr<FileByteStream> FileByteStream::Create(const std::string& path) {
    std::FILE* f = createFile(path);
    if (!f) return nullptr;
    // createFile opens for writing only; the RIFF writer seeks back and the
    // converter may read what it wrote, so reopen for both.
    f = std::freopen(path.c_str(), "w+b", f);
    if (!f) return nullptr;
    return std::make_unique<FileByteStream>(f, true, path);
}

void FileByteStream::fail(const char* what, const char* verb) const {
    const int e = errno ? errno : EIO;
    if (name_.empty()) throw FileIOError(std::string(what) + " error", e);
    throw FileIOError("Cannot " + std::string(verb) + " \"" + name_ + "\": " + std::strerror(e) + ".", e);
}

FileByteStream::~FileByteStream() {
    if (owns_ && f_) std::fclose(f_);
}

int64_t FileByteStream::Read(void* buffer, int64_t count) {
    if (count <= 0) return 0;
    const size_t n = std::fread(buffer, 1, static_cast<size_t>(count), f_);
    if (n < static_cast<size_t>(count) && std::ferror(f_)) fail("Read", "read");
    return static_cast<int64_t>(n);
}

int64_t FileByteStream::Write(const void* buffer, int64_t count) {
    if (count <= 0) return 0;
    const size_t n = std::fwrite(buffer, 1, static_cast<size_t>(count), f_);
    if (n < static_cast<size_t>(count)) fail("Write", "write");
    return static_cast<int64_t>(n);
}

int64_t FileByteStream::Seek(int64_t offset, SeekOrigin origin) {
    const int whence = origin == soBeginning ? SEEK_SET : (origin == soCurrent ? SEEK_CUR : SEEK_END);
    if (!(origin == soCurrent && offset == 0) && fseeko(f_, offset, whence) != 0)
        fail("Seek", "access");
    return ftello(f_);
}

int64_t MemoryByteStream::Read(void* buffer, int64_t count) {
    const int64_t n = std::max<int64_t>(0, std::min<int64_t>(count, static_cast<int64_t>(data_.size()) - pos_));
    if (n > 0) std::memcpy(buffer, data_.data() + pos_, static_cast<size_t>(n));
    pos_ += n;
    return n;
}

int64_t MemoryByteStream::Write(const void* buffer, int64_t count) {
    if (count <= 0) return 0;
    if (pos_ + count > static_cast<int64_t>(data_.size())) data_.resize(static_cast<size_t>(pos_ + count));
    std::memcpy(data_.data() + pos_, buffer, static_cast<size_t>(count));
    pos_ += count;
    return count;
}

int64_t MemoryByteStream::Seek(int64_t offset, SeekOrigin origin) {
    const int64_t base = origin == soBeginning ? 0 : (origin == soCurrent ? pos_ : static_cast<int64_t>(data_.size()));
    pos_ = std::max<int64_t>(0, base + offset);
    return pos_;
}

TkaSubStream::TkaSubStream(ByteStream* parent, int64_t offset, int64_t size) : offset_(offset), parent_(parent), size_(size) {
    if (!parent) throw ESubStreamError("A sub stream needs a parent stream.");
    const int64_t parentSize = parent->Size();
    if (offset <= 0 || offset > parentSize || size < 0 || offset + size > parentSize)
        throw ESubStreamError("The sub stream does not lie inside its parent stream.");
    parent_->Seek(offset_, soBeginning);
}

TkaSubStream::~TkaSubStream() {
    if (OnDestroy) OnDestroy(this);
}

int64_t TkaSubStream::Read(void* buffer, int64_t count) {
    const int64_t p = Position();
    if (p + count > size_) count = size_ - p;
    if (count <= 0) return 0;
    // A parent that gives less than asked (a file cut short since) is not
    // papered over: only what arrived counts.
    const int64_t n = parent_->Read(buffer, count);
    position_ += n;
    return n;
}

int64_t TkaSubStream::Write(const void* buffer, int64_t count) {
    if (Position() + count > size_) throw ESubStreamError("Write past end of sub stream.");
    const int64_t n = parent_->Write(buffer, count);
    position_ += n;
    return n;
}

int64_t TkaSubStream::Seek(int64_t offset, SeekOrigin origin) {
    int64_t r = origin == soBeginning ? offset : (origin == soCurrent ? position_ + offset : size_ + offset);
    r = std::max<int64_t>(0, std::min(r, size_));
    parent_->Seek(offset_ + r, soBeginning);
    position_ = r;
    return r;
}

// ---- the wave format holder --------------------------------------------------

namespace {
uint16_t get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t get32(const uint8_t* p) { return get16(p) | (static_cast<uint32_t>(get16(p + 2)) << 16); }
void put16(uint8_t* p, uint16_t v) { p[0] = static_cast<uint8_t>(v); p[1] = static_cast<uint8_t>(v >> 8); }
void put32(uint8_t* p, uint32_t v) { put16(p, static_cast<uint16_t>(v)); put16(p + 2, static_cast<uint16_t>(v >> 16)); }
} // namespace

TkaWaveFormat::TkaWaveFormat() {
    std::memset(buf_, 0, sizeof buf_);
    Reset();
}

void TkaWaveFormat::AssignTo(TkaWaveFormat& dest) const { std::memcpy(dest.buf_, buf_, sizeof buf_); }

bool TkaWaveFormat::IsEqual(const TkaWaveFormat& other) const { return std::memcmp(buf_, other.buf_, sizeof buf_) == 0; }

void TkaWaveFormat::Reset() {
    SetFormatTag(1);
    SetChannels(2);
    SetSamplesPerSec(11025);
    SetAvgBytesPerSec(22050);
    SetBlockAlign(2);
    SetBitsPerSample(8);
    put16(buf_ + 16, 0);
}

uint16_t TkaWaveFormat::FormatTag() const { return get16(buf_); }
void TkaWaveFormat::SetFormatTag(uint16_t v) { put16(buf_, v); }
uint16_t TkaWaveFormat::Channels() const { return get16(buf_ + 2); }
void TkaWaveFormat::SetChannels(uint16_t v) { put16(buf_ + 2, v); }
uint32_t TkaWaveFormat::SamplesPerSec() const { return get32(buf_ + 4); }
void TkaWaveFormat::SetSamplesPerSec(uint32_t v) { put32(buf_ + 4, v); }
uint32_t TkaWaveFormat::AvgBytesPerSec() const { return get32(buf_ + 8); }
void TkaWaveFormat::SetAvgBytesPerSec(uint32_t v) { put32(buf_ + 8, v); }
uint16_t TkaWaveFormat::BlockAlign() const { return get16(buf_ + 12); }
void TkaWaveFormat::SetBlockAlign(uint16_t v) { put16(buf_ + 12, v); }
uint16_t TkaWaveFormat::BitsPerSample() const { return get16(buf_ + 14); }
void TkaWaveFormat::SetBitsPerSample(uint16_t v) { put16(buf_ + 14, v); }

uint16_t TkaWaveFormat::ExtraSize() const { return std::min<uint16_t>(get16(buf_ + 16), kMaxExtraSize); }

void TkaWaveFormat::SetExtraSize(uint16_t v) {
    if (v > kMaxExtraSize) throw EACMError("The wave format buffer is too small.");
    put16(buf_ + 16, v);
}

void TkaWaveFormat::AssignRecord(const uint8_t* record) {
    if (!record) throw std::invalid_argument("AssignRecord needs a wave format record");
    const size_t size = 18u + get16(record + 16);
    if (size > sizeof buf_) throw EACMError("This wave format cannot be assigned because it would cause a buffer overrun");
    std::memcpy(buf_, record, size);
}

std::string TkaWaveFormat::FormatText() const {
    std::string prefix;
    codec::FormatTagDetails tag;
    // An extensible record goes by the name of its sub-format, so a 24-bit
    // file reads "PCM: ..." whichever record it was written with.
    uint16_t named = FormatTag();
    if (named == codec::kTagExtensible && ExtraSize() >= 22) named = get16(buf_ + 24);
    if (codec::formatTagDetails(named, tag) == codec::kOk) prefix = tag.name.substr(0, 48) + ": ";
    std::string description;
    if (codec::formatDetails(buf_, sizeof buf_, description) != codec::kOk) return std::string();
    return prefix + description.substr(0, 128);
}

bool TkaWaveFormat::Choose(const std::string& title) {
    uint8_t scratch[kBufferSize];
    std::memcpy(scratch, buf_, sizeof scratch);
    FormatChooseRequest req;
    req.title = title;
    req.format = scratch;
    req.formatSize = sizeof scratch;
    req.style = kChooseInitToFormat;
    req.enumFlags = ChooseRestriction == 1 ? uint32_t(codec::kEnumInput) : (ChooseRestriction == 2 ? uint32_t(codec::kEnumOutput) : 0u);
    const int result = formatChoose(req);
    if (result == codec::kErrCanceled) return false;
    // The chooser's own code, not a stand-in, so the message says what failed.
    RaiseACMError<EACMConversionError>(result, "Error selecting format.");
    if (get16(scratch + 16) > kMaxExtraSize)
        throw EACMConversionError(ACMErrorMessage(codec::kErrInvalidParam, "Error selecting format."));
    std::memcpy(buf_, scratch, sizeof buf_);
    return true;
}

void TkaWaveFormat::WriteFormatBuffer(ByteStream& s) const { s.WriteBuffer(buf_, sizeof buf_); }
void TkaWaveFormat::ReadFormatBuffer(ByteStream& s) { s.ReadBuffer(buf_, sizeof buf_); }

// ---- publish and subscribe ---------------------------------------------------

AudioComponent::~AudioComponent() { NotifyDestroying(); }

void AudioComponent::NotifyDestroying() {
    // Listeners may remove themselves while being told.
    while (!listeners_.empty()) {
        ComponentListener* l = listeners_.back();
        listeners_.pop_back();
        l->ComponentDestroyed(this);
    }
}

void AudioComponent::FreeNotification(ComponentListener* l) {
    if (std::find(listeners_.begin(), listeners_.end(), l) == listeners_.end()) listeners_.push_back(l);
}

void AudioComponent::RemoveFreeNotification(ComponentListener* l) {
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), l), listeners_.end());
}

void TkaAudioSubject::AttachObserver(IkaAudioObserver* observer) { observers_.push_back(observer); }

void TkaAudioSubject::DetachObserver(IkaAudioObserver* observer) {
    auto it = std::find(observers_.begin(), observers_.end(), observer);
    if (it != observers_.end()) observers_.erase(it);
}

void TkaAudioSubject::Notify(IkaAudioSubject* sender, const void* audioData, int32_t audioDataSize) {
    size_t i = 0;
    while (i < observers_.size()) {
        IkaAudioObserver* o = observers_[i];
        try {
            o->AudioDataReceived(sender, audioData, audioDataSize);
        } catch (const std::exception& e) {
            bool raise = RaiseExceptionDefault;
            if (OnObserverError) OnObserverError(this, o, e, raise);
            if (raise) throw;
        }
        if (i < observers_.size() && observers_[i] == o) ++i;
    }
}

TkaAudioObserver::~TkaAudioObserver() {
    if (subject_) {
        if (IkaAudioSubject* s = subject_->QueryAudioSubject()) s->DetachObserver(this);
        subject_->RemoveFreeNotification(this);
    }
}

void TkaAudioObserver::SetSubject(AudioComponent* component) {
    if (component == &owner_) throw EACMError("Component cannot observe itself.");
    if (component && !component->QueryAudioSubject()) throw EACMError("The selected component is not an audio subject.");
    if (subject_) {
        if (IkaAudioSubject* s = subject_->QueryAudioSubject()) s->DetachObserver(this);
        subject_->RemoveFreeNotification(this);
    }
    subject_ = component;
    if (subject_) {
        subject_->FreeNotification(this);
        subject_->QueryAudioSubject()->AttachObserver(this);
    }
}

void TkaAudioObserver::AudioDataReceived(IkaAudioSubject* subject, const void* audioData, int32_t audioDataSize) {
    if (OnAudioData) OnAudioData(subject, audioData, audioDataSize);
}

void TkaAudioObserver::ComponentDestroyed(AudioComponent* component) {
    if (component == subject_) subject_ = nullptr;
}

} // namespace sv
