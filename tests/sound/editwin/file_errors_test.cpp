// Reading a WAVE file into a sound window when the memory for its samples
// cannot be had: the window reports it and closes, and nothing leaves it.
#include <gtest/gtest.h>

#include <QPointer>

#include <sys/resource.h>
#include <unistd.h>

#include <fstream>

#include "platform/activity.h"
#include "sound/operation_failure.h"
#include "tests/sound/editwin/editwin_fixture.h"

using namespace sv;
using namespace sv::test;

namespace {

// Bytes of address space the process holds now.
int64_t addressSpaceInUse() {
    std::ifstream statm("/proc/self/statm");
    int64_t pages = 0;
    statm >> pages;
    return pages * int64_t(::sysconf(_SC_PAGESIZE));
}

// Caps the address space for a scope, so that an allocation far beyond it
// fails whatever the system's overcommit policy.
class AddressSpaceCap {
public:
    explicit AddressSpaceCap(int64_t bytes) {
        ::getrlimit(RLIMIT_AS, &saved_);
        rlimit capped = saved_;
        capped.rlim_cur = rlim_t(bytes);
        ok_ = ::setrlimit(RLIMIT_AS, &capped) == 0;
    }
    ~AddressSpaceCap() { ::setrlimit(RLIMIT_AS, &saved_); }
    bool ok() const { return ok_; }
private:
    rlimit saved_{};
    bool ok_ = false;
};

} // namespace

TEST_F(EditWindowTest, ASoundTooLargeForTheMemoryIsReportedAndItsWindowCloses) {
    // A header followed by a sparse terabyte: every byte after the header
    // counts as samples.
    const std::string path = wavFile("huge.wav", 16, 2, {});
    constexpr int64_t kFileBytes = int64_t(1) << 40;
    ASSERT_EQ(::truncate(path.c_str(), kFileBytes), 0);
    const int64_t cap = addressSpaceInUse() + (int64_t(16) << 30);
    if (cap >= kFileBytes) GTEST_SKIP() << "the process already holds too much address space";

    QPointer<TSoundfrm> w = main->crearfill();
    {
        AddressSpaceCap limit(cap);
        ASSERT_TRUE(limit.ok());
        EXPECT_NO_THROW(w->abrir_sonido(path));
    }
    EXPECT_TRUE(scripted().sawMessage(kNotEnoughMemory));
    EXPECT_EQ(activity(), Activity::Idle);
    if (w) {
        EXPECT_FALSE(w->SoundLoaded);
    }
    flushDeletes();
    EXPECT_TRUE(main->soundWindows().empty());
}
