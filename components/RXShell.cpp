#include "components/RXShell.h"

#include <QAction>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <algorithm>

#include "components/VCLUtils.h"

std::function<bool()> TRxTrayIcon::trayAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };

namespace {

unsigned keyboardShift() {
    const Qt::KeyboardModifiers m = QGuiApplication::queryKeyboardModifiers();
    unsigned s = 0;
    if (m & Qt::ShiftModifier) s |= ssShift;
    if (m & Qt::ControlModifier) s |= ssCtrl;
    if (m & Qt::AltModifier) s |= ssAlt;
    return s;
}

} // namespace

TRxTrayIcon::TRxTrayIcon(QObject* owner) : QObject(owner), tray_(new QSystemTrayIcon(this)) {
    icons_.OnChange = [this] { UpdateIcon(); };
    connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) { activated(int(r)); });
    connect(&animation_, &QTimer::timeout, this, [this] {
        animation_.setInterval(Interval);
        if (animated_) AdvanceIcon();
    });
}

TRxTrayIcon::~TRxTrayIcon() {
    destroying_ = true;
    Enabled = false;
    icons_.OnChange = nullptr;
    animated_ = false;
    HideIcon();
}

QIcon TRxTrayIcon::currentIcon() const {
    if (animated_ && icons_.Count() > 0) return icons_[std::max(std::min(iconIndex_, icons_.Count() - 1), 0)];
    return icon_;
}

QString TRxTrayIcon::tip() const { return hint_.section('|', 0, 0).left(63); }

void TRxTrayIcon::ShowIcon() {
    HideIcon();
    const QIcon icon = currentIcon();
    if (icon.isNull()) return;
    leftDown_ = rightDown_ = false;
    tray_->setIcon(icon);
    tray_->setToolTip(tip());
    // Where the desktop has no notification area the icon is simply not
    // added; the next change tries again.
    added_ = trayAvailable();
    if (added_) tray_->show();
    if (added_ && animated_) animation_.start(Interval);
}

void TRxTrayIcon::HideIcon() {
    tray_->hide();
    added_ = false;
    leftDown_ = rightDown_ = false;
    animation_.stop();
}

void TRxTrayIcon::UpdateIcon() {
    if (icons_.Count() == 0) animated_ = false;
    if (added_) {
        const QIcon icon = currentIcon();
        if (icon.isNull()) {
            HideIcon();
        } else {
            tray_->setIcon(icon);
            tray_->setToolTip(tip());
        }
    } else if (active_ && !destroying_) {
        ShowIcon();
    }
}

void TRxTrayIcon::setActive(bool on) {
    if (on == active_) return;
    active_ = on;
    if (on) ShowIcon();
    else HideIcon();
}

void TRxTrayIcon::setHint(const QString& hint) {
    if (hint == hint_) return;
    hint_ = hint;
    UpdateIcon();
}

void TRxTrayIcon::setIcon(const QIcon& icon) {
    icon_ = icon;
    UpdateIcon();
}

// The list reports its own change, which updates the icon.
void TRxTrayIcon::setIcons(const TIconList& icons) { icons_.Assign(icons); }

void TRxTrayIcon::setAnimated(bool on) {
    const bool effective = on && icons_.Count() > 0;
    if (effective != animated_) {
        animated_ = effective;
        if (animated_ && added_) animation_.start(Interval);
        else animation_.stop();
    }
    iconIndex_ = 0;
    UpdateIcon();
}

void TRxTrayIcon::AdvanceIcon() {
    if (destroying_ || !animated_) return;
    if (++iconIndex_ >= icons_.Count()) iconIndex_ = 0;
    UpdateIcon();
}

void TRxTrayIcon::setPopupMenu(QMenu* menu) { popupMenu_ = menu; }

bool TRxTrayIcon::PopupAtCursor(int x, int y) {
    if (!active_ || !popupMenu_) return false;
    popupMenu_->popup(QPoint(x, y));
    return true;
}

bool TRxTrayIcon::ClickDefaultItem() {
    if (!active_ || !popupMenu_ || popupMenu_->actions().isEmpty()) return false;
    QAction* d = popupMenu_->defaultAction();
    if (!d || !d->isEnabled() || !popupMenu_->actions().contains(d)) return false;
    d->trigger();
    return true;
}

void TRxTrayIcon::NotifyClick(TMouseButton b, unsigned shift, int x, int y) {
    if (b == TMouseButton::mbRight && PopupAtCursor(x, y)) return;
    if (OnClick) OnClick(b, shift, x, y);
}

void TRxTrayIcon::NotifyDblClick() {
    if (!ClickDefaultItem() && OnDblClick) OnDblClick();
}

void TRxTrayIcon::NotifyMouseDown(TMouseButton b, unsigned shift, int x, int y) {
    if (OnMouseDown) OnMouseDown(b, shift, x, y);
}

void TRxTrayIcon::NotifyMouseUp(TMouseButton b, unsigned shift, int x, int y) {
    if (OnMouseUp) OnMouseUp(b, shift, x, y);
}

void TRxTrayIcon::handleMouse(TrayMouse m, int x, int y, unsigned keys) {
    if (!Enabled) return;
    // Nothing may leave a handler through the event loop.
    try {
        mouse(m, x, y, keys);
    } catch (...) {
        sv::HandleException(std::current_exception());
    }
}

void TRxTrayIcon::mouse(TrayMouse m, int x, int y, unsigned keys) {
    using B = TMouseButton;
    switch (m) {
    case TrayMouse::Move:
        if (OnMouseMove) OnMouseMove(keys, x, y);
        break;
    case TrayMouse::LeftDown:
        NotifyMouseDown(B::mbLeft, keys | ssLeft, x, y);
        leftDown_ = true;
        break;
    case TrayMouse::LeftUp:
        if (leftDown_) {
            leftDown_ = false;
            NotifyClick(B::mbLeft, keys | ssLeft, x, y);
        }
        NotifyMouseUp(B::mbLeft, keys | ssLeft, x, y);
        break;
    case TrayMouse::LeftDouble:
        NotifyDblClick();
        NotifyMouseDown(B::mbLeft, keys | ssDouble, x, y);
        break;
    case TrayMouse::RightDown:
        NotifyMouseDown(B::mbRight, keys | ssRight, x, y);
        rightDown_ = true;
        break;
    case TrayMouse::RightUp:
        if (rightDown_) {
            rightDown_ = false;
            NotifyClick(B::mbRight, keys | ssRight, x, y);
        }
        NotifyMouseUp(B::mbRight, keys | ssRight, x, y);
        break;
    case TrayMouse::RightDouble: NotifyMouseDown(B::mbRight, keys | ssDouble, x, y); break;
    case TrayMouse::MiddleDown: NotifyMouseDown(B::mbMiddle, keys | ssMiddle, x, y); break;
    case TrayMouse::MiddleUp: NotifyMouseUp(B::mbMiddle, keys | ssMiddle, x, y); break;
    case TrayMouse::MiddleDouble: NotifyMouseDown(B::mbMiddle, keys | ssDouble, x, y); break;
    }
}

// The notification area reports whole clicks; each becomes the button's
// down and up actions, so the events come in the order above.
void TRxTrayIcon::activated(int reason) {
    const QPoint at = QCursor::pos();
    const unsigned keys = keyboardShift();
    switch (QSystemTrayIcon::ActivationReason(reason)) {
    case QSystemTrayIcon::Trigger:
        handleMouse(TrayMouse::LeftDown, at.x(), at.y(), keys);
        handleMouse(TrayMouse::LeftUp, at.x(), at.y(), keys);
        break;
    case QSystemTrayIcon::DoubleClick: handleMouse(TrayMouse::LeftDouble, at.x(), at.y(), keys); break;
    case QSystemTrayIcon::Context:
        handleMouse(TrayMouse::RightDown, at.x(), at.y(), keys);
        handleMouse(TrayMouse::RightUp, at.x(), at.y(), keys);
        break;
    case QSystemTrayIcon::MiddleClick:
        handleMouse(TrayMouse::MiddleDown, at.x(), at.y(), keys);
        handleMouse(TrayMouse::MiddleUp, at.x(), at.y(), keys);
        break;
    default: break;
    }
}
