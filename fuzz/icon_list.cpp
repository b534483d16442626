// Icon lists in their stored form (the tray icon's animation frames): a
// count, then each icon as an icon file with its size, every icon through
// Qt's icon reader; what was read is written back and read again.
#include <QPixmap>
#include <QPixmapCache>

#include "components/IcoList.h"
#include "fuzz/support/fuzz_support.h"
#include "resources/icon/program_icon.h"
#include "tests/components/ani_builder.h"

using namespace sv;

namespace {

QIcon fromBytes(const anitest::Bytes& b) { return iconFromFileBytes(b.data(), b.size()); }

} // namespace

void sv::fuzz::writeSeeds(const std::string& folder) {
    guiApplication();
    initProgramIconResources();
    // The program's icon at small sizes (a large one alone would pass the
    // fuzzer's input size), the tests' small icon and cursor files, and an
    // empty entry.
    const QIcon program = programIcon();
    TIconList list;
    for (int size : {16, 24}) list.Add(QIcon(program.pixmap(size, size)));
    seedFile(folder, "program.icl", list.WriteData());
    TIconList small;
    small.Add(fromBytes(anitest::iconFile(255, 0, 0)));
    small.Add(QIcon());
    small.Add(fromBytes(anitest::iconFile(0, 0, 255, 2, 1, 3)));
    seedFile(folder, "small.icl", small.WriteData());
    seedFile(folder, "empty.icl", TIconList().WriteData());
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::guiApplication();
    // Every picture an icon hands out goes into Qt's picture cache under a
    // name of its own, and a name outlives its evicted picture until it is
    // looked up again: across millions of inputs the names alone would fill
    // the memory. A cache of no size takes nothing.
    QPixmapCache::setCacheLimit(0);
    TIconList list;
    try {
        list.ReadData(std::vector<uint8_t>(data, data + size));
    } catch (const std::exception&) {
        return 0;
    }
    for (const QIcon& icon : list.icons()) (void)largestIconImage(icon);
    TIconList back;
    back.ReadData(list.WriteData());
    // Every entry comes back, an empty one as an empty one.
    if (back.Count() != list.Count()) __builtin_trap();
    for (int i = 0; i < list.Count(); ++i)
        if (back[i].isNull() != list[i].isNull()) __builtin_trap();
    return 0;
}
