// The program's icon in the desktop's notification area, with its pop-up
// menu on a right click and the menu's default item on a double click.
#pragma once
#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include "components/IcoList.h"

#include <cstdint>
#include <functional>
#include <vector>

class QMenu;
class QSystemTrayIcon;

// Shift state of a mouse event on the icon.
enum TShiftFlag : unsigned { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64 };
enum class TMouseButton { mbLeft, mbRight, mbMiddle };

// The mouse actions the notification area reports for the icon.
enum class TrayMouse { Move, LeftDown, LeftUp, LeftDouble, RightDown, RightUp, RightDouble, MiddleDown, MiddleUp, MiddleDouble };

class TRxTrayIcon : public QObject {
    Q_OBJECT
public:
    explicit TRxTrayIcon(QObject* owner = nullptr);
    ~TRxTrayIcon() override;

    bool Active() const { return active_; }
    void setActive(bool on);
    // Mouse actions on the icon are handled.
    bool Enabled = true;
    const QString& Hint() const { return hint_; }
    void setHint(const QString& hint);
    // The tip: the hint up to its first '|', at most 63 characters.
    QString tip() const;
    const QIcon& Icon() const { return icon_; }
    void setIcon(const QIcon& icon);
    // Frames of an animated icon, shown every Interval milliseconds while
    // Animated; an empty list keeps Animated off.
    const TIconList& Icons() const { return icons_; }
    TIconList& Icons() { return icons_; }
    void setIcons(const TIconList& icons);
    bool Animated() const { return animated_; }
    void setAnimated(bool on);
    uint16_t Interval = 150;
    QMenu* PopupMenu() const { return popupMenu_; }
    void setPopupMenu(QMenu* menu);

    std::function<void(TMouseButton, unsigned shift, int x, int y)> OnClick, OnMouseDown, OnMouseUp;
    std::function<void(unsigned shift, int x, int y)> OnMouseMove;
    std::function<void()> OnDblClick;

    void ShowIcon();
    void HideIcon();
    void UpdateIcon();
    void AdvanceIcon();
    bool PopupAtCursor(int x, int y);
    bool ClickDefaultItem();

    // The icon is in the notification area (false where the desktop has none).
    bool Added() const { return added_; }
    int IconIndex() const { return iconIndex_; }
    // What the icon shows now: Icon, or the current frame while animating.
    QIcon currentIcon() const;
    // One mouse action on the icon at (x, y) with the keyboard's shift state.
    // An exception from a handler goes to the application's handling.
    void handleMouse(TrayMouse m, int x, int y, unsigned keys);
    // Test hook: whether the desktop has a notification area.
    static std::function<bool()> trayAvailable;

private:
    void NotifyClick(TMouseButton b, unsigned shift, int x, int y);
    void NotifyDblClick();
    void NotifyMouseDown(TMouseButton b, unsigned shift, int x, int y);
    void NotifyMouseUp(TMouseButton b, unsigned shift, int x, int y);
    void activated(int reason);
    void mouse(TrayMouse m, int x, int y, unsigned keys);

    QSystemTrayIcon* tray_ = nullptr;
    QTimer animation_;
    QPointer<QMenu> popupMenu_;
    QIcon icon_;
    TIconList icons_;
    QString hint_;
    bool active_ = true;
    bool animated_ = false;
    bool added_ = false;
    bool leftDown_ = false, rightDown_ = false;
    bool destroying_ = false;
    int iconIndex_ = -1;
};
