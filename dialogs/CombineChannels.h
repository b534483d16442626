// "Combine Channels": the two mono WAVE files that become the left and the
// right channel of a new stereo sound.
#pragma once
#include "dialogs/channel_files_dialog.h"

class TCombineChannelsfrm : public ChannelFilesDialog {
    Q_OBJECT
public:
    explicit TCombineChannelsfrm(QWidget* parent = nullptr);

protected:
    sv::FileDialogResult runFileDialog(const sv::FileDialogRequest& request) override;
    sv::FileDialogRequest fileRequest() const override;
};
