#include "tests/support/command_fixture.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>

#include <cstring>

#include "platform/activity.h"

namespace sv::test {

void CommandTest::SetUp() {
    setActivity(Activity::Idle);
    start();
}

void CommandTest::TearDown() {
    watchdog.stop();
    closeAll();
    EXPECT_EQ(watchdog.unanswered(), 0);
}

void CommandTest::openSelected(const std::vector<uint8_t>& waveFile, int64_t start, int64_t length) {
    writeBytes(dir.file("s.wav"), waveFile);
    w = main->openWave(dir.file("s.wav"), false);
    ASSERT_NE(w, nullptr);
    w->setSelection(start, length);
    w->FormActivate();
    before = bytesNow();
}

void CommandTest::answer(std::function<void(QDialog*)> fn) {
    answerModal([this, fn](QDialog* d) {
        ++expectedDialogs;
        fn(d);
    });
}

void CommandTest::trigger(const char* item) {
    QAction* a = main->item(item);
    ASSERT_NE(a, nullptr) << item;
    if (triggerNeedsEnabled) {
        ASSERT_TRUE(a->isEnabled()) << item;
    }
    a->trigger();
    QCoreApplication::processEvents();
}

bool CommandTest::outsideKept() const {
    const int64_t fb = w->Sound.format.nBlockAlign;
    const size_t a = size_t(w->SelectionStart * fb);
    const size_t b = size_t((w->SelectionStart + w->SelectionLength) * fb);
    return std::memcmp(w->Sound.bytes.data(), before.data(), a) == 0 &&
           std::memcmp(w->Sound.bytes.data() + b, before.data() + b, before.size() - b) == 0;
}

void CommandTest::expectApplied(const std::string& what) {
    EXPECT_TRUE(changed()) << what;
    EXPECT_TRUE(outsideKept()) << what;
    EXPECT_TRUE(w->Modified) << what;
    EXPECT_TRUE(w->undoAvailable()) << what;
    EXPECT_EQ(activity(), Activity::Idle) << what;
}

void CommandTest::expectUntouched(const std::string& what) {
    EXPECT_FALSE(changed()) << what;
    EXPECT_FALSE(w->Modified) << what;
    EXPECT_FALSE(w->undoAvailable()) << what;
}

} // namespace sv::test
