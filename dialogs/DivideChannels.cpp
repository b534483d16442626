#include "dialogs/DivideChannels.h"

TDivideChannelsfrm::TDivideChannelsfrm(QWidget* parent)
    : ChannelFilesDialog(parent, QStringLiteral("Divide Stereo Channels"),
                         QStringLiteral("&Left Channel Output Waveform Name: "),
                         QStringLiteral("&Right Channel Output Waveform Name:  "), QStringLiteral("OK, Di&vide")) {}

sv::FileDialogResult TDivideChannelsfrm::runFileDialog(const sv::FileDialogRequest& request) {
    return sv::prompts().saveDialog(request);
}

// sd1: where the two halves are written.
sv::FileDialogRequest TDivideChannelsfrm::fileRequest() const {
    sv::FileDialogRequest r;
    r.filter = "PCM Waveforms|*.wav";
    r.defaultExt = "wav";
    return r;
}
