#include "platform/cd/cd_commands.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "platform/cd/cdio_drive.h"
#include "platform/cd/simulated_drive.h"

namespace sv {

namespace {

std::unique_ptr<CdDrive>& driveSlot() {
    static std::unique_ptr<CdDrive> drive;
    return drive;
}

std::unique_ptr<CdDrive> chooseDrive() {
    const char* env = std::getenv("SONVELA_CD");
    const std::string choice = env ? env : "";
    if (choice == "simulated") return std::make_unique<SimulatedCdDrive>();
    // Without a drive this is a drive that answers every command with "no
    // drive": a fake disc would only pretend to play.
    if (choice.empty() || choice == "device") return std::make_unique<CdioDrive>();
    return std::make_unique<CdioDrive>(choice);
}

std::vector<std::string> words(const std::string& command) {
    std::vector<std::string> out;
    std::istringstream in(command);
    std::string w;
    while (in >> w) {
        for (char& c : w) c = char(std::tolower(static_cast<unsigned char>(c)));
        out.push_back(w);
    }
    return out;
}

bool parseNumber(const std::string& text, int64_t& value) {
    if (text.empty() || text.size() > 10) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

// The tail of the command must be exactly these words.
bool is(const std::vector<std::string>& w, size_t from, std::initializer_list<const char*> rest) {
    if (w.size() != from + rest.size()) return false;
    size_t i = from;
    for (const char* r : rest)
        if (w[i++] != r) return false;
    return true;
}

// End of the music: a data track after the first track (the data session
// of an enhanced disc) ends it, else the lead-out.
int32_t audioEnd(const CdToc& toc) {
    for (size_t i = 1; i < toc.tracks.size(); ++i)
        if (!toc.tracks[i].audio && toc.tracks[i - 1].audio) return toc.tracks[i].start;
    return toc.leadout;
}

int32_t trackEnd(const CdToc& toc, size_t index) {
    return index + 1 < toc.tracks.size() ? toc.tracks[index + 1].start : toc.leadout;
}

// Index of the track holding a frame (the first track for frames before it).
size_t trackAt(const CdToc& toc, int32_t frame) {
    size_t found = 0;
    for (size_t i = 0; i < toc.tracks.size(); ++i)
        if (toc.tracks[i].start <= frame) found = i;
    return found;
}

// Reads "track N" at w[at], w[at+1] into a track index of the table.
int trackIndex(const std::vector<std::string>& w, size_t at, const CdToc& toc, size_t& index) {
    int64_t n = 0;
    if (w.size() <= at + 1) return kCdMissingValue;
    if (!parseNumber(w[at + 1], n)) return kCdBadValue;
    const int64_t i = n - toc.firstTrack;
    if (i < 0 || i >= int64_t(toc.tracks.size())) return kCdBadTrack;
    index = size_t(i);
    return kCdOk;
}

const char* modeText(CdMode m) {
    switch (m) {
        case CdMode::Playing: return "playing";
        case CdMode::Paused: return "paused";
        case CdMode::Stopped: return "stopped";
        case CdMode::Open: return "open";
        case CdMode::NotReady: break;
    }
    return "not ready";
}

int statusCommand(CdDrive& d, const std::vector<std::string>& w, std::string& answer) {
    if (is(w, 2, {"media", "present"})) {
        d.refresh();
        CdToc toc;
        const int rc = d.readToc(toc);
        if (rc == kCdNoDisc) answer = "false";
        else if (rc == kCdOk) answer = "true";
        return rc == kCdNoDisc ? kCdOk : rc;
    }
    if (is(w, 2, {"mode"})) {
        CdStatus s;
        if (int rc = d.status(s)) return rc;
        answer = modeText(s.mode);
        return kCdOk;
    }
    enum class Query { Tracks, Current, Length, Position, TrackType, TrackLength, TrackPosition };
    Query q;
    if (is(w, 2, {"number", "of", "tracks"})) q = Query::Tracks;
    else if (is(w, 2, {"current", "track"})) q = Query::Current;
    else if (is(w, 2, {"length"})) q = Query::Length;
    else if (is(w, 2, {"position"})) q = Query::Position;
    else if (w.size() >= 3 && (w[2] == "type" || w[2] == "length" || w[2] == "position")) {
        if (w.size() > 3 && w[3] != "track") return kCdUnknownCommand;
        if (w.size() < 5) return kCdMissingValue;
        if (w.size() > 5) return kCdUnknownCommand;
        q = w[2] == "type" ? Query::TrackType : w[2] == "length" ? Query::TrackLength : Query::TrackPosition;
    } else {
        return kCdUnknownCommand;
    }

    CdToc toc;
    if (int rc = d.readToc(toc)) return rc;
    if (q == Query::Tracks) {
        answer = std::to_string(toc.tracks.size());
        return kCdOk;
    }
    if (q == Query::Length) {
        answer = cdTimeText(audioEnd(toc));
        return kCdOk;
    }
    if (q == Query::Current || q == Query::Position) {
        CdStatus s;
        if (int rc = d.status(s)) return rc;
        if (q == Query::Current) answer = std::to_string(toc.firstTrack + int(trackAt(toc, s.position)));
        else answer = cdTimeText(s.position);
        return kCdOk;
    }
    size_t i = 0;
    if (int rc = trackIndex(w, 3, toc, i)) return rc;
    if (q == Query::TrackType) answer = toc.tracks[i].audio ? "audio" : "other";
    else if (q == Query::TrackLength) answer = cdTimeText(trackEnd(toc, i) - toc.tracks[i].start);
    else answer = cdTimeText(toc.tracks[i].start);
    return kCdOk;
}

int playCommand(CdDrive& d, const std::vector<std::string>& w) {
    CdToc toc;
    if (int rc = d.readToc(toc)) return rc;
    int32_t from = toc.tracks.front().start;
    if (w.size() == 2) {
        CdStatus s;
        if (int rc = d.status(s)) return rc;
        if (s.mode == CdMode::Paused) return d.resume();
    } else if (w[2] != "from") {
        return kCdUnknownCommand;
    } else if (w.size() == 3) {
        return kCdMissingValue;
    } else if (w.size() > 4) {
        return kCdUnknownCommand;
    } else if (!parseCdTime(w[3], from)) {
        return kCdBadValue;
    }
    const int32_t end = audioEnd(toc);
    if (from < toc.tracks.front().start || from >= end) return kCdOutOfRange;
    if (!toc.tracks[trackAt(toc, from)].audio) return kCdDataTrack;
    return d.play(from, end);
}

} // namespace

CdDrive& cdDrive() {
    auto& slot = driveSlot();
    if (!slot) slot = chooseDrive();
    return *slot;
}

void setCdDrive(std::unique_ptr<CdDrive> drive) { driveSlot() = std::move(drive); }

std::string cdTimeText(int32_t frames) {
    if (frames < 0) frames = 0;
    const int32_t seconds = frames / kCdFramesPerSecond;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", int(seconds / 60), int(seconds % 60),
                  int(frames % kCdFramesPerSecond));
    return buf;
}

bool parseCdTime(const std::string& text, int32_t& frames) {
    int64_t field[3] = {0, 0, 0};
    if (text.find(':') == std::string::npos) {
        int64_t packed = 0;
        if (!parseNumber(text, packed) || packed > 0xFFFFFF) return false;
        field[0] = packed & 0xFF;
        field[1] = (packed >> 8) & 0xFF;
        field[2] = (packed >> 16) & 0xFF;
    } else {
        size_t n = 0, start = 0;
        while (true) {
            const size_t colon = text.find(':', start);
            if (n == 3) return false;
            if (!parseNumber(text.substr(start, colon - start), field[n++])) return false;
            if (colon == std::string::npos) break;
            start = colon + 1;
        }
    }
    if (field[0] > 99 || field[1] > 59 || field[2] >= kCdFramesPerSecond) return false;
    frames = int32_t((field[0] * 60 + field[1]) * kCdFramesPerSecond + field[2]);
    return true;
}

namespace {

// The refusal of the last command that met a disc image with a bad sheet,
// for its error text.
std::string& lastRefusal() {
    static std::string text;
    return text;
}

int runCommand(const std::string& command, std::string& answer) {
    const std::vector<std::string> w = words(command);
    if (w.empty()) return kCdUnknownCommand;
    const std::string& verb = w[0];
    if (verb != "status" && verb != "play" && verb != "pause" && verb != "stop" && verb != "set")
        return kCdUnknownCommand;
    if (w.size() < 2) return kCdUnknownDevice;
    if (w[1] != "cdaudio") return kCdUnknownDevice;
    CdDrive& d = cdDrive();
    if (verb == "status") return statusCommand(d, w, answer);
    if (verb == "play") return playCommand(d, w);
    if (verb == "set") {
        if (is(w, 2, {"door", "open"})) return d.setDoor(true);
        if (is(w, 2, {"door", "closed"})) return d.setDoor(false);
        return kCdUnknownCommand;
    }
    if (w.size() != 2) return kCdUnknownCommand;
    CdToc toc;
    if (int rc = d.readToc(toc)) return rc;
    return verb == "pause" ? d.pause() : d.stop();
}

} // namespace

int mciSendString(const std::string& command, std::string& answer) {
    answer.clear();
    const int rc = runCommand(command, answer);
    if (rc == kCdBadSheet) lastRefusal() = cdDrive().refusal();
    return rc;
}

std::string mciGetErrorString(int error) {
    switch (error) {
        case kCdOk: return "The command succeeded.";
        case kCdUnknownCommand: return "The CD device does not know this command.";
        case kCdUnknownDevice: return "The command names a device that does not exist.";
        case kCdMissingValue: return "The command lacks a value it needs.";
        case kCdBadValue: return "A value in the command is not valid.";
        case kCdNoDrive: return "No CD drive was found.";
        case kCdNoDisc: return "The CD drive is not ready: there is no disc in it, or its tray is open.";
        case kCdBadTrack: return "This track number is not on the disc.";
        case kCdOutOfRange: return "The position is outside the music on the disc.";
        case kCdDataTrack: return "This part of the disc holds data, not music.";
        case kCdDriveFailure: return "The CD drive could not carry out the command.";
        case kCdNoSound: return "There is no sound device to play the CD on.";
        case kCdBadSheet:
            return lastRefusal().empty() ? "The sheet of the CD image is not valid." : lastRefusal();
        default: break;
    }
    return "Unknown CD device error " + std::to_string(error) + ".";
}

} // namespace sv
