// The about box: what the program is, and the maker's mail address and home
// page as links.
#pragma once
#include <QDialog>
#include <QLabel>
#include <string>

class QFrame;
class QPushButton;

// A label that acts on a click and shows the pointing cursor while the
// mouse is over it.
class TLinkLabel : public QLabel {
    Q_OBJECT
public:
    TLinkLabel(const QString& text, QWidget* parent);
signals:
    void clicked();
protected:
    void mouseReleaseEvent(QMouseEvent* e) override;
};

class TAboutBoxfrm : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBoxfrm(QWidget* owner);

    QFrame* Panel1 = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* Copyright = nullptr;
    TLinkLabel* Label1 = nullptr;   // mail
    TLinkLabel* Label3 = nullptr;   // home page
    QPushButton* OKButton = nullptr;

    // The program's folder, kept for the box's lifetime.
    std::string Folder;

    // Places the box, keeps the folder and shows it modally.
    void mostrar_form(const std::string& folder);
    void OKButtonClick();
    void Label1Click();
    void Label3Click();
};
