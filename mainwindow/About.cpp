#include "mainwindow/About.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/ParamDialog.h"
#include "mainwindow/Links.h"

TLinkLabel::TLinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    // The pointing cursor over a link; the rest of the box keeps the default.
    setCursor(Qt::PointingHandCursor);
    setStyleSheet("color: blue; text-decoration: underline;");
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* e) {
    QLabel::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) emit clicked();
}

TAboutBoxfrm::TAboutBoxfrm(QWidget* owner) : QDialog(owner) {
    setWindowTitle("About...");
    Panel1 = new QFrame(this);
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Sunken);
    ProductName = new QLabel("Sonvela", Panel1);
    QFont f = ProductName->font();
    f.setPointSize(f.pointSize() + 6);
    f.setBold(true);
    ProductName->setFont(f);
    Version = new QLabel("An audio editor and player", Panel1);
    Copyright = new QLabel("Free software. Send your comments to the author:", Panel1);
    Copyright->setWordWrap(true);
    Label1 = new TLinkLabel(QString::fromLatin1(sv::kMakerMail).mid(7), Panel1);
    Label3 = new TLinkLabel(QString::fromLatin1(sv::kMakerHomePage), Panel1);
    OKButton = new QPushButton("&OK", this);
    OKButton->setDefault(true);

    auto* p = new QVBoxLayout(Panel1);
    for (QLabel* l : {static_cast<QLabel*>(ProductName), Version, Copyright, static_cast<QLabel*>(Label1),
                      static_cast<QLabel*>(Label3)})
        p->addWidget(l, 0, Qt::AlignHCenter);
    auto* top = new QVBoxLayout(this);
    top->addWidget(Panel1, 1);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(OKButton);
    row->addStretch(1);
    top->addLayout(row);

    connect(OKButton, &QPushButton::clicked, this, [this] { OKButtonClick(); });
    connect(Label1, &TLinkLabel::clicked, this, [this] { Label1Click(); });
    connect(Label3, &TLinkLabel::clicked, this, [this] { Label3Click(); });
}

void TAboutBoxfrm::mostrar_form(const std::string& folder) {
    setGeometry(148, 95, 295, 260);
    Folder = folder;
    sv::showModal(*this);
}

void TAboutBoxfrm::OKButtonClick() { done(sv::mrOk); }
void TAboutBoxfrm::Label1Click() { sv::openLink(sv::kMakerMail); }
void TAboutBoxfrm::Label3Click() { sv::openLink(sv::kMakerHomePage); }
