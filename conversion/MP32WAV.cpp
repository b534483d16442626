#include "conversion/MP32WAV.h"

#include "dialogs/ParamDialog.h"

TMP32WAVfrm::TMP32WAVfrm(QWidget* parent) : QDialog(parent) {
    setObjectName("MP32WAVfrm");
    setWindowTitle("MP3 to WAV");
    resize(300, 120);
}

namespace sv {
void runMp3ToWav(QWidget* parent) {
    TMP32WAVfrm form(parent);
    showModal(form);
}
}
