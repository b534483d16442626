// The status panels of sound windows narrower than their texts (a window
// made narrow by hand, by Strip or by Tile), and the converter's fields
// at the widths its dialog can take.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMdiSubWindow>

#include "conversion/RIFFWAVEFileConverter.h"
#include "mainwindow/SonvelaMain.h"
#include "sound/Sound.h"
#include "tests/layout/forms.h"
#include "tests/support/window_fixture.h"

namespace sv::test {
namespace {

void settle() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

// What is wrong with a window's status panels as shown: a text cut other
// than at its end with "…", more text than the panel has room for, a panel
// over another or past the bar. A panel that steps aside is hidden.
QStringList panelFaults(TSoundfrm* w) {
    QStringList faults = layoutFaults(w->StatusBar1, statusButtonOverPanel);
    const auto* row = w->StatusBar1->findChild<StatusPanelRow*>();
    if (!row) return faults << "no row of status panels";
    const QString where = QStringLiteral(" in a window %1 wide").arg(w->width());
    if (w->StatusPanels[0]->isHidden()) faults << "the first panel is hidden" + where;
    for (StatusPanel* p : w->StatusPanels) {
        if (p->isHidden()) continue;
        const QString text = p->text(), shown = p->shownText();
        const QString name = QStringLiteral("panel \"%1\"").arg(text);
        if (shown != text && !(shown.endsWith(QChar(0x2026)) && text.startsWith(shown.chopped(1))))
            faults << name + " shows \"" + shown + "\"" + where;
        const int need = p->fontMetrics().horizontalAdvance(shown), room = p->contentsRect().width();
        if (need > room) faults << QStringLiteral("%1 needs %2 pixels and has %3").arg(name).arg(need).arg(room) + where;
        if (!row->rect().contains(p->geometry())) faults << name + " sticks out of the status bar" + where;
    }
    return faults;
}

QStringList panelFaults(const std::vector<TSoundfrm*>& windows) {
    QStringList faults;
    for (TSoundfrm* w : windows) faults << panelFaults(w);
    return faults;
}

class NarrowSoundWindows : public WindowTest {
protected:
    void SetUp() override {
        start();
        // Two sounds in the main window's default size.
        main->resize(800, 600);
        main->show();
        a = open("a.wav", 16, 2, 30000);
        b = open("b.wav", 8, 1, 2000);
        ASSERT_TRUE(a && b);
        settle();
    }
    TSoundfrm* a = nullptr;
    TSoundfrm* b = nullptr;
};

TEST_F(NarrowSoundWindows, PanelsAreWholeCutAtTheEndOrStepAside) {
    // As opened every text is whole.
    for (TSoundfrm* w : {a, b})
        for (StatusPanel* p : w->StatusPanels) {
            EXPECT_FALSE(p->isHidden()) << p->text().toStdString();
            EXPECT_EQ(p->shownText(), p->text());
        }
    EXPECT_TRUE(panelFaults({a, b}).isEmpty()) << panelFaults({a, b}).join("\n").toStdString();

    auto* sub = qobject_cast<QMdiSubWindow*>(a->parentWidget());
    ASSERT_NE(sub, nullptr);
    for (int width = 640; width >= 120; width -= 40) {
        sub->resize(width, sub->height());
        settle();
        EXPECT_TRUE(panelFaults(a).isEmpty()) << panelFaults(a).join("\n").toStdString();
        // The texts of a playback, longer than the ones at rest.
        a->StatusPanels[0]->setText("Sample played: 1234567");
        a->StatusPanels[1]->setText("Playing... 0:28:123 ms");
        EXPECT_TRUE(panelFaults(a).isEmpty()) << panelFaults(a).join("\n").toStdString();
        a->StatusPanels[0]->setText("120044 Bytes");
        a->StatusPanels[1]->setText("30000 Samples");
    }
    // Some width between shows a text cut at its end.
    bool cut = false;
    for (int width = 640; width >= 120 && !cut; width -= 4) {
        sub->resize(width, sub->height());
        settle();
        for (StatusPanel* p : a->StatusPanels) cut = cut || (!p->isHidden() && p->shownText() != p->text());
    }
    EXPECT_TRUE(cut);

    for (const char* command : {"MosaicoVertical1", "Tile1"}) {
        main->item(command)->trigger();
        settle();
        EXPECT_TRUE(panelFaults({a, b}).isEmpty()) << command << ":\n" << panelFaults({a, b}).join("\n").toStdString();
    }
}

TEST_F(NarrowSoundWindows, ConverterFieldsLineUpAtEveryWidth) {
    TRIFFWaveFileconverterfrm f(main.get());
    f.show();
    settle();
    for (int width : {f.minimumWidth(), f.minimumWidth() + 150, 900}) {
        f.resize(width, f.height());
        settle();
        for (QLineEdit* e : {f.edSourceFormat, f.edDest, f.edDestFormat}) {
            EXPECT_EQ(e->x(), f.edSource->x()) << width;
            EXPECT_EQ(e->width(), f.edSource->width()) << width;
        }
        EXPECT_TRUE(f.rect().contains(f.edSourceFormat->geometry())) << width;
    }
}

} // namespace
} // namespace sv::test
