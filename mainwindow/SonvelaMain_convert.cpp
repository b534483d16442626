#include "mainwindow/SonvelaMain_convert.h"
#include "mainwindow/SonvelaMain_view.h"

#include <QToolBar>

#include "conversion/MP32WAV.h"
#include "conversion/RIFFWAVEFileConverter.h"
#include "mainwindow/SonvelaMain.h"
#include "sound/Sound.h"

void installConversionCommands(TSVMainfrm* main) {
    // WAVFileFormatConverter1Click: the converter, empty.
    main->setHandler("WAVFileFormatConverter1", [main] { sv::runWaveFileConverter(main); });
    // ConvertMP3toWAV1Click: a form that only shows and closes.
    if (!main->item("ConvertMP3toWAV1"))
        main->addItem(main->Herramientas1, "ConvertMP3toWAV1", "Convert MP3 to WAV", {},
                      [main] { sv::runMp3ToWav(main); });
    if (!main->button("SpeedButton47")) {
        if (auto* bar = toolBarPanel(main, "PanelMisc")) {
            main->addButton(bar, "SpeedButton47", "Convert", "WAV File Format Converter", "WAVFileFormatConverter1");
            // No enabling rule touches it: the converter needs no sound window.
            main->enableButton("SpeedButton47", true);
        }
    }
    // The sound window owns the dialog while it runs and opens the copy.
    TSoundfrm::convertHook = [](TSoundfrm* w, const std::string& name) { return sv::convertForSoundWindow(w, name); };
}
