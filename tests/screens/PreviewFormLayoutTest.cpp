// The Capture screen as it opens: initial states and tab order, the live picture; its end
// disconnects the device.
#include "PreviewFormTestFixture.h"

#include "core/app/Twips.h"
#include "ui/widgets/PictureWidget.h"

TEST_F(CaptureScreenTest, InitialStateAndTabOrder) {
    screens::PreviewForm& f = form();
    EXPECT_TRUE(f.cmdStartCapture->isEnabled());
    EXPECT_FALSE(f.cmdStartTimer->isEnabled());
    EXPECT_FALSE(f.cmdEndCapture->isEnabled());
    EXPECT_FALSE(f.cmdEndCapture->isVisibleTo(&f));
    EXPECT_FALSE(f.lblStartFrame->isVisibleTo(&f));
    EXPECT_FALSE(f.Label4->isVisibleTo(&f));
    EXPECT_EQ(f.lblStartFrame->text(), QStringLiteral("0"));
    EXPECT_FALSE(f.Timer40->isActive());
    EXPECT_FALSE(f.passTimer->isActive());
    EXPECT_EQ(f.captime->text(), QStringLiteral("40"));
    EXPECT_EQ(f.runTime->text(), QStringLiteral("20"));

    const QList<QWidget*> order{f.cmdStartCapture, f.cmdStartTimer, f.cmdEndCapture,
                                f.cmdGoSetup,      f.cmdGoToTimer,  f.txtPass,
                                f.cmdSelect,       f.txtSkierName};
    // The next control the Tab key can reach, whether or not it is enabled or shown now.
    auto nextTabStop = [](QWidget* w) {
        do
            w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus));
        return w;
    };
    for (int i = 0; i + 1 < order.size(); ++i)
        EXPECT_EQ(nextTabStop(order[i]), order[i + 1]) << i;
}

TEST_F(CaptureScreenTest, DestroyingTheScreenDisconnectsTheControl) {
    {
        screens::Screens own(env.services);
        own.capture();
        env.control.clearRecord();
    }
    EXPECT_TRUE(env.control.calls.contains(QStringLiteral("Disconnect()")));
}

TEST_F(CaptureScreenTest, Grabora1ShowsTheLivePicturesAtItsOwnSize) {
    screens::PreviewForm& f = form();
    auto* picture = qobject_cast<widgets::PictureWidget*>(f.Grabora1);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->objectName(), QStringLiteral("Grabora1"));
    EXPECT_EQ(picture->geometry(), app::twips(2280, 120, 2415, 1815));
    f.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(env.control.previewSize, picture->size()) << "pictures are made to fit the place";

    QImage frame(160, 120, QImage::Format_RGB32);
    frame.fill(Qt::green);
    env.control.emitPreviewFrame(frame);
    EXPECT_EQ(picture->picturesShown(), 1);
    EXPECT_EQ(picture->picture(), frame);
    f.hide();
}

TEST_F(CaptureScreenTest, ClosingTheScreenStopsThePictures) {
    {
        screens::Screens own(env.services);
        own.capture();
        EXPECT_FALSE(env.control.previewSize.isEmpty());
    }
    EXPECT_TRUE(env.control.previewSize.isEmpty());
}
