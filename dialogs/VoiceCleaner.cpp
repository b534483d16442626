#include "dialogs/VoiceCleaner.h"

#include <QCheckBox>
#include <QEventLoop>
#include <QGridLayout>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include "dialogs/ParamDialog.h"

namespace {

void setCaptionColour(QWidget* w, bool on) {
    QPalette p = w->palette();
    const QColor c = on ? QColor(Qt::black) : w->palette().color(QPalette::Disabled, QPalette::WindowText);
    p.setColor(QPalette::WindowText, c);
    p.setColor(QPalette::ButtonText, c);
    w->setPalette(p);
}

// The step markers are the crossed box and the filled square of a symbol
// font that no Linux machine has; they are those squares themselves, in
// the form's own font.
QLabel* marker(QWidget* parent) {
    auto* l = new QLabel(TVoiceCleanerfrm::kDoneMark, parent);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, Qt::red);
    l->setPalette(p);
    l->hide();
    return l;
}

// Runs the events that put a newly shown window on the screen (and so paint
// it), for at most a second: a window shown just before the program gets
// busy would otherwise stay an unpainted box until the work is done. The
// user's input waits meanwhile.
void waitUntilOnScreen(QWidget* w) {
    QWindow* window = w->windowHandle();
    if (!window || window->isExposed()) return;
    QEventLoop loop;
    QTimer::singleShot(1000, &loop, &QEventLoop::quit);
    struct ExposeWatch : QObject {
        QEventLoop* loop;
        QWindow* window;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Expose)
                QTimer::singleShot(0, loop, [l = loop, w = window] { if (w->isExposed()) l->quit(); });
            return false;
        }
    } watch;
    watch.loop = &loop;
    watch.window = window;
    window->installEventFilter(&watch);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    window->removeEventFilter(&watch);
}

} // namespace

const QString TVoiceCleanerfrm::kWorkingMark = QStringLiteral("\u2612");
const QString TVoiceCleanerfrm::kDoneMark = QStringLiteral("\u25A0");

TVoiceCleanerfrm::TVoiceCleanerfrm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Voice Cleaner"));
    setModal(true);
    cb0 = new QCheckBox(QStringLiteral("Noise Gate"), this);
    cb1 = new QCheckBox(QStringLiteral("Filter Non-Voice Frequencies"), this);
    cb2 = new QCheckBox(QStringLiteral("STSA"), this);
    cb3 = new QCheckBox(QStringLiteral("Dynamic Amplification"), this);
    cb4 = new QCheckBox(QStringLiteral("Normalize"), this);
    Label0 = marker(this);
    Label1 = marker(this);
    Label2 = marker(this);
    Label3 = marker(this);
    Label4 = marker(this);
    rg1 = new sv::RadioGroup(QStringLiteral("Type"),
                             {"Very Hard (300Hz - 3400Hz)", "Hard (200Hz-4000Hz)", "Soft (100Hz-5000Hz)",
                              "Very Soft (50Hz-6000Hz)"},
                             this);
    rg1->setItemIndex(1);
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button2 = new QPushButton(QStringLiteral("Cancel"), this);
    sv::makePlainButton(Button1);
    sv::makePlainButton(Button2);

    auto* steps = new QGridLayout;
    QCheckBox* boxes[] = {cb0, cb1, cb2, cb3, cb4};
    QLabel* marks[] = {Label0, Label1, Label2, Label3, Label4};
    for (int i = 0; i < 5; ++i) {
        boxes[i]->setChecked(true);
        steps->addWidget(marks[i], i, 0);
        steps->addWidget(boxes[i], i, 1);
        QCheckBox* box = boxes[i];
        connect(box, &QCheckBox::clicked, this, [this, box] { cbClick(box); });
    }
    steps->setColumnMinimumWidth(0, 16);
    auto* top = new QVBoxLayout(this);
    top->addLayout(steps);
    top->addWidget(rg1);
    top->addLayout(sv::makeButtonRow(Button1, Button2));
    connect(Button1, &QPushButton::clicked, this, [this] { done(sv::mrOk); });
    connect(Button2, &QPushButton::clicked, this, [this] { done(sv::mrCancel); });
}

void TVoiceCleanerfrm::cbClick(QCheckBox* box) {
    setCaptionColour(box, box->isChecked());
    if (box == cb1) setCaptionColour(rg1, box->isChecked());
}

void TVoiceCleanerfrm::showAsStepList() {
    Button1->hide();
    Button2->hide();
    setModal(false);
    show();
    waitUntilOnScreen(this);
    repaint();
}

void TVoiceCleanerfrm::stepStarted(QLabel* mark) {
    mark->setText(kWorkingMark);
    mark->show();
    repaint();
}

void TVoiceCleanerfrm::stepFinished(QLabel* mark) {
    mark->setText(kDoneMark);
    repaint();
}
