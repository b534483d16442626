// The conversion library's common ground: its exceptions, the wave format
// holder, byte streams with the sub-stream window, and the publish and
// subscribe contract through which its components pass audio to each other.
#pragma once
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace sv {

// ---- exceptions ------------------------------------------------------------

class EACMError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
class EACMCodecError : public EACMError { public: using EACMError::EACMError; };
class EACMConversionError : public EACMError { public: using EACMError::EACMError; };
class EACMAudioStreamError : public EACMError { public: using EACMError::EACMError; };
class EACMAudioReadError : public EACMAudioStreamError { public: using EACMAudioStreamError::EACMAudioStreamError; };
class EACMControlError : public EACMError { public: using EACMError::EACMError; };
class EOscilloscopeError : public EACMControlError { public: using EACMControlError::EACMControlError; };
class ESubStreamError : public std::runtime_error { public: using std::runtime_error::runtime_error; };

// The message for a codec result code: Prefix, a CR LF line break when
// Prefix is not empty, then the code's text.
std::string ACMErrorMessage(int code, const std::string& prefix);

// Does nothing for 0; otherwise throws E with ACMErrorMessage(code, prefix).
template <class E = EACMError>
void RaiseACMError(int code, const std::string& prefix = std::string()) {
    if (code != 0) throw E(ACMErrorMessage(code, prefix));
}

// ---- byte streams ----------------------------------------------------------

enum SeekOrigin { soBeginning = 0, soCurrent = 1, soEnd = 2 };

// A seekable stream of bytes. Position and Size are derived from Seek, so a
// stream only has to say how it reads, writes and seeks.
class ByteStream {
public:
    virtual ~ByteStream() = default;
    // Read and Write return how many bytes they moved.
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    virtual int64_t Seek(int64_t offset, SeekOrigin origin) = 0;
    int64_t Position() { return Seek(0, soCurrent); }
    void SetPosition(int64_t p) { Seek(p, soBeginning); }
    virtual int64_t Size();
    // Whole transfers: a short one is an input/output error (sv::FileIOError).
    void ReadBuffer(void* buffer, int64_t count);
    void WriteBuffer(const void* buffer, int64_t count);
};

class FileByteStream : public ByteStream {
public:
    // nullptr with errno set when the file cannot be opened or created.
    static std::unique_ptr<FileByteStream> OpenRead(const std::string& path);
    // Creates or empties the file (through sv::createFile, so tests can fail it).
    static std::unique_ptr<FileByteStream> Create(const std::string& path);
    // Over a file opened elsewhere (e.g. a SafeFileWriter's), not closed
    // here. `name` is the file the user knows it by, for the messages of
    // failed reads and writes.
    explicit FileByteStream(std::FILE* f, bool owns = false, std::string name = {})
        : f_(f), owns_(owns), name_(std::move(name)) {}
    ~FileByteStream() override;
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    std::FILE* file() { return f_; }

private:
    // "Cannot write "<name>": <reason>." (without a name, "<what> error").
    [[noreturn]] void fail(const char* what, const char* verb) const;

    std::FILE* f_;
    bool owns_;
    std::string name_;
};

class MemoryByteStream : public ByteStream {
public:
    MemoryByteStream() = default;
    explicit MemoryByteStream(std::vector<uint8_t> data) : data_(std::move(data)) {}
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    const std::vector<uint8_t>& data() const { return data_; }

private:
    std::vector<uint8_t> data_;
    int64_t pos_ = 0;
};

// A window of fixed size onto another stream (not owned). Positions run
// from 0 to the window's size; reads stop at its end and writes past it are
// refused with "Write past end of sub stream.".
class TkaSubStream : public ByteStream {
public:
    // The window must lie inside the parent: 0 < offset <= parent size and
    // offset + size <= parent size (an empty window may sit at the very end).
    TkaSubStream(ByteStream* parent, int64_t offset, int64_t size);
    ~TkaSubStream() override;
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    int64_t Size() override { return size_; }
    int64_t Offset() const { return offset_; }
    std::function<void(TkaSubStream*)> OnDestroy;

private:
    int64_t position_ = 0;
    int64_t offset_;
    ByteStream* parent_;
    int64_t size_;
};

// ---- the wave format holder --------------------------------------------------

// A WAVE format record with room for the extra bytes of compressed formats.
// Equality is byte for byte over the whole 512-byte buffer, extra bytes and
// whatever lies past them included.
class TkaWaveFormat {
public:
    static constexpr int kBufferSize = 512;
    static constexpr int kMaxExtraSize = kBufferSize - 18;

    TkaWaveFormat();
    virtual ~TkaWaveFormat() = default;
    TkaWaveFormat(const TkaWaveFormat& other) { other.AssignTo(*this); }
    TkaWaveFormat& operator=(const TkaWaveFormat& other) { Assign(other); return *this; }

    virtual void AssignTo(TkaWaveFormat& dest) const;
    void Assign(const TkaWaveFormat& source) { source.AssignTo(*this); }
    virtual bool IsEqual(const TkaWaveFormat& other) const;
    // PCM, stereo, 11025 Hz, 8 bits; bytes past the 18-byte record are kept.
    virtual void Reset();

    uint16_t FormatTag() const;
    void SetFormatTag(uint16_t v);
    uint16_t Channels() const;
    void SetChannels(uint16_t v);
    uint32_t SamplesPerSec() const;
    void SetSamplesPerSec(uint32_t v);
    uint32_t AvgBytesPerSec() const;
    void SetAvgBytesPerSec(uint32_t v);
    uint16_t BlockAlign() const;
    void SetBlockAlign(uint16_t v);
    uint16_t BitsPerSample() const;
    void SetBitsPerSample(uint16_t v);
    // Capped at kMaxExtraSize when read; a larger value is refused.
    uint16_t ExtraSize() const;
    void SetExtraSize(uint16_t v);

    uint8_t* FormatRecord() { return buf_; }
    const uint8_t* FormatRecord() const { return buf_; }
    // Copies 18 + the record's extra size bytes over the buffer's start.
    void AssignRecord(const uint8_t* record);
    // "Tag name: description", or "" when no codec describes the format.
    std::string FormatText() const;
    // Lets the user pick a format, starting at this one. True when one was
    // chosen and stored, false when cancelled; a failing chooser raises
    // EACMConversionError.
    bool Choose(const std::string& title);
    // 0 offers every format, 1 those that can be converted from, 2 those
    // that can be produced.
    uint8_t ChooseRestriction = 0;

    // The stored form of the holder: exactly the 512 buffer bytes.
    void WriteFormatBuffer(ByteStream& s) const;
    void ReadFormatBuffer(ByteStream& s);

private:
    uint8_t buf_[kBufferSize];
};

// ---- publish and subscribe ---------------------------------------------------

class IkaAudioObserver;
class AudioComponent;

class IkaAudioSubject {
public:
    virtual ~IkaAudioSubject() = default;
    virtual void AttachObserver(IkaAudioObserver* observer) = 0;
    virtual void DetachObserver(IkaAudioObserver* observer) = 0;
    virtual TkaWaveFormat& AudioFormat() = 0;
};

class IkaAudioObserver {
public:
    virtual ~IkaAudioObserver() = default;
    virtual void AudioDataReceived(IkaAudioSubject* subject, const void* audioData, int32_t audioDataSize) = 0;
};

// Sender, observer, the exception it raised, and whether to re-raise it.
using TObserverErrorEvent =
    std::function<void(IkaAudioSubject* sender, IkaAudioObserver* observer, const std::exception& e, bool& raiseException)>;

// Told when a component it watches is destroyed.
class ComponentListener {
public:
    virtual ~ComponentListener() = default;
    virtual void ComponentDestroyed(AudioComponent* component) = 0;
};

// A component of the library: a publisher when it answers QueryAudioSubject,
// a subscriber when it answers QueryAudioObserver. Derived classes call
// NotifyDestroying() first in their destructors so that watchers let go
// before any member is torn down.
class AudioComponent {
public:
    AudioComponent() = default;
    AudioComponent(const AudioComponent&) = delete;
    AudioComponent& operator=(const AudioComponent&) = delete;
    virtual ~AudioComponent();
    virtual IkaAudioSubject* QueryAudioSubject() { return nullptr; }
    virtual IkaAudioObserver* QueryAudioObserver() { return nullptr; }
    void FreeNotification(ComponentListener* l);
    void RemoveFreeNotification(ComponentListener* l);

protected:
    void NotifyDestroying();

private:
    std::vector<ComponentListener*> listeners_;
};

class TkaAudioSubject : public IkaAudioSubject {
public:
    // `format` belongs to the owner and is what AudioFormat() returns.
    TkaAudioSubject(AudioComponent& owner, TkaWaveFormat& format) : owner_(owner), format_(format) {}
    void AttachObserver(IkaAudioObserver* observer) override;
    void DetachObserver(IkaAudioObserver* observer) override;
    TkaWaveFormat& AudioFormat() override { return format_; }
    // Hands a block to every observer in the order attached. An observer's
    // exception goes to OnObserverError and is re-raised unless the handler
    // clears its flag; an observer that detaches itself during the call does
    // not make the next one be skipped.
    void Notify(IkaAudioSubject* sender, const void* audioData, int32_t audioDataSize);
    size_t ObserverCount() const { return observers_.size(); }
    AudioComponent& Owner() { return owner_; }

    TObserverErrorEvent OnObserverError;
    bool RaiseExceptionDefault = true;

private:
    AudioComponent& owner_;
    TkaWaveFormat& format_;
    std::vector<IkaAudioObserver*> observers_;
};

using TAudioDataCallback = std::function<void(IkaAudioSubject* subject, const void* audioData, int32_t audioDataSize)>;

class TkaAudioObserver : public IkaAudioObserver, private ComponentListener {
public:
    explicit TkaAudioObserver(AudioComponent& owner) : owner_(owner) {}
    ~TkaAudioObserver() override;
    // Refuses the owner itself ("Component cannot observe itself.") and a
    // component that publishes nothing ("The selected component is not an
    // audio subject."), keeping the old subject in both cases.
    void SetSubject(AudioComponent* component);
    AudioComponent* Subject() const { return subject_; }
    void AudioDataReceived(IkaAudioSubject* subject, const void* audioData, int32_t audioDataSize) override;

    TAudioDataCallback OnAudioData;

private:
    void ComponentDestroyed(AudioComponent* component) override;
    AudioComponent& owner_;
    AudioComponent* subject_ = nullptr;
};

} // namespace sv
