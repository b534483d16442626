#include "components/RxCursors.h"

#include <QBitmap>
#include <QImage>
#include <QPixmap>
#include <map>

namespace sv {
namespace {

// 16 x 16 pictures: '#' black, '.' white, anything else shows the screen.
const char* const kHand[16] = {
    "     ##         ", "    #..#        ", "    #..#        ", "    #..#        ",
    "    #..###      ", "    #..#..###   ", "    #..#..#..## ", " ## #..#..#..#.#",
    "#..##........#.#", "#...#..........#", " #.............#", "  #............#",
    "  #...........# ", "   #..........# ", "    #........#  ", "    ##########  ",
};
const char* const kDrag[16] = {
    "                ", "                ", "                ", "                ",
    "     ## ## ##   ", "    #..#..#..## ", "    #..#..#..#.#", "  ###..#..#..#.#",
    " #..#........#.#", " #.............#", "  #............#", "  #............#",
    "   #..........# ", "   #..........# ", "    #........#  ", "    ##########  ",
};

QCursor fromPicture(const char* const rows[16], int hotX, int hotY) {
    QImage shape(16, 16, QImage::Format_Mono), mask(16, 16, QImage::Format_Mono);
    shape.fill(0);
    mask.fill(0);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const char c = rows[y][x];
            if (c == '#') shape.setPixel(x, y, 1);
            if (c == '#' || c == '.') mask.setPixel(x, y, 1);
        }
    return QCursor(QBitmap::fromImage(shape), QBitmap::fromImage(mask), hotX, hotY);
}

std::map<int, QCursor>& table() {
    static std::map<int, QCursor> cursors;
    return cursors;
}

} // namespace

QCursor loadCursorResource(const std::string& name) {
    if (name == "RX_HANDCUR") return fromPicture(kHand, 5, 0);
    if (name == "RX_DRAGCUR") return fromPicture(kDrag, 8, 8);
    return QCursor(Qt::ArrowCursor);
}

void setScreenCursor(int slot, const QCursor& cursor) { table()[slot] = cursor; }

QCursor screenCursor(int slot) {
    const auto it = table().find(slot);
    return it == table().end() ? QCursor(Qt::ArrowCursor) : it->second;
}

bool hasScreenCursor(int slot) { return table().count(slot) > 0; }

void loadStartupCursors() {
    static bool loaded = false;
    if (loaded) return;
    loaded = true;
    setScreenCursor(crHand, loadCursorResource("RX_HANDCUR"));
    setScreenCursor(crDragHand, loadCursorResource("RX_DRAGCUR"));
}

} // namespace sv
