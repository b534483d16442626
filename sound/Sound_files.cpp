// Reading and writing WAVE files in a sound window.
#include "mainwindow/SonvelaMain.h"
#include "platform/activity.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/qt/qt_prompts.h"
#include "sound/Sound.h"
#include "sound/engine/wave_file.h"
#include "sound/operation_failure.h"

using namespace sv;

bool TSoundfrm::askOpenDamaged() {
    return askYesNo("Error", "Format seems corrupted. Do you want to continue opening the waveform?", Icon::Error);
}

// A read that fails leaves no half-made window behind.
void TSoundfrm::closeFailedOpen() {
    SoundLoaded = false;
    if (SVMainfrm) SVMainfrm->SoundLoaded = false;
    CloseHandled = true;   // nothing to save
    Modified = false;
    closeWindow();
}

// Asks whether to convert a format the editor cannot read; returns 1 when
// the file was handled. A file the converter could not read either (no RIFF
// chunks, or no channels) is refused at once instead.
static int askConvert(TSoundfrm* w, const std::string& name, const WaveProbe& pr) {
    if (!pr.chunked || pr.format.nChannels == 0) {
        prompts().messageBox("Error", pr.chunked ? "Format seems corrupted." : "Invalid file format.", Buttons::Ok,
                             Icon::Error);
        w->closeFailedOpenPublic();
        return 0;
    }
    bool yes = askYesNo("Convert File",
                        "This WAV File Format is not supported directly.\r Do you want to use WAV File Format "
                        "Module to convert it to a supported PCM WAV file?");
    if (yes && TSoundfrm::convertHook) {
        std::string converted = TSoundfrm::convertHook(w, name);
        if (!converted.empty()) return w->seleccionar_wav(converted);
        return 0;
    }
    w->closeFailedOpenPublic();
    return 0;
}

int TSoundfrm::seleccionar_wav(const std::string& name) {
    WaveProbe pr = probeWave(name);
    if (pr.status == WaveProbe::Status::OpenFailed) {
        closeFailedOpen();
        ShowMessage(openFailureText(name));
        return 0;
    }
    switch (pr.format.wFormatTag) {
    case kFormatPcm:
        abrir_sonido(name);
        return 1;
    case kFormatAdpcm:
        ShowMessage("Sonvela does not support ADPCM files.");
        closeFailedOpen();
        return 1;
    case kFormatALaw:
    case kFormatMuLaw:
        if (lawReaderHook) {
            lawReaderHook(this, name, pr.format.wFormatTag == kFormatMuLaw);
            return 1;
        }
        return askConvert(this, name, pr);
    default:
        return askConvert(this, name, pr);
    }
}

void TSoundfrm::abrir_sonido(const std::string& name) {
    if (SVMainfrm) SVMainfrm->SaveDisabled = false;
    CloseHandled = false;
    WaveProbe pr = probeWave(name);
    if (pr.status == WaveProbe::Status::OpenFailed) {
        closeFailedOpen();
        ShowMessage(openFailureText(name));
        return;
    }
    if (pr.readOnly) {
        if (!askYesNo("Error", "Error opening file, Do you want to try to open it as ReadOnly?")) {
            closeFailedOpen();
            return;
        }
        if (SVMainfrm) SVMainfrm->SaveDisabled = true;
        CloseHandled = true;
    }
    if (pr.status == WaveProbe::Status::TooShort) {
        // No header to read the format from: nothing can be opened.
        prompts().messageBox("Error", "Format seems corrupted.", Buttons::Ok, Icon::Error);
        closeFailedOpen();
        return;
    }
    if (!pr.fitEditorLayout()) {
        // Only the four layouts the editor works on are read directly.
        askConvert(this, name, pr);
        return;
    }
    if (pr.sizeDamaged() && pr.declaredSize > 0) {
        if (!askOpenDamaged()) {
            closeFailedOpen();
            return;
        }
    }
    const OperationFailure f = attemptOperation([&] { readWaveSamples(name, pr, pr.dataBytes(true), Sound); });
    if (f.failed) {
        reportFailure(f);
        closeFailedOpen();
        return;
    }
    // Drawing a long sound takes a while too.
    BusyGuard busy;
    bool readOnly = CloseHandled;
    FileSize = pr.fileSize;
    IsNew = false;
    FileName = name;
    Tag = SVMainfrm ? SVMainfrm->QuantsFitxersIguals(name) - 1 : 0;
    if (Tag < 0) Tag = 0;
    UndoCounter = int64_t(Tag) * 10000;
    relocateUndo();
    if (SVMainfrm) SVMainfrm->SoundLength = FrameCount();
    NoRedraw = false;
    Zoom = FitZoom = FrameCount() / waveWidth() + 1;
    applyPreferredZoom();
    if (SVMainfrm) SVMainfrm->Edit2->setText(QString::number(Zoom));
    SampleFormat.nAvgBytesPerSec = uint32_t(SampleFormat.nBlockAlign) * SampleFormat.nSamplesPerSec;
    updateStatusPanels();
    SoundLoaded = true;
    if (SVMainfrm) SVMainfrm->SoundLoaded = true;
    CloseHandled = readOnly;
    layoutControls();
    mostrar_sonido(Zoom);
}

bool TSoundfrm::guardar_como(const std::string& nameIn, bool asWav) {
    const std::string name = forceExtension(nameIn, asWav ? ".wav" : ".raw");
    const int64_t bytes = FrameCount() * SampleFormat.nBlockAlign;
    // A sound too long for the header's sizes is refused by the writer.
    if (!runSave(name, [&] { return writeWaveFile(name, SampleFormat, Sound.bytes.data(), bytes, asWav); }))
        return false;
    // Only a complete file counts as saved.
    IsNew = false;
    Modified = false;
    StatusPanels[5]->setText("Saved");
    deleteUndoFiles();
    FileName = name;
    relocateUndo();
    FileSize = fileSizeOf(name);
    ActualitzarOpcions();
    return true;
}

bool TSoundfrm::guardar_seleccion(const std::string& nameIn) {
    const std::string name = forceExtension(nameIn, ".wav");
    const int64_t bytes = SelectionLength * SampleFormat.nBlockAlign;
    return runSave(name, [&] { return writeWaveFile(name, SampleFormat, Sound.frame(SelectionStart), bytes, true); });
}
