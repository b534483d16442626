#include "dialogs/ParamDialog.h"

#include <QAbstractButton>
#include <QDialog>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

namespace sv {

int modalResultFrom(int qtResult) { return qtResult == QDialog::Rejected ? mrCancel : qtResult; }

int showModal(QDialog& dialog) { return modalResultFrom(dialog.exec()); }

void makePlainButton(QAbstractButton* button) {
    if (auto* push = qobject_cast<QPushButton*>(button)) {
        push->setAutoDefault(false);
        push->setDefault(false);
    }
}

void makeOkCancel(QWidget* parent, QPushButton*& ok, QPushButton*& cancel) {
    ok = new QPushButton(QStringLiteral("&OK"), parent);
    cancel = new QPushButton(QStringLiteral("&Cancel"), parent);
    makePlainButton(ok);
    makePlainButton(cancel);
}

QHBoxLayout* makeButtonRow(QPushButton* ok, QPushButton* cancel) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}

TrackBar* makeTrackBar(QWidget* parent, int minimum, int maximum, int tickInterval, int position) {
    auto* s = new TrackBar(Qt::Horizontal, parent);
    s->setRange(minimum, maximum);
    s->setTickPosition(QSlider::TicksBelow);
    s->setTickInterval(tickInterval);
    s->setValue(position);
    return s;
}

QHBoxLayout* makeScaleRow(QLabel* low, QLabel* middle, QLabel* high) {
    auto* row = new QHBoxLayout;
    row->addWidget(low);
    high->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    if (middle) {
        middle->setAlignment(Qt::AlignCenter);
        row->addWidget(middle, 1);
        row->addWidget(high);
    } else {
        row->addWidget(high, 1);
    }
    return row;
}

void setSliderQuietly(QAbstractSlider* slider, int position) {
    const QSignalBlocker block(slider);
    slider->setValue(position);
}

void setSliderQuietly(QAbstractSlider* slider, int minimum, int maximum, int position) {
    const QSignalBlocker block(slider);
    slider->setRange(minimum, maximum);
    slider->setValue(position);
}

QString sliderValueText(const QSlider* slider) {
    QString text = QString::number(slider->value());
    if (slider->maximum() == 100) text += QLatin1Char('%');
    return text;
}

namespace {

template <typename T, typename Convert>
bool typedNumber(const QLineEdit* edit, T& value, Convert convert) {
    bool ok = false;
    const T v = convert(edit->text().trimmed(), &ok);
    if (!ok) {
        prompts().messageBox(applicationTitle(), "'" + edit->text().toStdString() + "' is not a valid integer value",
                             Buttons::Ok, Icon::Error);
        return false;
    }
    value = v;
    return true;
}

} // namespace

bool typedInteger(const QLineEdit* edit, int& value) {
    return typedNumber(edit, value, [](const QString& t, bool* ok) { return t.toInt(ok); });
}

bool typedInteger(const QLineEdit* edit, int64_t& value) {
    return typedNumber(edit, value, [](const QString& t, bool* ok) { return int64_t(t.toLongLong(ok)); });
}

int gateThreshold(const QSlider* threshold) { return threshold->value() * 127 / 100; }

void setGateDefaults(const GateControls& c) {
    setSliderQuietly(c.threshold, 0, 100, 10);
    c.thresholdText->setText(QStringLiteral("10%"));
    setSliderQuietly(c.time, 0, 50, 2);
    c.timeMaximum->setText(QStringLiteral("50"));
    c.timeText->setText(QStringLiteral("2"));
    c.timeCaption->setText(QStringLiteral("Release/Attack Time (ms):"));
}

RadioGroup::RadioGroup(const QString& caption, const QStringList& items, QWidget* parent) : QGroupBox(caption, parent) {
    auto* box = new QVBoxLayout(this);
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], this);
        box->addWidget(b);
        buttons_.push_back(b);
        connect(b, &QRadioButton::clicked, this, [this, i] { emit clicked(i); });
    }
}

int RadioGroup::ItemIndex() const {
    for (size_t i = 0; i < buttons_.size(); ++i)
        if (buttons_[i]->isChecked()) return int(i);
    return -1;
}

void RadioGroup::setItemIndex(int index) {
    for (size_t i = 0; i < buttons_.size(); ++i) {
        // Auto-exclusive buttons refuse to uncheck the checked one.
        buttons_[i]->setAutoExclusive(false);
        buttons_[i]->setChecked(int(i) == index);
        buttons_[i]->setAutoExclusive(true);
    }
}

EditKeys::EditKeys(QLineEdit* edit, std::function<void()> onEnter, std::function<void()> onExit)
    : QObject(edit), edit_(edit), onEnter_(std::move(onEnter)), onExit_(std::move(onExit)) {
    edit->installEventFilter(this);
}

bool EditKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (!busy_ && onEnter_) {
                busy_ = true;
                onEnter_();
                busy_ = false;
            }
            return true;
        }
    } else if (event->type() == QEvent::FocusOut) {
        // Leaving a box counts only while its dialog shows: a focus change
        // while the dialog is hidden or being destroyed must not run the
        // handler on controls that may already be gone.
        if (!busy_ && onExit_ && edit_->window()->isVisible()) {
            busy_ = true;
            onExit_();
            busy_ = false;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace sv
