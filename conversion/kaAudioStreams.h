// Audio file streams around the converter: a reader finds a file's format
// and hands out its audio bytes as a sub-stream; a writer puts a header in
// front of the bytes it is given and fixes the header's sizes at the end.
// RIFF WAVE is the one file type. The file stream stays the caller's: it
// must outlive the reader or writer made on it.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "conversion/kaCommon.h"

namespace sv {

class TkaAbstractAudioStream {
public:
    explicit TkaAbstractAudioStream(ByteStream* stream);
    virtual ~TkaAbstractAudioStream() = default;
    TkaAbstractAudioStream(const TkaAbstractAudioStream&) = delete;
    TkaAbstractAudioStream& operator=(const TkaAbstractAudioStream&) = delete;
    virtual void SetFormat(const TkaWaveFormat& f) { Format.Assign(f); }
    virtual TkaWaveFormat& GetFormat() { return Format; }
    ByteStream* Stream() const { return stream_; }

    TkaWaveFormat Format;

protected:
    ByteStream* stream_;
};

class TkaAbstractAudioWriter : public TkaAbstractAudioStream {
public:
    explicit TkaAbstractAudioWriter(ByteStream* stream);
    // Finishes the file when anything was written; an error then is
    // swallowed, so call Close() first where it must be seen.
    ~TkaAbstractAudioWriter() override;
    // The header goes out with the first block; a writer never given audio
    // writes nothing at all.
    void WriteAudio(const void* buffer, int64_t count);
    // Fixes the header now (once); failures of the file stream propagate.
    void Close();

    int64_t BytesWritten = 0;
    int64_t StartPosition = 0;

protected:
    virtual void FinishWriting() {}
    virtual void AfterFirstWrite() {}
    virtual void WriteHeader() {}
    virtual void WriteData(const void* buffer, int64_t count) = 0;
    // Derived destructors call this first, while their overrides still exist.
    void FinishOnDestroy() noexcept;

private:
    bool finished_ = false;
};

class TkaAbstractAudioReader : public TkaAbstractAudioStream {
public:
    explicit TkaAbstractAudioReader(ByteStream* stream) : TkaAbstractAudioStream(stream) {}
    // Frees every sub-stream still handed out.
    ~TkaAbstractAudioReader() override;
    TkaWaveFormat& GetFormat() override { return TrackFormat(CurrentTrack); }

    virtual int32_t TrackCount() = 0;
    virtual TkaWaveFormat& TrackFormat(int32_t track) { (void)track; return Format; }
    virtual int64_t TrackDataSize(int32_t track) = 0;
    virtual int64_t SeekToTrackData(int32_t track) = 0;
    virtual int64_t ReadTrackData(int32_t track, void* buffer, int64_t count) = 0;
    virtual int64_t LastTrack();
    virtual int64_t NextTrack();

    // A window onto the track's audio bytes, owned by the reader until the
    // caller deletes it (which is allowed at any time before the reader goes).
    TkaSubStream* TrackDataStream(int32_t track);
    TkaSubStream* DataStream() { return TrackDataStream(CurrentTrack); }
    int64_t DataSize() { return TrackDataSize(CurrentTrack); }
    size_t OpenSubStreams() const { return subStreams_.size(); }

    int32_t CurrentTrack = 0;
    bool EndOfTracks = false;

private:
    std::vector<TkaSubStream*> subStreams_;
};

// Writes "RIFF" size "WAVE", a "fmt " chunk (16 bytes for PCM, else the
// record with its extra bytes), "data" size and the audio bytes unchanged.
// Both sizes are 0 until the writer finishes. This layout is read back by
// other programs; keep it.
class TkaRIFFAudioWriter : public TkaAbstractAudioWriter {
public:
    explicit TkaRIFFAudioWriter(ByteStream* stream) : TkaAbstractAudioWriter(stream) {}
    ~TkaRIFFAudioWriter() override { FinishOnDestroy(); }
    int64_t DataChunkPosition = 0;

protected:
    void FinishWriting() override;
    void WriteHeader() override;
    void WriteData(const void* buffer, int64_t count) override;
};

// Walks a RIFF WAVE file's chunks for "fmt " and "data" (identifiers in any
// letter case, in any order, other chunks skipped). Every failure raises
// EACMAudioReadError "Invalid file format.".
class TkaRIFFAudioReader : public TkaAbstractAudioReader {
public:
    explicit TkaRIFFAudioReader(ByteStream* stream);
    int32_t TrackCount() override { return 1; }
    TkaWaveFormat& TrackFormat(int32_t) override { return Format; }
    int64_t TrackDataSize(int32_t) override { return ChunkDataSize; }
    int64_t SeekToTrackData(int32_t track) override;
    // Reads from the start of the data every time.
    int64_t ReadTrackData(int32_t track, void* buffer, int64_t count) override;

    int64_t DataOffset = 0;
    // The data chunk's size, cut to what the file holds.
    int64_t ChunkDataSize = 0;
    // The size the chunk declared.
    uint32_t DeclaredDataSize = 0;
};

} // namespace sv
