// Reading and writing the other sound file formats in a sound window:
// A-law and mu-law WAVE files, Sun/NeXT files, raw samples and delimited
// text. The coding is in sound/engine/formats; here are the questions, the
// messages and the window's state.
#include "dialogs/ParamDialog.h"
#include "dialogs/formatselection.h"
#include "mainwindow/SonvelaMain.h"
#include "platform/activity.h"
#include "platform/exedir.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/qt/qt_prompts.h"
#include "sound/Sound.h"
#include "sound/engine/formats/dvi_adpcm.h"
#include "sound/engine/formats/law_wave.h"
#include "sound/engine/formats/raw_file.h"
#include "sound/engine/formats/snd_file.h"
#include "sound/engine/formats/text_file.h"
#include "sound/engine/wave_file.h"
#include "sound/operation_failure.h"

using namespace sv;

namespace {

const char* kSndUnsupported = "Sonvela only supports linear 8/16 bit or mulaw SND files";

} // namespace

// Reads what the probe found into this window. Every way out but success
// reports the problem and closes the window.
static bool readProbed(TSoundfrm* w, const std::string& name, const FormatProbe& probe) {
    if (SVMainfrm) SVMainfrm->SaveDisabled = false;
    w->CloseHandled = false;
    switch (probe.status) {
    case FormatProbe::Status::OpenFailed:
        ShowMessage(openFailureText(name));
        w->closeFailedOpenPublic();
        return false;
    case FormatProbe::Status::Unsupported:
        ShowMessage(kSndUnsupported);
        w->closeFailedOpenPublic();
        return false;
    case FormatProbe::Status::Damaged:
        prompts().messageBox("Error", probe.problem, Buttons::Ok, Icon::Error);
        w->closeFailedOpenPublic();
        return false;
    case FormatProbe::Status::Ok:
        break;
    }
    if (probe.sizeDamaged && !TSoundfrm::askOpenDamaged()) {
        w->closeFailedOpenPublic();
        return false;
    }
    SoundBuffer sound;
    const OperationFailure f = attemptOperation([&] { readFormatSamples(name, probe, sound); });
    if (f.failed) {
        reportFailure(f);
        w->closeFailedOpenPublic();
        return false;
    }
    w->Sound = std::move(sound);
    return true;
}

bool TSoundfrm::Obrir_law(const std::string& name, bool muLaw) {
    const FormatProbe probe = probeLawWave(name, muLaw);
    if (!readProbed(this, name, probe)) return false;
    finishFormatOpen(name, probe.fileSize);
    return true;
}

bool TSoundfrm::abrir_SND(const std::string& name) {
    const FormatProbe probe = probeSnd(name);
    if (!readProbed(this, name, probe)) return false;
    finishFormatOpen(name, probe.fileSize);
    return true;
}

bool TSoundfrm::abrir_raw(const std::string& name) {
    Tformatselectionfrm dialog(this);
    dialog.preset(11025, 1, 8);
    if (showModal(dialog) != mrOk) {
        closeFailedOpen();
        return false;
    }
    const sv::SampleFormat format = sv::SampleFormat::pcm(uint32_t(dialog.SamplesPerSec), dialog.BitsPerSample,
                                                  dialog.Channels);
    const FormatProbe probe = probeRaw(name, format);
    if (!readProbed(this, name, probe)) return false;
    finishFormatOpen(name, probe.fileSize);
    return true;
}

void TSoundfrm::finishFormatOpen(const std::string& name, int64_t fileSize) {
    // Drawing a long sound takes a while too.
    BusyGuard busy;
    if (SVMainfrm) SVMainfrm->SoundLoaded = true;
    NoRedraw = false;
    FileSize = fileSize;
    IsNew = false;
    FileName = name;
    Tag = SVMainfrm ? SVMainfrm->QuantsFitxersIguals(name) - 1 : 0;
    if (Tag < 0) Tag = 0;
    UndoCounter = int64_t(Tag) * 10000;
    relocateUndo();
    if (SVMainfrm) SVMainfrm->SoundLength = FrameCount();
    Zoom = FitZoom = FrameCount() / waveWidth() + 1;
    applyPreferredZoom();
    if (SVMainfrm) SVMainfrm->Edit2->setText(QString::number(Zoom));
    SampleFormat.nAvgBytesPerSec = uint32_t(SampleFormat.nBlockAlign) * SampleFormat.nSamplesPerSec;
    updateStatusPanels();
    SoundLoaded = true;
    layoutControls();
    mostrar_sonido(Zoom);
}

void TSoundfrm::afterFormatSave(const std::string& name) {
    IsNew = false;
    Modified = false;
    StatusPanels[5]->setText("Saved");
    FileName = name;
    FileSize = fileSizeOf(name);
    ActualitzarOpcions();
}

bool TSoundfrm::salvar_law(const std::string& nameIn, bool muLaw) {
    const std::string name = forceExtension(nameIn, ".wav");
    if (!runSave(name, [&] { return writeLawWave(name, Sound, muLaw); })) return false;
    afterFormatSave(name);
    return true;
}

bool TSoundfrm::salvar_csv(const std::string& nameIn, char separator, const std::string& extension, char lineEnd) {
    const std::string name = forceExtension(nameIn, extension);
    return runSave(name, [&] { return writeDelimitedText(name, Sound, separator, lineEnd); });
}

// ---- Kept in the window's interface; no command reaches them ----

bool TSoundfrm::salvar_DVI_ADPCM(const std::string& nameIn) {
    const std::string name = forceExtension(nameIn, ".wav");
    if (!runSave(name, [&] { return writeDviAdpcmWave(name, Sound); })) return false;
    afterFormatSave(name);
    return true;
}

// One line: each sample's elapsed time in microseconds (a running sum of
// 1000000 / rate, truncated) and its value, the last sample left out.
bool TSoundfrm::salvar_ascii(const std::string& nameIn) {
    const std::string name = forceExtension(nameIn, ".txt");
    const bool eight = Sound.format.wBitsPerSample == 8;
    const int64_t samples = FrameCount() * Sound.format.nChannels - 1;
    const double step = Sound.format.nSamplesPerSec ? 1000000.0 / Sound.format.nSamplesPerSec : 0.0;
    return runSave(name, [&] {
        SafeFileWriter w;
        if (int e = w.open(name)) return e;
        std::string line;
        double elapsed = 0;
        const uint8_t* p = Sound.bytes.data();
        for (int64_t i = 0; i < samples; ++i) {
            elapsed += step;
            const int v = eight ? int(p[i]) : int(int16_t(uint16_t(p[2 * i] | (p[2 * i + 1] << 8))));
            line += std::to_string(int64_t(elapsed)) + " " + std::to_string(v) + " ";
            if (line.size() > (1 << 16)) {
                w.write(line.data(), line.size());
                line.clear();
            }
        }
        w.write(line.data(), line.size());
        w.commit();
        return 0;
    });
}

// Names the window after the file and makes the empty work file, reads the
// header's fields and loads no samples.
void TSoundfrm::Obrir_ADPCM(const std::string& name) {
    FileName = name;
    Tag = SVMainfrm ? std::max(0, SVMainfrm->QuantsFitxersIguals(name) - 1) : 0;
    UndoCounter = int64_t(Tag) * 10000;
    SafeFileWriter work;
    if (work.open(exeDir() + "~svADPCM.tmp") == 0) work.commit();
    adpcmHeader = probeWave(name);
}
