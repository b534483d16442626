// Animated cursor files built byte by byte for the tests (and the fuzzing
// seed): RIFF "ACON" with its chunks, and small one-colour icon files.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace anitest {

using Bytes = std::vector<uint8_t>;

inline void put16(Bytes& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
inline void put32(Bytes& b, uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}
inline void putId(Bytes& b, const char* id) { b.insert(b.end(), id, id + 4); }

// A chunk: identifier, size, body and the pad byte of an odd size.
inline Bytes chunk(const char* id, const Bytes& body) {
    Bytes b;
    putId(b, id);
    put32(b, uint32_t(body.size()));
    b.insert(b.end(), body.begin(), body.end());
    if (body.size() & 1) b.push_back(0);
    return b;
}
inline Bytes list(const char* type, const std::vector<Bytes>& subs) {
    Bytes body;
    putId(body, type);
    for (const Bytes& s : subs) body.insert(body.end(), s.begin(), s.end());
    return chunk("LIST", body);
}

// A 4 x 4 icon (type 1) or cursor (type 2) of 4 bits per pixel, every pixel
// of colour (r, g, b); hot spot (hx, hy) in the entry.
inline Bytes iconFile(uint8_t r, uint8_t g, uint8_t b, int type = 1, int hx = 0, int hy = 0) {
    Bytes f;
    put16(f, 0);
    put16(f, uint32_t(type));
    put16(f, 1);
    const uint32_t imageSize = 40 + 16 * 4 + 16 + 16;
    f.push_back(4);   // width
    f.push_back(4);   // height
    f.push_back(16);  // colours
    f.push_back(0);
    put16(f, uint32_t(type == 2 ? hx : 1));
    put16(f, uint32_t(type == 2 ? hy : 4));
    put32(f, imageSize);
    put32(f, 22);
    // Bitmap header: the height counts the colour rows and the mask rows.
    put32(f, 40);
    put32(f, 4);
    put32(f, 8);
    put16(f, 1);
    put16(f, 4);
    put32(f, 0);
    put32(f, 32);
    put32(f, 0);
    put32(f, 0);
    put32(f, 16);
    put32(f, 0);
    for (int i = 0; i < 16; ++i) {
        const bool ours = i == 1;
        f.push_back(ours ? b : 0);
        f.push_back(ours ? g : 0);
        f.push_back(ours ? r : 0);
        f.push_back(0);
    }
    for (int row = 0; row < 4; ++row) {
        f.push_back(0x11);
        f.push_back(0x11);
        f.push_back(0);
        f.push_back(0);
    }
    for (int row = 0; row < 4; ++row) put32(f, 0);   // the mask: every pixel shown
    return f;
}

struct AniSpec {
    uint32_t frames = 0;   // "anih" frame count; 0 = the number of icons
    uint32_t steps = 0;    // "anih" step count; 0 = the number of icons
    uint32_t defaultRate = 10;
    uint32_t flags = 1;
    std::vector<uint32_t> rates;   // a "rate" chunk when not empty
    std::vector<uint32_t> seq;     // a "seq " chunk when not empty
    std::string title, author;     // a LIST "INFO" when either is set
    std::vector<Bytes> icons;
    int iconType = 1;
};

inline Bytes aniFile(const AniSpec& s) {
    Bytes body;
    putId(body, "ACON");
    Bytes anih;
    const uint32_t n = uint32_t(s.icons.size());
    for (uint32_t v : {36u, s.frames ? s.frames : n, s.steps ? s.steps : n, 0u, 0u, 0u, 0u, s.defaultRate, s.flags})
        put32(anih, v);
    const Bytes a = chunk("anih", anih);
    body.insert(body.end(), a.begin(), a.end());
    if (!s.title.empty() || !s.author.empty()) {
        std::vector<Bytes> subs;
        if (!s.title.empty()) subs.push_back(chunk("INAM", Bytes(s.title.begin(), s.title.end() + 1)));
        if (!s.author.empty()) subs.push_back(chunk("IART", Bytes(s.author.begin(), s.author.end() + 1)));
        const Bytes info = list("INFO", subs);
        body.insert(body.end(), info.begin(), info.end());
    }
    for (const auto* values : {&s.rates, &s.seq}) {
        if (values->empty()) continue;
        Bytes c;
        for (uint32_t v : *values) put32(c, v);
        const Bytes ch = chunk(values == &s.rates ? "rate" : "seq ", c);
        body.insert(body.end(), ch.begin(), ch.end());
    }
    std::vector<Bytes> subs;
    for (const Bytes& icon : s.icons) subs.push_back(chunk("icon", icon));
    const Bytes fram = list("fram", subs);
    body.insert(body.end(), fram.begin(), fram.end());
    return chunk("RIFF", body);
}

// Three icons: red, green, blue.
inline AniSpec threeColours() {
    AniSpec s;
    s.icons = {iconFile(255, 0, 0), iconFile(0, 255, 0), iconFile(0, 0, 255)};
    return s;
}

} // namespace anitest
