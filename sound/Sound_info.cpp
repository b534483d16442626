#include <QLabel>

#include "dialogs/ParamDialog.h"
#include "mainwindow/FileInfo.h"
#include "platform/paths.h"
#include "sound/Sound.h"

void TSoundfrm::informacion_archivo() {
    TFileInfofrm form(this);
    // The status bar already holds each value as the user reads it.
    form.Panel1->setText(StatusPanels[2]->text());
    form.Panel2->setText(StatusPanels[3]->text());
    form.Panel3->setText(StatusPanels[1]->text());
    form.Panel4->setText(StatusPanels[0]->text());
    form.Panel5->setText(StatusPanels[4]->text());
    form.Panel6->setText(QString::fromStdString(sv::extractFileName(FileName)));
    form.Panel6->setToolTip(QString::fromStdString(FileName));
    sv::showModal(form);
}
