// Icons pasted from the clipboard under the program's icon format (an icon
// file): read through Qt's icon reader, then copied back and pasted again.
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPixmap>
#include <QPixmapCache>

#include "components/IcoList.h"
#include "components/icon_clipboard.h"
#include "fuzz/support/fuzz_support.h"
#include "resources/icon/program_icon.h"
#include "tests/components/ani_builder.h"

using namespace sv;

void sv::fuzz::writeSeeds(const std::string& folder) {
    guiApplication();
    initProgramIconResources();
    // What a copy puts under the format: the program's icon at a small size
    // and the tests' icon and cursor files as icons.
    int n = 0;
    std::vector<QIcon> icons = {QIcon(programIcon().pixmap(16, 16))};
    for (const anitest::Bytes& b : {anitest::iconFile(255, 0, 0), anitest::iconFile(0, 0, 255, 2, 1, 3)})
        icons.push_back(iconFromFileBytes(b.data(), b.size()));
    for (const QIcon& icon : icons) {
        copyIconToClipboard(icon);
        const QByteArray bytes = QGuiApplication::clipboard()->mimeData()->data(iconClipboardFormat());
        seedFile(folder, "icon" + std::to_string(n++) + ".ico", std::vector<uint8_t>(bytes.begin(), bytes.end()));
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::guiApplication();
    // Every picture an icon hands out goes into Qt's picture cache under a
    // name of its own, and a name outlives its evicted picture until it is
    // looked up again: across millions of inputs the names alone would fill
    // the memory. A cache of no size takes nothing.
    QPixmapCache::setCacheLimit(0);
    registerIconClipboardFormat();
    auto* mime = new QMimeData;
    mime->setData(iconClipboardFormat(), QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    QGuiApplication::clipboard()->setMimeData(mime);
    if (!clipboardHasIcon()) __builtin_trap();
    const QIcon icon = pasteIconFromClipboard();
    if (icon.isNull()) return 0;
    // An icon pasted once can be copied and pasted again.
    copyIconToClipboard(icon);
    if (!clipboardHasIcon() || pasteIconFromClipboard().isNull()) __builtin_trap();
    return 0;
}
