// "MP3 to WAV": a form with no working controls; it only shows and closes.
#pragma once
#include <QDialog>

class QPushButton;

class TMP32WAVfrm : public QDialog {
    Q_OBJECT
public:
    explicit TMP32WAVfrm(QWidget* parent = nullptr);
};

namespace sv {
// The main window's "Convert MP3 to WAV": the form, shown modally and freed.
void runMp3ToWav(QWidget* parent);
}
