// The amplify and fade dialogs driven through their handlers, and once each
// through the real modal loop.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

#include "dialogs/AmplifyVolume.h"
#include "dialogs/FadeInOut.h"
#include "dialogs/ParamDialog.h"
#include "platform/settings.h"
#include "tests/support/scripted_prompts.h"

using namespace sv;

TEST(DialogConvention, FrameCloseCountsAsCancel) {
    EXPECT_EQ(modalResultFrom(0), mrCancel);
    EXPECT_EQ(modalResultFrom(1), mrOk);
    EXPECT_EQ(modalResultFrom(2), mrCancel);
}

TEST(AmplifyDialog, TypedValueAboveTheMaximumRaisesItAndReturnCloses) {
    TAmplifyVolumefrm f;
    f.prepare();
    f.Edit1->setText("350");
    f.Edit1KeyPress();
    EXPECT_EQ(f.result(), mrOk);
    EXPECT_EQ(f.conclude(mrOk), 350);
    EXPECT_EQ(f.TrackBar1->maximum(), 350);
    EXPECT_EQ(f.TrackBar1->value(), 350);
    EXPECT_EQ(f.Label4->text(), "350");
    EXPECT_EQ(f.Label3->text(), "175");
    // The next opening starts from 100 on a 1..200 slider again.
    f.prepare();
    EXPECT_EQ(f.TrackBar1->maximum(), 200);
    EXPECT_EQ(f.TrackBar1->value(), 100);
    EXPECT_EQ(f.Edit1->text(), "100");
    EXPECT_EQ(f.RadioGroup1->ItemIndex(), 2);
}

TEST(AmplifyDialog, PresetsAndSlider) {
    TAmplifyVolumefrm f;
    f.prepare();
    f.RadioGroup1->setItemIndex(0);
    f.RadioGroup1Click();
    EXPECT_EQ(f.Percent, 200);
    EXPECT_EQ(f.Edit1->text(), "200");
    EXPECT_EQ(f.TrackBar1->value(), 200);
    EXPECT_EQ(f.RadioGroup1->ItemIndex(), 0);
    f.RadioGroup1->setItemIndex(1);
    f.RadioGroup1Click();
    EXPECT_EQ(f.Percent, 50);
    f.TrackBar1->setValue(130);   // as the user moving it
    EXPECT_EQ(f.Percent, 130);
    EXPECT_EQ(f.Edit1->text(), "130");
    EXPECT_EQ(f.RadioGroup1->ItemIndex(), 2);
    f.Button1Click();
    EXPECT_EQ(f.conclude(f.result()), 130);
}

TEST(AmplifyDialog, CancelAfterAnyChangeGivesHundred) {
    TAmplifyVolumefrm f;
    f.prepare();
    f.TrackBar1->setValue(20);
    f.Button2Click();
    EXPECT_EQ(f.result(), mrCancel);
    EXPECT_EQ(f.conclude(mrCancel), 100);
    // Closed by the frame: no OK, so Cancel's value.
    f.prepare();
    f.TrackBar1->setValue(20);
    EXPECT_EQ(f.conclude(modalResultFrom(0)), 100);
}

TEST(AmplifyDialog, TypedValuesBelowTheMinimumAndNonNumbers) {
    TAmplifyVolumefrm f;
    f.prepare();
    f.Edit1->setText("-40");
    f.Edit1Exit();
    EXPECT_EQ(f.Percent, 1);
    EXPECT_EQ(f.Edit1->text(), "1");
    f.Edit1->setText("loud");
    f.Edit1KeyPress();
    EXPECT_TRUE(test::scripted().sawMessage("'loud' is not a valid integer value"));
    EXPECT_EQ(f.Percent, 1);
    EXPECT_EQ(f.conclude(modalResultFrom(0)), 100);   // Return did not close
}

TEST(AmplifyDialog, ThroughTheModalLoop) {
    TAmplifyVolumefrm f;
    QTimer::singleShot(0, &f, [&f] {
        f.TrackBar1->setValue(160);
        f.Button1->click();
    });
    EXPECT_EQ(f.mostrar_dialogo(), 160);
    QTimer::singleShot(0, &f, [&f] {
        f.TrackBar1->setValue(60);
        f.reject();   // Escape or the frame
    });
    EXPECT_EQ(f.mostrar_dialogo(), 100);
}

TEST(FadeDialog, FirstFadeOutShowsFiftyAndOkStoresTheChoice) {
    test::TempExeDir dir;
    TFadeInOutfrm f;
    f.prepare(1);
    EXPECT_EQ(f.windowTitle(), "Fade Out");
    EXPECT_EQ(f.Label1->text(), "Final Percent");
    EXPECT_EQ(f.headingLabel->text(), "Fade Out   ");
    EXPECT_EQ(f.TrackBar1->value(), 50);
    EXPECT_EQ(f.Edit1->text(), "50");
    f.TrackBar1->setValue(30);
    f.RadioGroup1->setItemIndex(1);
    f.Button1Click();
    int32_t progression = -1;
    EXPECT_EQ(f.conclude(f.result(), progression), 30);
    EXPECT_EQ(progression, 1);
    IniFile ini = Settings();
    EXPECT_EQ(ini.ReadInteger("Fade", "FadeOut", 0), 30);
    EXPECT_EQ(ini.ReadInteger("Fade", "FadeOutProgress", 0), 1);
    EXPECT_FALSE(ini.ValueExists("Fade", "FadeIn"));

    // Another dialog opens with them.
    TFadeInOutfrm g;
    g.prepare(1);
    EXPECT_EQ(g.TrackBar1->value(), 30);
    EXPECT_EQ(g.RadioGroup1->ItemIndex(), 1);
}

TEST(FadeDialog, ReturnUsesTheValueWithoutStoringIt) {
    test::TempExeDir dir;
    Settings().WriteInteger("Fade", "FadeIn", 20);
    TFadeInOutfrm f;
    f.prepare(0);
    EXPECT_EQ(f.windowTitle(), "Fade In");
    EXPECT_EQ(f.Label1->text(), "Initial Percent:");
    EXPECT_EQ(f.TrackBar1->value(), 20);
    f.Edit1->setText("70");
    f.Edit1KeyPress();
    int32_t progression = -1;
    EXPECT_EQ(f.conclude(f.result(), progression), 70);
    EXPECT_EQ(Settings().ReadInteger("Fade", "FadeIn", 0), 20);
    f.prepare(0);
    EXPECT_EQ(f.TrackBar1->value(), 20);
}

TEST(FadeDialog, TypedValuesAreHeldToZeroToHundred) {
    test::TempExeDir dir;
    TFadeInOutfrm f;
    f.prepare(0);
    f.Edit1->setText("150");
    f.Edit1Exit();
    EXPECT_EQ(f.Percent, 100);
    EXPECT_EQ(f.Edit1->text(), "100");
    f.Edit1->setText("-5");
    f.Edit1Exit();
    EXPECT_EQ(f.Percent, 0);
    EXPECT_EQ(f.TrackBar1->value(), 0);
}

TEST(FadeDialog, CancelAndFrameCloseGiveHundredAndStoreNothing) {
    test::TempExeDir dir;
    TFadeInOutfrm f;
    f.prepare(1);
    f.TrackBar1->setValue(10);
    f.Button2Click();
    int32_t progression = -1;
    EXPECT_EQ(f.conclude(f.result(), progression), 100);
    f.prepare(1);
    f.TrackBar1->setValue(10);
    EXPECT_EQ(f.conclude(modalResultFrom(0), progression), 100);
    EXPECT_FALSE(Settings().ValueExists("Fade", "FadeOut"));
}

TEST(FadeDialog, EnvelopeLinesFollowThePercent) {
    test::TempExeDir dir;
    TFadeInOutfrm f;
    f.prepare(1);
    f.Bevel1->resize(200, 100);
    f.TrackBar1->setValue(40);
    // Fade out: from the left-hand corners to the right edge, 40 % of the
    // 46 pixels between the middle and the inset edge either side of it.
    EXPECT_EQ(f.Bevel1->upperLine(), QLineF(4, 4, 196, 50 - 18.4));
    EXPECT_EQ(f.Bevel1->lowerLine(), QLineF(4, 96, 196, 50 + 18.4));
    // At 100 % the lines stay level with the corners.
    f.TrackBar1->setValue(100);
    EXPECT_EQ(f.Bevel1->upperLine(), QLineF(4, 4, 196, 4));
    EXPECT_EQ(f.Bevel1->lowerLine(), QLineF(4, 96, 196, 96));
    f.prepare(0);
    f.TrackBar1->setValue(0);
    EXPECT_EQ(f.Bevel1->upperLine(), QLineF(196, 4, 4, 50));
}

TEST(FadeDialog, ThroughTheModalLoop) {
    test::TempExeDir dir;
    TFadeInOutfrm f;
    QTimer::singleShot(0, &f, [&f] {
        f.TrackBar1->setValue(25);
        f.Button1->click();
    });
    int32_t progression = -1;
    EXPECT_EQ(f.mostrar_dialogo(0, progression), 25);
    EXPECT_EQ(progression, 0);
    EXPECT_EQ(Settings().ReadInteger("Fade", "FadeIn", 0), 25);
}

// A dialog destroyed while its box still holds the focus must not run the
// box's exit handler on controls that are already gone.
TEST(FadeDialogLifetime, DestroyedWithFocusInItsBox) {
    auto* f = new TFadeInOutfrm();
    f->show();
    f->activateWindow();
    f->Edit1->setFocus();
    QCoreApplication::processEvents();
    f->hide();
    delete f;
    SUCCEED();
}
