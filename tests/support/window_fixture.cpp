#include "tests/support/window_fixture.h"

#include <QApplication>

namespace sv::test {

void flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

std::vector<uint8_t> pcm16(const std::vector<int16_t>& v) {
    std::vector<uint8_t> out;
    for (int16_t x : v) {
        out.push_back(uint8_t(uint16_t(x)));
        out.push_back(uint8_t(uint16_t(x) >> 8));
    }
    return out;
}

int16_t sample16(const TSoundfrm* w, int64_t i) {
    const uint8_t* p = w->Sound.bytes.data() + 2 * i;
    return int16_t(uint16_t(p[0] | (p[1] << 8)));
}

std::vector<uint8_t> bytesOf(const TSoundfrm* w) {
    const uint8_t* p = w->Sound.bytes.data();
    return std::vector<uint8_t>(p, p + w->Sound.bytes.size());
}

void WindowTest::start(std::vector<std::string> args, const std::function<void(TSVMainfrm&)>& install) {
    main = std::make_unique<TSVMainfrm>(std::move(args));
    if (install) install(*main);
    main->FormActivate();
}

void WindowTest::closeAll() {
    if (main) {
        for (TSoundfrm* w : main->soundWindows()) {
            w->Modified = false;
            w->closeWindow();
        }
        flushDeletes();
        // The main window is never shown, so the focus can stay in the
        // edit box of a dialog that has closed; the box's focus-out
        // handler must run while its dialog is still whole.
        if (QWidget* f = QApplication::focusWidget()) f->clearFocus();
        main.reset();
    }
    flushDeletes();
}

std::string WindowTest::wav(const std::string& name, int bits, int channels, const std::vector<uint8_t>& data,
                            int rate) {
    writeBytes(dir.file(name), canonicalWave(rate, bits, channels, data));
    return dir.file(name);
}

TSoundfrm* WindowTest::open(const std::string& name, int bits, int channels, const std::vector<uint8_t>& data,
                            int rate) {
    TSoundfrm* w = main->openWave(wav(name, bits, channels, data, rate), false);
    EXPECT_NE(w, nullptr);
    return w;
}

} // namespace sv::test
