#include "mainwindow/SonvelaMain_info.h"

#include <QPointer>
#include <QProgressBar>

#include "dialogs/ParamDialog.h"
#include "mainwindow/About.h"
#include "mainwindow/Colors.h"
#include "mainwindow/DeviceInfo.h"
#include "mainwindow/Help.h"
#include "mainwindow/Links.h"
#include "mainwindow/SonvelaMain.h"
#include "platform/activity.h"
#include "platform/settings.h"
#include "sound/Sound.h"
#include "sound/display_ruler.h"

namespace {

QString barColorStyle(uint32_t c) {
    return QString("QProgressBar::chunk { background-color: rgb(%1,%2,%3); }")
        .arg(c & 0xFF)
        .arg((c >> 8) & 0xFF)
        .arg((c >> 16) & 0xFF);
}

void Informaciondispositivos1Click(TSVMainfrm* main) {
    TDeviceInfofrm form(main);
    sv::showModal(form);
}

void Informacionarchivo1Click(TSVMainfrm* main) {
    if (TSoundfrm* w = main->activeSound()) w->informacion_archivo();
}

void About1Click(TSVMainfrm* main) {
    TAboutBoxfrm form(main);
    form.mostrar_form(main->ExeDir);
}

void AudioWebsites1Click(TSVMainfrm* main) {
    TWebsitesfrm form(main);
    sv::showModal(form);
}

// Help and About wait while something plays or runs.
void Help1Click(TSVMainfrm* main) {
    const bool idle = sv::activity() == sv::Activity::Idle;
    main->enableItem("Contents1", idle);
    main->enableItem("About1", idle);
}

} // namespace

void applyColorsAndOptions(TSVMainfrm* main) {
    sv::IniFile ini = sv::Settings();
    ini.WriteInteger("Colors", "fons", int32_t(main->BackgroundColor));
    ini.WriteInteger("Colors", "ona", int32_t(main->WaveformColor));
    ini.WriteInteger("Colors", "linia", int32_t(main->CentralLineColor));
    ini.WriteInteger("Colors", "liniast", int32_t(main->StereoColor));

    main->GridColor = uint32_t(ini.ReadInteger("Colors", "grid", 0x808080));
    main->GridPanelBackColor = uint32_t(ini.ReadInteger("Colors", "gridfons", 0x808080));
    main->GridPanelFontColor = uint32_t(ini.ReadInteger("Colors", "gridfont", 0xFFFFFF));
    using sv::kScalePercent, sv::kScaleDecibels;
    main->VerticalScale = ini.ReadInteger("Configuration", "VerticalScale", kScalePercent, kScalePercent, kScaleDecibels);
    main->UndoLevels = sv::UndoStore::levelsFromSettings(ini);
    main->PlayFromCursorPosition = ini.ReadYesNo(sv::kPlayFromCursorPosition);
    if (main->Gauge1) main->Gauge1->setStyleSheet(barColorStyle(main->WaveformColor));
    if (main->Gauge2) main->Gauge2->setStyleSheet(barColorStyle(main->StereoColor));
    if (main->VumeterPanel) main->VumeterPanel->setVisible(ini.ReadYesNo(sv::kViewVumeters));

    // Each window keeps its own zoom; the zoom box holds the active one's.
    TSoundfrm* active = main->activeSound();
    bool ok = false;
    const int64_t boxZoom = main->Edit2->text().toLongLong(&ok);
    const std::vector<TSoundfrm*> windows = main->soundWindows();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        QPointer<TSoundfrm> w(*it);
        w->ActualitzarOpcions();
        if (!w) continue;
        w->mostrar_sonido(w == active && ok && boxZoom >= 1 ? boxZoom : w->quin_zoom());
    }
}

void Colors1Click(TSVMainfrm* main) {
    {
        TColorsfrm form(main);
        form.mostrarform(main->WaveformColor, main->BackgroundColor, main->StereoColor, main->CentralLineColor);
    }
    applyColorsAndOptions(main);
}

void installInfoCommands(TSVMainfrm* main) {
    main->setHandler("Colors1", [main] { Colors1Click(main); });
    main->setHandler("Informaciondispositivos1", [main] { Informaciondispositivos1Click(main); });
    main->setHandler("Informacionarchivo1", [main] { Informacionarchivo1Click(main); });
    main->setHandler("About1", [main] { About1Click(main); });
    main->setHandler("Contents1", [main] { showHelpContents(main, main->ExeDir); });
    main->setHandler("AudioWebsites1", [main] { AudioWebsites1Click(main); });

    // Installing twice must not add the items twice.
    if (main->Help1 && !main->item("sendemailtoauthor1")) {
        main->Help1->addSeparator();
        main->addItem(main->Help1, "sendemailtoauthor1", "Send &e-mail to author", {},
                      [] { sv::openLink(sv::kMakerMail); });
        main->addItem(main->Help1, "VisitSonvelawebsite1", "Sonvela &Website", {},
                      [] { sv::openLink(sv::kMakerHomePage); });
        QMenu* other = main->Help1->addMenu("&Other Programs");
        other->setObjectName("OtherPrograms1");
        for (const sv::OtherProgramLink& l : sv::otherProgramLinks()) {
            const std::string url = l.url;
            main->addItem(other, l.itemName, l.caption, {}, [url] { sv::openLink(url); });
        }
        QObject::connect(main->Help1, &QMenu::aboutToShow, main, [main] { Help1Click(main); });
    }
}
