#include "dialogs/CombineChannels.h"

TCombineChannelsfrm::TCombineChannelsfrm(QWidget* parent)
    : ChannelFilesDialog(parent, QStringLiteral("Combine Channels"), QStringLiteral("&Left Channel : "),
                         QStringLiteral("&Right Channel : "), QStringLiteral("OK, Com&bine")) {}

sv::FileDialogResult TCombineChannelsfrm::runFileDialog(const sv::FileDialogRequest& request) {
    return sv::prompts().openDialog(request);
}

// od1: the sources must exist.
sv::FileDialogRequest TCombineChannelsfrm::fileRequest() const {
    sv::FileDialogRequest r;
    r.filter = "PCM WaveForms|*.wav";
    return r;
}
