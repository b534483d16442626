#include "tests/layout/forms.h"

#include <QComboBox>
#include <QLabel>
#include <QToolButton>

#include "conversion/MP32WAV.h"
#include "conversion/RIFFWAVEFileConverter.h"
#include "dialogs/AmplifyVolume.h"
#include "dialogs/ChorusFlanger.h"
#include "dialogs/CombineChannels.h"
#include "dialogs/CustomizedFilter.h"
#include "dialogs/Div_Length_Add.h"
#include "dialogs/Div_length.h"
#include "dialogs/DivideChannels.h"
#include "dialogs/Draganddrop.h"
#include "dialogs/DynamicExpander.h"
#include "dialogs/Echo.h"
#include "dialogs/Effects.h"
#include "dialogs/Equalize.h"
#include "dialogs/FadeInOut.h"
#include "dialogs/FilterBank.h"
#include "dialogs/FrequencyShift.h"
#include "dialogs/GapperGroove.h"
#include "dialogs/Gaussian.h"
#include "dialogs/Histogram.h"
#include "dialogs/MixWeights.h"
#include "dialogs/NoiseGate.h"
#include "dialogs/RecordNewSound.h"
#include "dialogs/Resample.h"
#include "dialogs/Reverb.h"
#include "dialogs/SpeedUpDown.h"
#include "dialogs/TravellingStereo.h"
#include "dialogs/Txt.h"
#include "dialogs/VoiceCleaner.h"
#include "dialogs/concatenate.h"
#include "dialogs/div_tracks.h"
#include "dialogs/div_wavs.h"
#include "dialogs/formatselection.h"
#include "dialogs/stsa.h"
#include "installer/svuninst.h"
#include "mainwindow/Help.h"
#include "dialogs/wavelet.h"
#include "installer/setup1.h"
#include "mainwindow/About.h"
#include "mainwindow/Colors.h"
#include "mainwindow/DeviceInfo.h"
#include "mainwindow/FileInfo.h"
#include "mainwindow/Links.h"
#include "mainwindow/SonvelaMain.h"
#include "mainwindow/SonvelaMain_view.h"
#include "mainwindow/Splash.h"
#include "platform/qt/format_chooser.h"
#include "sound/AdvancedFilter.h"
#include "sound/Sound.h"
#include "tests/support/scripted_prompts.h"

namespace sv::test {

bool statusButtonOverPanel(const QWidget* a, const QWidget* b) {
    return qobject_cast<const QToolButton*>(a) && a->objectName().startsWith(QLatin1String("boto_")) &&
           qobject_cast<const StatusPanelRow*>(b) && qobject_cast<const TSoundfrm*>(a->parentWidget()->parentWidget());
}

namespace {

// The band outline is drawn over the picture's axis lines, which meet at
// the picture's corner.
bool bandOverAxes(const QWidget* a, const QWidget* b) {
    auto* f = qobject_cast<const TAdvancedFilterfrm*>(a->parentWidget());
    if (!f) return false;
    const bool axis = b == f->Bevel1 || b == f->Bevel2;
    return axis && (a == f->Shape1 || a == f->Bevel1 || a == f->Bevel2);
}

// The selection, the cursor line, the play line and the channel divider
// are drawn over the waveform and over one another.
bool overTheWave(const QWidget* a, const QWidget* b) {
    auto* w = qobject_cast<const TSoundfrm*>(a->parentWidget());
    if (!w || b->parentWidget() != w) return false;
    auto overlay = [w](const QWidget* x) {
        return x == w->Shape1 || x == w->Bevel1 || x == w->Bevel2 || x == w->LiniaPlay1;
    };
    return overlay(a) && (overlay(b) || b == w->WaveView);
}

bool soundWindowOverlaps(const QWidget* a, const QWidget* b) {
    return statusButtonOverPanel(a, b) || overTheWave(a, b);
}

QWidget* mainWindowIn(FormContext& c, bool accessBar) {
    TSVMainfrm& m = c.main();
    if (accessBar) ViewAccessBar1Click(&m);
    else ViewToolBars1Click(&m);
    c.sound();
    return &m;
}

uint8_t gChooserFormat[64] = {1, 0, 2, 0, 0x22, 0x56, 0, 0, 0x88, 0x58, 1, 0, 4, 0, 16, 0, 0, 0};

} // namespace

const std::vector<FormCase>& everyForm() {
    static const std::vector<FormCase> forms = {
        {"MainWindowAccessBar", [](FormContext& c) { return mainWindowIn(c, true); }, soundWindowOverlaps},
        {"MainWindowToolBars", [](FormContext& c) { return mainWindowIn(c, false); }, soundWindowOverlaps},
        {"SoundWindow", [](FormContext& c) -> QWidget* { return c.sound(); }, soundWindowOverlaps},
        {"Splash", [](FormContext& c) { return c.keep<TSplashfrm>(); }},
        {"About", [](FormContext& c) { return c.keep<TAboutBoxfrm>(&c.main()); }},
        {"Colors", [](FormContext& c) { return c.keep<TColorsfrm>(&c.main()); }},
        {"DeviceInfo", [](FormContext& c) { return c.keep<TDeviceInfofrm>(&c.main()); }},
        {"FileInfo", [](FormContext& c) { return c.keep<TFileInfofrm>(&c.main()); }},
        {"Websites", [](FormContext& c) { return c.keep<TWebsitesfrm>(&c.main()); }},
        {"AdvancedFilter", [](FormContext& c) { auto* f = c.keep<TAdvancedFilterfrm>(); f->prepare(44100); return f; }, bandOverAxes},
        {"AmplifyVolume", [](FormContext& c) { auto* f = c.keep<TAmplifyVolumefrm>(); f->prepare(); return f; }},
        {"FadeIn", [](FormContext& c) { auto* f = c.keep<TFadeInOutfrm>(); f->prepare(0); return f; }},
        {"FadeOut", [](FormContext& c) { auto* f = c.keep<TFadeInOutfrm>(); f->prepare(1); return f; }},
        {"Effects", [](FormContext& c) { auto* f = c.keep<TEffectsfrm>(); f->prepare(3, QString()); return f; }},
        {"EffectsThresholdOnly", [](FormContext& c) { auto* f = c.keep<TEffectsfrm>(); f->prepare(1, QString()); return f; }},
        {"EffectsNoiseGate", [](FormContext& c) { auto* f = c.keep<TEffectsfrm>(); f->prepare(2, "Noise Gate"); return f; }},
        {"NoiseGate", [](FormContext& c) { return c.keep<TNoiseGatefrm>(); }},
        {"DynamicExpander", [](FormContext& c) { auto* f = c.keep<TDynamicExpanderfrm>(); f->prepare(); return f; }},
        {"TravellingStereo", [](FormContext& c) { auto* f = c.keep<TTravellingStereofrm>(); f->prepare(); return f; }},
        {"MixSpecial", [](FormContext& c) { return c.keep<Tmixspecial>(); }},
        {"Equalize", [](FormContext& c) { auto* f = c.keep<TEqualizefrm>(); f->prepare(); return f; }},
        {"FilterBank", [](FormContext& c) { auto* f = c.keep<TFilterBankfrm>(); f->prepare(); return f; }},
        {"Stsa", [](FormContext& c) { return c.keep<Tstsaform>(); }},
        {"FrequencyShift", [](FormContext& c) { return c.keep<TFrequencyShiftfrm>(); }},
        {"CustomizedFilter", [](FormContext& c) { return c.keep<TCustomizedFilterfrm>(); }},
        {"VoiceCleaner", [](FormContext& c) { return c.keep<TVoiceCleanerfrm>(); }},
        {"VoiceCleanerWorking", [](FormContext& c) {
             auto* f = c.keep<TVoiceCleanerfrm>();
             for (QLabel* l : {f->Label0, f->Label1, f->Label2, f->Label3}) {
                 f->stepStarted(l);
                 f->stepFinished(l);
             }
             f->stepStarted(f->Label4);
             return f; }},
        {"Wavelet", [](FormContext& c) { return c.keep<Twaveletfrm>(); }},
        {"Gaussian", [](FormContext& c) { auto* f = c.keep<TGaussianfrm>(); f->prepare("speckle"); return f; }},
        {"Histogram", [](FormContext& c) { auto* f = c.keep<THistogramfrm>(); f->prepare(16, -12.25, 40321.5); return f; }},
        {"Echo", [](FormContext& c) { auto* f = c.keep<TEchofrm>(); f->prepare(); return f; }},
        {"Reverb", [](FormContext& c) { auto* f = c.keep<TReverbfrm>(); f->prepare(); return f; }},
        {"Chorus", [](FormContext& c) { return c.keep<TChorusfrm>(); }},
        {"Flanger", [](FormContext& c) { return c.keep<TFlangerfrm>(); }},
        {"Gapper", [](FormContext& c) { return c.keep<TGapperFrm>(); }},
        {"Groove", [](FormContext& c) { return c.keep<TGrooveFrm>(); }},
        {"SpeedUpDown", [](FormContext& c) { auto* f = c.keep<TSpeedUpDownfrm>(); f->prepare(1234567); return f; }},
        {"Resample", [](FormContext& c) { auto* f = c.keep<TResamplefrm>(); f->prepare(16, 22050, 2); return f; }},
        {"ResampleOther", [](FormContext& c) { auto* f = c.keep<TResamplefrm>(); f->prepare(8, 11025, 1); return f; }, {},
         [](QWidget* w) {
             auto* f = static_cast<TResamplefrm*>(w);
             scripted().answers.push_back("192000");
             f->ComboBox2->setCurrentIndex(3);
             f->ComboBox2Change(); }},
        {"Txt", [](FormContext& c) { return c.keep<TTxtfrm>(); }},
        {"FormatSelection", [](FormContext& c) { return c.keep<Tformatselectionfrm>(); }},
        {"DragAndDrop", [](FormContext& c) { return c.keep<TDraganddropfrm>(); }},
        {"CombineChannels", [](FormContext& c) { return c.keep<TCombineChannelsfrm>(); }},
        {"DivideChannels", [](FormContext& c) { return c.keep<TDivideChannelsfrm>(); }},
        {"DivideWaves", [](FormContext& c) { return c.keep<Tdiv_wavs>(); }},
        {"DivideTracks", [](FormContext& c) { return c.keep<Tdiv_tracksfrm>(); }},
        {"DivideByLength", [](FormContext& c) { return c.keep<TDiv_Length_frm>(); }},
        {"DivideByLengthAdd", [](FormContext& c) { return c.keep<TDiv_Length_Add_frm>(); }},
        {"Concatenate", [](FormContext& c) { return c.keep<Tconcatenatefrm>(); }},
        {"RecordNewSound", [](FormContext& c) { return c.keep<TRecordNewSoundfrm>(); }},
        {"WaveConverter", [](FormContext& c) { return c.keep<TRIFFWaveFileconverterfrm>(); }},
        {"Mp3ToWave", [](FormContext& c) { return c.keep<TMP32WAVfrm>(); }},
        {"FormatChooser", [](FormContext& c) {
             FormatChooseRequest r;
             r.title = "Sound Selection";
             r.format = gChooserFormat;
             r.formatSize = sizeof gChooserFormat;
             r.style = kChooseInitToFormat;
             return c.keep<FormatChooserDialog>(r); }},
        {"Setup", [](FormContext& c) { return c.keep<TSetup1frm>(std::vector<std::string>{}); }},
        {"SetupStep2", [](FormContext& c) { return c.keep<TSetup1frm>(std::vector<std::string>{}); }, {},
         [](QWidget* w) { static_cast<TSetup1frm*>(w)->Button1Click(); }},
        {"Uninstall", [](FormContext& c) { return c.keep<TUninstallfrm>(); }},
        {"Help", [](FormContext& c) {
             auto* f = c.keep<THelpfrm>(nullptr);
             f->loadHelp(std::string(SONVELA_INSTALLATION_DIR) + "sonvela.hlp");
             f->showPage("file_menu.html");
             return f; }},
    };
    return forms;
}

} // namespace sv::test
