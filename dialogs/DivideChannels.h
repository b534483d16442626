// "Divide Stereo Channels": the two mono WAVE files the channels of a
// stereo sound are written to. The caller fills both names first.
#pragma once
#include "dialogs/channel_files_dialog.h"

class TDivideChannelsfrm : public ChannelFilesDialog {
    Q_OBJECT
public:
    explicit TDivideChannelsfrm(QWidget* parent = nullptr);

protected:
    sv::FileDialogResult runFileDialog(const sv::FileDialogRequest& request) override;
    sv::FileDialogRequest fileRequest() const override;
};
