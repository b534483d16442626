#include "mainwindow/Colors.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <functional>

#include "dialogs/ParamDialog.h"
#include "platform/program_groups.h"
#include "platform/prompts.h"
#include "platform/registry.h"
#include "platform/settings.h"
#include "sound/display_ruler.h"
#include "sound/engine/undo_store.h"

using sv::IniFile;
using sv::Registry;
using sv::RegistryRoot;

namespace {

const char kSetCd[] = "Set Sonvela as the default CD player";
const char kUnsetCd[] = "Unset Sonvela as the default CD player";
const char kSetEditor[] = "Set Sonvela as the default audio editor/player";
const char kUnsetEditor[] = "Unset Sonvela as the default audio editor/player";

// Registry failures have no effect and no message: the buttons' captions
// show afterwards what really is registered.
void quietly(const std::function<void()>& step) {
    try {
        step();
    } catch (const sv::RegistryError&) {
    }
}

// Whether every level of the path can be opened, one after the other.
bool keyChainOpens(std::initializer_list<const char*> levels) {
    bool ok = false;
    quietly([&] {
        Registry reg(RegistryRoot::ClassesRoot);
        for (const char* level : levels)
            if (!reg.openKey(level, false)) return;
        ok = true;
    });
    return ok;
}

} // namespace

TColorPanel::TColorPanel(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    setAutoFillBackground(true);
    setMinimumSize(60, 22);
    setCursor(Qt::PointingHandCursor);
    setColor(0);
}

void TColorPanel::setColor(uint32_t bgr) {
    color_ = bgr & 0xFFFFFF;
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(int(color_ & 0xFF), int((color_ >> 8) & 0xFF), int((color_ >> 16) & 0xFF)));
    setPalette(p);
}

void TColorPanel::mouseReleaseEvent(QMouseEvent* e) {
    QFrame::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) emit clicked();
}

const std::array<ColorSet, 12>& colorSets() {
    // waveform, stereo, background, centre line, play cursor, grid, grid
    // back, grid font
    static const std::array<ColorSet, 12> sets = {{
        {"City", 0x400040, 0x000000, 0xC0C0C0, 0xFFFFFF, 0x000000, 0xFFFFFF, 0x000000, 0xFFFFFF},
        {"Classic", 0x800000, 0x00FF00, 0xC0C0C0, 0x0000FF, 0x808080, 0x808080, 0x808080, 0xFFFFFF},
        {"Desert", 0x000080, 0x0080FF, 0xB3C1CE, 0x0000FF, 0x808080, 0x42CEFD, 0x42CEFD, 0x000040},
        {"Nature", 0x008000, 0x004080, 0xFFFFFF, 0x000000, 0x004080, 0x5F89C9, 0x004080, 0xFFFFFF},
        {"Night", 0xFFFFFF, 0x80FFFF, 0x400000, 0x0080FF, 0x0080FF, 0xFF0000, 0x800000, 0xFFFFFF},
        {"Ocean", 0x400000, 0xFFFF80, 0xFF0000, 0x000000, 0xFFFFFF, 0xC08000, 0x400000, 0xFFFF80},
        {"Oscilloscope", 0x00FF00, 0x80FFFF, 0x404000, 0x00FF00, 0x0000FF, 0x00FF00, 0x404000, 0x00FF00},
        {"Rainbow", 0x0000FF, 0xFF0000, 0xFF0DC9, 0xFFFF00, 0xFFFFFF, 0x00FFFF, 0x00FF00, 0x800000},
        {"Sky", 0xFFFFFF, 0xFF0000, 0xFECD83, 0x800000, 0x800000, 0xFFFFFF, 0xFFFFFF, 0x800000},
        {"Tropical", 0x00FFFF, 0x0000FF, 0x00FF00, 0x800080, 0x800080, 0xBE7DFF, 0xFF0000, 0x00FFFF},
        {"USA", 0x0000FF, 0xFF0000, 0xFFFFFF, 0xFF0000, 0x000000, 0xFF0000, 0xFF0000, 0xFFFFFF},
        {"Zebra", 0x000000, 0x808080, 0xFFFFFF, 0xFFFFFF, 0xC0C0C0, 0x000000, 0x000000, 0xFFFFFF},
    }};
    return sets;
}

TColorsfrm::TColorsfrm(QWidget* owner) : QDialog(owner) {
    setWindowTitle("Color Configuration and Settings");
    PageControl1 = new QTabWidget(this);

    // Colours.
    auto* colors = new QWidget;
    auto* grid = new QGridLayout(colors);
    TColorPanel** panels[] = {&Panel1, &Panel2, &Panel3, &Panel4, &Panel5, &Panel6, &Panel7, &Panel8};
    const char* labels[] = {"&Waveform color:",   "&Background color:",   "&Central line color:",
                            "&Stereo color:",     "&Play Cursor color",   "&Grid color",
                            "G&rid Panel Back color", "Gri&d Panel Font color"};
    for (int i = 0; i < 8; ++i) {
        *panels[i] = new TColorPanel(colors);
        auto* l = new QLabel(labels[i], colors);
        l->setBuddy(*panels[i]);
        grid->addWidget(l, i % 4, (i / 4) * 2);
        grid->addWidget(*panels[i], i % 4, (i / 4) * 2 + 1);
        TColorPanel* p = *panels[i];
        connect(p, &TColorPanel::clicked, this, [this, p] { panelClick(p); });
    }
    cb = new QComboBox(colors);
    cb->addItem("Custom");
    for (const ColorSet& s : colorSets()) cb->addItem(s.name);
    auto* setsLabel = new QLabel("Color &Sets:", colors);
    setsLabel->setBuddy(cb);
    grid->addWidget(setsLabel, 4, 0);
    grid->addWidget(cb, 4, 1);
    connect(cb, qOverload<int>(&QComboBox::activated), this, [this](int i) { cbChange(i); });
    PageControl1->addTab(colors, "C&olors");

    // Visual settings.
    auto* visual = new QWidget;
    auto* v = new QVBoxLayout(visual);
    rg1 = new sv::RadioGroup("Vertical &Scale (Grid)", {"Percent (%)", "Real Sample Values", "Decibels (dB)"}, visual);
    cb3 = new QCheckBox("&View Vumeters", visual);
    cb5 = new QCheckBox("Auto Zoom", visual);
    PreferredZoom = new QSpinBox(visual);
    // A zoom is frames per pixel column, as the main window's zoom box
    // holds it (at most 8 digits).
    PreferredZoom->setRange(1, 99999999);
    cb6 = new QCheckBox("View Full File Path in Sound Window", visual);
    v->addWidget(rg1);
    v->addWidget(cb3);
    v->addWidget(cb5);
    auto* z = new QHBoxLayout;
    z->addWidget(new QLabel("Preferred Zoom", visual));
    z->addWidget(PreferredZoom);
    z->addStretch(1);
    v->addLayout(z);
    v->addWidget(cb6);
    v->addStretch(1);
    connect(cb5, &QCheckBox::clicked, this, [this] { cb5Click(); });
    PageControl1->addTab(visual, "&Visual Settings");

    // Other options.
    auto* other = new QWidget;
    auto* o = new QVBoxLayout(other);
    UndoLevels = new QSpinBox(other);
    // "Disable Undo" is how to keep no step: the sounds keep at least one.
    UndoLevels->setRange(1, sv::UndoStore::kMostLevels);
    auto* undoLabel = new QLabel("Undo &Levels", other);
    undoLabel->setBuddy(UndoLevels);
    cb1 = new QCheckBox("Disable &Undo", other);
    cb4 = new QCheckBox("Play from cursor position", other);
    cb2 = new QCheckBox("Confirm E&xit", other);
    cb7 = new QCheckBox("Do Window Scroll", other);
    SpeedButton1 = new QPushButton(kSetCd, other);
    SpeedButton2 = new QPushButton(kSetEditor, other);
    auto* u = new QHBoxLayout;
    u->addWidget(undoLabel);
    u->addWidget(UndoLevels);
    u->addStretch(1);
    o->addLayout(u);
    for (QWidget* w : std::initializer_list<QWidget*>{cb1, cb4, cb2, cb7, SpeedButton1, SpeedButton2})
        o->addWidget(w);
    o->addStretch(1);
    connect(SpeedButton1, &QPushButton::clicked, this, [this] { SpeedButton1Click(); });
    connect(SpeedButton2, &QPushButton::clicked, this, [this] { SpeedButton2Click(); });
    PageControl1->addTab(other, "Other &Options");

    sv::makeOkCancel(this, Button1, Button2);
    auto* top = new QVBoxLayout(this);
    top->addWidget(PageControl1, 1);
    top->addLayout(sv::makeButtonRow(Button1, Button2));
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

std::string TColorsfrm::programPath() { return QCoreApplication::applicationFilePath().toStdString(); }

void TColorsfrm::loadForm(uint32_t p1, uint32_t p2, uint32_t p4, uint32_t p3) {
    Panel1->setColor(p1);
    Panel2->setColor(p2);
    Panel3->setColor(p3);
    Panel4->setColor(p4);
    IniFile ini = sv::Settings();
    Panel5->setColor(uint32_t(ini.ReadInteger("Colors", "PlayCursor", 0x0000FF)));
    Panel6->setColor(uint32_t(ini.ReadInteger("Colors", "grid", 0x808080)));
    Panel7->setColor(uint32_t(ini.ReadInteger("Colors", "gridfons", 0x808080)));
    Panel8->setColor(uint32_t(ini.ReadInteger("Colors", "gridfont", 0xFFFFFF)));
    using sv::kScalePercent, sv::kScaleDecibels;
    const int scale = ini.ReadInteger("Configuration", "VerticalScale", kScalePercent, kScalePercent, kScaleDecibels) - 1;
    rg1->setItemIndex(scale < rg1->count() ? scale : -1);
    // The number of steps the sounds really keep: a stored 0 keeps one.
    UndoLevels->setValue(sv::UndoStore::levelsFromSettings(ini));
    // Read as the commands read them, so that a hand-edited value shows
    // what it does.
    cb1->setChecked(ini.ReadYesNo(sv::kDisableUndo));
    cb2->setChecked(ini.ReadYesNo(sv::kConfirmExit));
    cb3->setChecked(ini.ReadYesNo(sv::kViewVumeters));
    cb4->setChecked(ini.ReadYesNo(sv::kPlayFromCursorPosition));
    cb5->setChecked(ini.ReadYesNo(sv::kAutoZoom));
    cb6->setChecked(ini.ReadYesNo(sv::kViewFullFilePath));
    cb7->setChecked(ini.ReadYesNo(sv::kDoScroll));
    PreferredZoom->setValue(ini.ReadInteger("Options", "PreferredZoom", 1));
    cb5Click();
    IssetCD();
    IssetAE();
}

void TColorsfrm::FormActivate() { cb->setCurrentIndex(0); }

void TColorsfrm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    // Only the first activation: a question asked by an association button
    // hands the activation back, and must not undo the user's choice of set.
    if (!activated_) {
        activated_ = true;
        FormActivate();
    }
}

void TColorsfrm::mostrarform(uint32_t& p1, uint32_t& p2, uint32_t& p4, uint32_t& p3) {
    loadForm(p1, p2, p4, p3);
    Cancelled = 0;
    activated_ = false;
    sv::showModal(*this);
    if (Cancelled) return;
    p1 = Panel1->color();
    p2 = Panel2->color();
    p4 = Panel4->color();
    p3 = Panel3->color();
}

uint8_t TColorsfrm::IssetCD() {
    const bool set = keyChainOpens({"AudioCD", "shell", "Play", "command"});
    SpeedButton1->setText(set ? kUnsetCd : kSetCd);
    return set ? 1 : 0;
}

uint8_t TColorsfrm::IssetAE() {
    const bool set = keyChainOpens({"wavfile", "shell", "open", "command"});
    SpeedButton2->setText(set ? kUnsetEditor : kSetEditor);
    return set ? 1 : 0;
}

void TColorsfrm::cbChange(int index) {
    if (index < 1 || index > int(colorSets().size())) return;
    const ColorSet& s = colorSets()[size_t(index - 1)];
    Panel1->setColor(s.waveform);
    Panel4->setColor(s.stereo);
    Panel2->setColor(s.background);
    Panel3->setColor(s.centreLine);
    Panel5->setColor(s.playCursor);
    Panel6->setColor(s.grid);
    Panel7->setColor(s.gridBack);
    Panel8->setColor(s.gridFont);
}

void TColorsfrm::cb5Click() { PreferredZoom->setEnabled(!cb5->isChecked()); }

void TColorsfrm::panelClick(TColorPanel* panel) {
    uint32_t c = panel->color();
    if (sv::prompts().chooseColor(c)) panel->setColor(c);
}

void TColorsfrm::Button1Click() {
    Cancelled = 0;
    IniFile ini = sv::Settings();
    ini.WriteInteger("Colors", "PlayCursor", int32_t(Panel5->color()));
    ini.WriteInteger("Colors", "grid", int32_t(Panel6->color()));
    ini.WriteInteger("Colors", "gridfons", int32_t(Panel7->color()));
    ini.WriteInteger("Colors", "gridfont", int32_t(Panel8->color()));
    ini.WriteInteger("Configuration", "VerticalScale", rg1->ItemIndex() + 1);
    ini.WriteInteger("Options", "DisableUndo", cb1->isChecked() ? 1 : 0);
    ini.WriteInteger("Options", "ConfirmExit", cb2->isChecked() ? 1 : 0);
    ini.WriteInteger("Options", "ViewVumeters", cb3->isChecked() ? 1 : 0);
    ini.WriteInteger("Options", "UndoLevels", UndoLevels->value());
    ini.WriteInteger("Options", "PlayFromCursorPosition", cb4->isChecked() ? 1 : 0);
    ini.WriteInteger("Options", "AutoZoom", cb5->isChecked() ? 1 : 0);
    ini.WriteInteger("Options", "ViewFullFilePath", cb6->isChecked() ? 1 : 0);
    ini.WriteInteger("Options", "DoScroll", cb7->isChecked() ? 1 : 0);
    ini.WriteInteger("Options", "PreferredZoom", PreferredZoom->value());
    done(sv::mrOk);
}

void TColorsfrm::Button2Click() { reject(); }

void TColorsfrm::reject() {
    // Cancel, Escape and the close box all leave everything as it was.
    Cancelled = 1;
    QDialog::reject();
}

void TColorsfrm::SpeedButton1Click() {
    const bool set = IssetCD();
    if (set && sv::prompts().messageBox("Sonvela",
                                        "Are you sure that you want to unset Sonvela as the default CD Player?",
                                        sv::Buttons::YesNo, sv::Icon::Question) != sv::mrYes)
        return;
    quietly([&] {
        Registry reg(RegistryRoot::ClassesRoot);
        reg.openKey("\\AudioCD\\shell\\play", true);
        if (set) {
            reg.deleteKey("command");
        } else {
            reg.openKey("command", true);
            reg.writeString("", programPath() + " -CD \"%1\"");
        }
    });
    // The desktop's side: inserting an audio CD starts the program with
    // "-CD", and unsetting gives the discs back to the previous player.
    if (set) sv::unsetCdDesktopAssociation();
    else sv::setCdDesktopAssociation(programPath());
    IssetCD();
}

void TColorsfrm::SpeedButton2Click() {
    const bool set = IssetAE();
    if (set && sv::prompts().messageBox("Sonvela",
                                        "Are you sure that you want to unset Sonvela as the default Wave Editor?",
                                        sv::Buttons::YesNo, sv::Icon::Question) != sv::mrYes)
        return;
    const std::string program = programPath();
    // Each verb is written below its own absolute path, so that a step that
    // failed cannot leave the next one writing into the wrong key.
    quietly([&] {
        Registry reg(RegistryRoot::ClassesRoot);
        reg.openKey("\\wavfile\\shell", true);
        if (set) {
            reg.deleteKey("Play audio");
        } else {
            reg.openKey("Play audio\\command", true);
            reg.writeString("", program + " -PLAY \"%1\"");
        }
    });
    quietly([&] {
        Registry reg(RegistryRoot::ClassesRoot);
        reg.openKey("\\wavfile\\shell\\open", true);
        if (set) {
            reg.deleteKey("command");
        } else {
            reg.openKey("command", true);
            reg.writeString("", program + " \"%1\"");
        }
    });
    quietly([&] {
        Registry reg(RegistryRoot::ClassesRoot);
        reg.openKey("\\.wav", true);
        reg.writeString("", "wavfile");
    });
    // The desktop's side of the same association.
    if (set) sv::unsetWavDesktopAssociation();
    else sv::setWavDesktopAssociation(program);
    IssetAE();
}
