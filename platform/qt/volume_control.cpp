#include "platform/qt/volume_control.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include "platform/prompts.h"

namespace sv {

namespace {

bool startDetached(const VolumeControlCommand& c) {
    const QString program = QString::fromStdString(c.program);
    // startDetached forks before it knows whether the program exists; look
    // it up first so a missing mixer falls through to the next one quietly.
    if (QStandardPaths::findExecutable(program).isEmpty()) return false;
    QStringList args;
    for (const auto& a : c.arguments) args << QString::fromStdString(a);
    return QProcess::startDetached(program, args);
}

ProgramStarter& starter() {
    static ProgramStarter s;
    return s;
}

} // namespace

const std::vector<VolumeControlCommand>& volumeControlCommands() {
    static const std::vector<VolumeControlCommand> commands = {
        {"pavucontrol", {}},
        {"pavucontrol-qt", {}},
        {"pwvucontrol", {}},
        {"mate-volume-control", {}},
        {"xfce4-mixer", {}},
        {"kmix", {}},
        {"gnome-control-center", {"sound"}},
        {"qasmixer", {}},
    };
    return commands;
}

void setProgramStarter(ProgramStarter s) { starter() = std::move(s); }

bool startVolumeControl() {
    for (const auto& c : volumeControlCommands()) {
        const bool started = starter() ? starter()(c) : startDetached(c);
        if (started) return true;
    }
    return false;
}

void openVolumeControl() {
    if (!startVolumeControl()) ShowMessage("Volume control not found.");
}

} // namespace sv
