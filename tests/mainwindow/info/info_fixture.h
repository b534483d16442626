// A main window in a temporary program folder, with the registry, the
// desktop entries and the link opener pointed away from the user's own.
#pragma once
#include <gtest/gtest.h>

#include <QApplication>
#include <memory>
#include <string>
#include <vector>

#include "mainwindow/Links.h"
#include "mainwindow/SonvelaMain.h"
#include "mainwindow/SonvelaMain_info.h"
#include "platform/activity.h"
#include "platform/audio/audio_backend.h"
#include "platform/program_groups.h"
#include "platform/registry.h"
#include "sound/Sound.h"
#include "tests/support/modal.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/wave_fixtures.h"

namespace sv::test {

class InfoTest : public ::testing::Test {
protected:
    TempExeDir dir;
    std::unique_ptr<TSVMainfrm> main;
    std::vector<std::string> opened;   // links the program asked to open

    void SetUp() override {
        setRegistryFolder(dir.file("registry/"));
        setApplicationsFolder(dir.file("applications/"));
        setMimeAppsFile(dir.file("mimeapps.list"));
        setAudioBackend(AudioBackend::Virtual);
        setLinkOpener([this](const std::string& url) {
            opened.push_back(url);
            return true;
        });
    }
    void TearDown() override {
        setActivity(Activity::Idle);
        if (main) {
            for (TSoundfrm* w : main->soundWindows()) {
                w->Modified = false;
                w->closeWindow();
            }
            flush();
            main.reset();
        }
        flush();
        setLinkOpener(nullptr);
        setAudioBackend(AudioBackend::Auto);
        setRegistryFolder("");
        setApplicationsFolder("");
        setMimeAppsFile("");
    }
    static void flush() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
    void start() {
        main = std::make_unique<TSVMainfrm>();
        main->FormActivate();
    }
    TSoundfrm* openWave(const std::string& name, int bits = 16, int channels = 2, int frames = 4000) {
        writeBytes(dir.file(name), canonicalWave(22050, bits, channels, testSignal(bits, channels, frames)));
        return main->openWave(dir.file(name), false);
    }
    void trigger(const std::string& item) {
        QAction* a = main->item(item);
        ASSERT_NE(a, nullptr) << item;
        ASSERT_TRUE(a->isEnabled()) << item;
        a->trigger();
    }
};

} // namespace sv::test
