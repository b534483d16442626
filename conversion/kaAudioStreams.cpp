#include "conversion/kaAudioStreams.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace sv {

namespace {

void putU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
uint32_t getU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

// The RIFF sizes are 32 bits; a larger file gets the largest value rather
// than a wrapped one that would make readers stop early.
uint32_t clampSize(int64_t v) {
    return static_cast<uint32_t>(std::max<int64_t>(0, std::min<int64_t>(v, std::numeric_limits<uint32_t>::max())));
}

[[noreturn]] void invalidFile() { throw EACMAudioReadError("Invalid file format."); }

bool plausibleId(const uint8_t* p) {
    for (int i = 0; i < 4; ++i)
        if (p[i] < 0x20 || p[i] > 0x7e) return false;
    return true;
}

} // namespace

TkaAbstractAudioStream::TkaAbstractAudioStream(ByteStream* stream) : stream_(stream) {
    if (!stream) throw std::invalid_argument("An audio stream needs a file stream");
}

// ---- writers -----------------------------------------------------------------

TkaAbstractAudioWriter::TkaAbstractAudioWriter(ByteStream* stream) : TkaAbstractAudioStream(stream) {
    StartPosition = stream->Position();
}

TkaAbstractAudioWriter::~TkaAbstractAudioWriter() = default;

void TkaAbstractAudioWriter::WriteAudio(const void* buffer, int64_t count) {
    const bool first = BytesWritten == 0;
    if (first) WriteHeader();
    WriteData(buffer, count);
    BytesWritten += count;
    if (first) AfterFirstWrite();
}

void TkaAbstractAudioWriter::Close() {
    if (finished_ || BytesWritten <= 0) return;
    finished_ = true;
    FinishWriting();
}

void TkaAbstractAudioWriter::FinishOnDestroy() noexcept {
    try {
        Close();
    } catch (...) {
        // A destructor must not throw; Close() is where callers see failures.
    }
}

void TkaRIFFAudioWriter::WriteHeader() {
    if (Format.FormatTag() == 0) throw std::logic_error("A RIFF WAVE file cannot be written with format tag 0");
    const uint32_t n = Format.FormatTag() == 1 ? 16u : 18u + Format.ExtraSize();
    uint8_t head[20];
    std::memcpy(head, "RIFF", 4);
    putU32(head + 4, 0);
    std::memcpy(head + 8, "WAVEfmt ", 8);
    putU32(head + 16, n);
    stream_->WriteBuffer(head, 20);
    stream_->WriteBuffer(Format.FormatRecord(), n);
    DataChunkPosition = stream_->Position();
    uint8_t data[8];
    std::memcpy(data, "data", 4);
    putU32(data + 4, 0);
    stream_->WriteBuffer(data, 8);
}

void TkaRIFFAudioWriter::WriteData(const void* buffer, int64_t count) { stream_->WriteBuffer(buffer, count); }

void TkaRIFFAudioWriter::FinishWriting() {
    const int64_t end = stream_->Position();
    uint8_t v[4];
    putU32(v, clampSize(end - StartPosition - 8));
    stream_->Seek(StartPosition + 4, soBeginning);
    stream_->WriteBuffer(v, 4);
    putU32(v, clampSize(end - DataChunkPosition - 8));
    stream_->Seek(DataChunkPosition + 4, soBeginning);
    stream_->WriteBuffer(v, 4);
    stream_->Seek(end, soBeginning);
}

// ---- readers -----------------------------------------------------------------

TkaAbstractAudioReader::~TkaAbstractAudioReader() {
    while (!subStreams_.empty()) delete subStreams_.back();   // each removes itself
}

TkaSubStream* TkaAbstractAudioReader::TrackDataStream(int32_t track) {
    SeekToTrackData(track);
    auto* s = new TkaSubStream(stream_, stream_->Position(), TrackDataSize(CurrentTrack));
    s->OnDestroy = [this](TkaSubStream* gone) {
        subStreams_.erase(std::remove(subStreams_.begin(), subStreams_.end(), gone), subStreams_.end());
    };
    subStreams_.push_back(s);
    return s;
}

int64_t TkaAbstractAudioReader::LastTrack() {
    const int64_t r = SeekToTrackData(TrackCount() - 1);
    EndOfTracks = true;
    return r;
}

int64_t TkaAbstractAudioReader::NextTrack() {
    if (TrackCount() == CurrentTrack + 1) {
        EndOfTracks = true;
        return TrackCount() - 1;
    }
    return SeekToTrackData(CurrentTrack + 1);
}

TkaRIFFAudioReader::TkaRIFFAudioReader(ByteStream* stream) : TkaAbstractAudioReader(stream) {
    const int64_t fileSize = stream_->Size();
    uint8_t head[12];
    if (stream_->Read(head, 12) != 12) invalidFile();
    if (std::memcmp(head, "RIFF", 4) != 0 || getU32(head + 4) == 0 || std::memcmp(head + 8, "WAVE", 4) != 0) invalidFile();

    bool haveFormat = false, haveData = false;
    int64_t pos = stream_->Position();
    // Positions only grow (sizes are unsigned), so the walk always ends.
    while (pos + 8 <= fileSize && !(haveFormat && haveData)) {
        uint8_t chunk[8];
        stream_->Seek(pos, soBeginning);
        if (stream_->Read(chunk, 8) != 8) break;
        char id[5] = {0};
        for (int i = 0; i < 4; ++i) id[i] = static_cast<char>(std::toupper(chunk[i]));
        const uint32_t size = getU32(chunk + 4);
        const int64_t body = pos + 8;
        if (std::strcmp(id, "FMT ") == 0) {
            if (size > static_cast<uint32_t>(TkaWaveFormat::kBufferSize)) invalidFile();
            if (body + size > fileSize) invalidFile();
            Format.Reset();
            stream_->ReadBuffer(Format.FormatRecord(), size);
            uint8_t* r = Format.FormatRecord();
            // The codecs read 18 + extra size bytes of the record: an extra
            // size the chunk does not hold would send them past it. A chunk
            // without the field (shorter than 18 bytes) has no extra bytes.
            if (size < 18) r[16] = r[17] = 0;
            const uint32_t extra = static_cast<uint32_t>(r[16]) | (static_cast<uint32_t>(r[17]) << 8);
            if (Format.FormatTag() != 1 && extra > 0 && 18 + extra > size) invalidFile();
            haveFormat = true;
        } else if (std::strcmp(id, "DATA") == 0) {
            DataOffset = body;
            DeclaredDataSize = size;
            // A chunk that claims more than the file holds ends with the file.
            ChunkDataSize = std::min<int64_t>(size, fileSize - body);
            haveData = true;
        }
        int64_t next = body + size;
        if ((size & 1) && next < fileSize) {
            // Odd chunks carry a pad byte, unless their writer left it out:
            // take the pad unless a chunk identifier starts right at the odd end.
            uint8_t look[4] = {0};
            stream_->Seek(next, soBeginning);
            const bool headerHere = stream_->Read(look, 4) == 4 && plausibleId(look);
            if (!headerHere) next += 1;
        }
        pos = next;
    }
    if (!(haveFormat && haveData)) invalidFile();
}

int64_t TkaRIFFAudioReader::SeekToTrackData(int32_t) { return stream_->Seek(DataOffset, soBeginning); }

int64_t TkaRIFFAudioReader::ReadTrackData(int32_t, void* buffer, int64_t count) {
    stream_->Seek(DataOffset, soBeginning);
    return stream_->Read(buffer, std::min(ChunkDataSize, count));
}

} // namespace sv
