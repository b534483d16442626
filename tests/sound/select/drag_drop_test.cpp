// A selection dragged to another sound window, within its own window, or
// onto the main window.
#include <QDropEvent>
#include <QMimeData>
#include <QPushButton>

#include "dialogs/Draganddrop.h"
#include "dialogs/MixWeights.h"
#include "dialogs/ParamDialog.h"
#include "platform/paths.h"
#include "tests/sound/select/select_fixture.h"

using namespace sv;
using namespace sv::test;

namespace {

// Answers the drag-and-drop dialog with an item and OK (-1: Cancel).
void chooseDrop(int item) {
    onModal<TDraganddropfrm>([item](TDraganddropfrm& d) {
        EXPECT_EQ(d.windowTitle(), "Drag and Drop Options");
        EXPECT_EQ(d.RadioGroup1->ItemIndex(), 0);   // the first item comes chosen
        if (item < 0) {
            d.Button2->click();
            return;
        }
        d.RadioGroup1->setItemIndex(item);
        d.Button1->click();
    });
}

// A drop is delivered to the widget that the drag entered last.
void enter(TSoundfrm* w, const QPointF& at, const QMimeData* data) {
    QDragEnterEvent e(at.toPoint(), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
    EXPECT_TRUE(e.isAccepted());
}

std::vector<uint8_t> constantFrames(int frames, int16_t value) {
    return pcm16(std::vector<int16_t>(static_cast<size_t>(frames), value));
}

} // namespace

class DragDropTest : public SelectTest {
protected:
    TSoundfrm* a = nullptr;
    TSoundfrm* b = nullptr;
    void SetUp() override {
        SelectTest::SetUp();
        a = openRamp("a.wav", 3000);
        b = open("b.wav", 16, 1, constantFrames(2000, 1000));
        ASSERT_TRUE(a && b);
        a->setSelection(100, 100);
    }
    bool clipThere() const { return fileExists(dir.file("wavecopy.tmp")); }
};

TEST_F(DragDropTest, PasteIntoAnotherWindowAtTheDropColumn) {
    const int64_t z = b->Zoom;
    chooseDrop(TDraganddropfrm::Paste);
    b->FormDragDrop(a, 50, 20);
    EXPECT_EQ(b->FrameCount(), 2100);
    EXPECT_EQ(sample16(b, 50 * z - 1), 1000);
    EXPECT_EQ(sample16(b, 50 * z), 100);   // the dragged frames start at the drop
    EXPECT_EQ(sample16(b, 50 * z + 99), 199);
    EXPECT_EQ(sample16(b, 50 * z + 100), 1000);
    EXPECT_EQ(a->FrameCount(), 3000);      // a copy: the source keeps its frames
    EXPECT_TRUE(clipThere());
}

TEST_F(DragDropTest, MixIntoAnotherWindowKeepsItsLength) {
    const int64_t z = b->Zoom;
    chooseDrop(TDraganddropfrm::Mix);
    b->FormDragDrop(a, 50, 20);
    EXPECT_EQ(b->FrameCount(), 2000);
    EXPECT_EQ(sample16(b, 50 * z + 10), 1000 + 110);
    EXPECT_EQ(sample16(b, 50 * z + 100), 1000);
    EXPECT_EQ(a->FrameCount(), 3000);
}

TEST_F(DragDropTest, CancelAndMixSpecialWithoutLevelsChangeNothing) {
    chooseDrop(-1);
    b->FormDragDrop(a, 50, 20);
    EXPECT_EQ(b->FrameCount(), 2000);
    EXPECT_FALSE(b->Modified);
    EXPECT_FALSE(clipThere());
    onModal<TDraganddropfrm>([](TDraganddropfrm& d) {
        d.RadioGroup1->setItemIndex(TDraganddropfrm::MixSpecial);
        onModal<Tmixspecial>([](Tmixspecial& m) { m.Button2->click(); });
        d.Button1->click();
    });
    b->FormDragDrop(a, 50, 20);
    EXPECT_EQ(b->FrameCount(), 2000);
    EXPECT_FALSE(b->Modified);
    EXPECT_EQ(sample16(b, 50 * b->Zoom + 10), 1000);
}

TEST_F(DragDropTest, MoveTakesTheSelectionFromTheSource) {
    chooseDrop(TDraganddropfrm::Move);
    b->FormDragDrop(a, 0, 20);
    EXPECT_EQ(a->FrameCount(), 2900);
    EXPECT_EQ(sample16(a, 100), 200);
    EXPECT_EQ(b->FrameCount(), 2100);
    EXPECT_EQ(sample16(b, 0), 100);
}

TEST_F(DragDropTest, MoveWithinOneWindowMovesTheSelection) {
    chooseDrop(TDraganddropfrm::Move);
    a->FormDragDrop(a, 300, 20);
    // The drop column is read after the cut, at the zoom the window shows.
    const int64_t at = 300 * a->Zoom;
    EXPECT_EQ(a->FrameCount(), 3000);
    EXPECT_EQ(sample16(a, 99), 99);
    EXPECT_EQ(sample16(a, 100), 200);
    EXPECT_EQ(sample16(a, at), 100);
    EXPECT_EQ(sample16(a, at + 99), 199);
    EXPECT_EQ(sample16(a, at + 100), at + 100);
}

TEST_F(DragDropTest, DropEventsOfferTheChoicesButNotOnTheOwnSelection) {
    a->mostrar_sonido(a->Zoom);
    std::unique_ptr<QMimeData> data(a->selectionDragData());
    EXPECT_EQ(TSoundfrm::selectionDragSource(data.get(), nullptr), a);
    // Onto its own selection: refused.
    const QPointF onShape(a->Shape1->x() + 2, 20);
    enter(a, onShape, data.get());
    QDropEvent own(onShape, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(a, &own);
    EXPECT_FALSE(own.isAccepted());
    EXPECT_FALSE(a->Shape1DragOver(a));
    EXPECT_TRUE(a->FormDragOver(a));
    EXPECT_TRUE(b->Shape1DragOver(a));
    // Onto the other window: the dialog comes up once the drop is over.
    enter(b, QPointF(10, 20), data.get());
    QDropEvent drop(QPointF(10, 20), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(b, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(b->FrameCount(), 2000);
    chooseDrop(TDraganddropfrm::Paste);
    QCoreApplication::processEvents();
    EXPECT_EQ(b->FrameCount(), 2100);
    // Data naming no open window is no selection.
    QMimeData stale;
    stale.setData(TSVMainfrm::kSelectionDragMime, "12345");
    EXPECT_EQ(TSoundfrm::selectionDragSource(&stale, nullptr), nullptr);
}

TEST_F(DragDropTest, CtrlDragOfTheSelectionStartsAfterTenPixels) {
    a->mostrar_sonido(a->Zoom);
    TSoundfrm* started = nullptr;
    TSoundfrm::dragStartHook = [&started](TSoundfrm* w) { started = w; };
    const int x = a->Shape1->x() + 2;
    press(a, x, 20, Qt::LeftButton, Qt::ControlModifier);
    move(a, x + 5, 20, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(started, nullptr);
    move(a, x + 12, 20, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(started, a);
    release(a, x + 12);
    EXPECT_EQ(a->SelectionStart, 100);
    EXPECT_EQ(a->SelectionLength, 100);
    // A cursor alone is not dragged.
    started = nullptr;
    a->setSelection(100, 0);
    a->mostrar_sonido(a->Zoom);
    press(a, a->Shape1->x(), 20, Qt::LeftButton, Qt::ControlModifier);
    move(a, a->Shape1->x() + 30, 20, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(started, nullptr);
    release(a, 0);
}

TEST_F(DragDropTest, DropOnTheMainWindowMakesANewSound) {
    ASSERT_TRUE(main->dragAsNewHook);
    main->dragAsNewHook(a);
    ASSERT_EQ(main->soundWindows().size(), 3u);
    TSoundfrm* n = main->soundWindows().back();
    EXPECT_EQ(n->caption(), "New1.wav");
    EXPECT_EQ(n->FrameCount(), 100);
    EXPECT_EQ(sample16(n, 0), 100);
    EXPECT_EQ(sample16(n, 99), 199);
    EXPECT_EQ(n->SelectionStart, 0);
    EXPECT_EQ(n->SelectionLength, 0);
    EXPECT_TRUE(n->Modified);
    EXPECT_EQ(n->FileSize, 244);
    EXPECT_EQ(main->SoundLength, 100);
    EXPECT_EQ(main->NewSoundCount, 1);
    EXPECT_EQ(main->Edit2->text(), QString::number(n->Zoom));
    EXPECT_EQ(a->FrameCount(), 3000);
}
