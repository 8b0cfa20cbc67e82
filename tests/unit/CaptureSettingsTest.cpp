// What the capture settings dialogs hold, as setting lists, and their changes applied by id.
#include "core/engine/CaptureSettings.h"
#include "core/engine/Codecs.h"
#include "core/ports/CaptureControl.h"

#include <gtest/gtest.h>

using engine::CaptureSettings;
using engine::DialogSubject;
using engine::Setting;

namespace {

DialogSubject testCamera() {
    DialogSubject s;
    s.connected = true;
    s.testCamera = true;
    s.audioIndex = 1;
    s.audioName = QStringLiteral("Skivane Test Tone");
    return s;
}

QStringList labels(const engine::SettingList& list) {
    QStringList out;
    for (const Setting& s : list.settings)
        out << s.group + QLatin1Char('/') + s.label;
    return out;
}

} // namespace

TEST(CaptureSettings, DialogsListWhatTheyAdjust) {
    bool recording = false;
    CaptureSettings settings([&] { return recording; });
    settings.loadDevice({QStringLiteral("Skivane Test Camera"), {}});
    const DialogSubject subject = testCamera();

    const engine::SettingList source = settings.dialog(35, subject);
    EXPECT_EQ(source.title, "Video Source");
    EXPECT_EQ(labels(source), QStringList({"Test camera/Brightness", "Test camera/Background tint",
                                           "Test camera/Channel"}));
    EXPECT_EQ(source.settings[2],
              (Setting{"test/channel", "Test camera", "Channel", 2, 5, 2, Setting::Kind::Range}));

    // With an effect chosen, its settings follow the camera's.
    EXPECT_FALSE(settings.hasDialog(35 + 4096, subject));
    settings.setEffect(0, ports::kEffectCategory,
                       settings.findEffect(ports::kEffectCategory, "Brightness/Contrast"));
    const engine::SettingList withEffect = settings.dialog(35 + 4096, subject);
    ASSERT_EQ(withEffect.settings.size(), 5u);
    EXPECT_EQ(labels(withEffect).mid(3),
              QStringList({"Brightness/Contrast/Brightness", "Brightness/Contrast/Contrast (%)"}));

    settings.setVideoCompressor(0);
    const engine::SettingList compression = settings.dialog(256, subject);
    EXPECT_EQ(labels(compression), QStringList({"Motion JPEG/Quality (100 = best)"}));
    EXPECT_EQ(compression.settings[0].value, engine::kDefaultQuality);

    const engine::SettingList sound = settings.dialog(1032, subject);
    EXPECT_EQ(labels(sound), QStringList({"Skivane Test Tone/Input gain (%)"}));
    EXPECT_EQ(sound.settings[0].max, 400);

    // Not available now: refused with kNotSupported.
    DialogSubject none;
    EXPECT_FALSE(settings.hasDialog(35, none));
    EXPECT_FALSE(settings.hasDialog(1032, none));
    EXPECT_FALSE(settings.hasDialog(999, subject));
    try {
        settings.dialog(35, none);
        FAIL() << "a dialog of no device was given";
    } catch (const ports::ControlError& e) {
        EXPECT_EQ(e.number(), ports::errors::kNotSupported);
    }
}

TEST(CaptureSettings, ChangesApplyByIdWithinTheirRange) {
    bool recording = false;
    CaptureSettings settings([&] { return recording; });
    settings.loadDevice({QStringLiteral("Skivane Test Camera"), {}});
    const DialogSubject subject = testCamera();
    settings.setEffect(0, ports::kEffectCategory,
                       settings.findEffect(ports::kEffectCategory, "Brightness/Contrast"));
    for (const Setting& s : settings.dialog(35 + 4096, subject).settings) {
        if (s.id != "test/channel") { // a channel is one of a few: see below
            EXPECT_EQ(settings.applySetting(s.id, s.max + 1000, subject), QString());
        }
    }
    EXPECT_EQ(settings.look().brightness, 100);
    EXPECT_EQ(settings.look().tint, (359 + 1000) % 360); // a tint turns round
    std::vector<int> effect; // the effect's settings follow the test camera's three
    for (const Setting& s : settings.dialog(35 + 4096, subject).settings)
        if (s.id.startsWith("effect/"))
            effect.push_back(s.value);
    EXPECT_EQ(effect, (std::vector<int>{100, 300}));
    EXPECT_THROW(settings.applySetting("test/channel", 9, subject), ports::ControlError);
    settings.applySetting("test/channel", 4, subject);
    EXPECT_EQ(settings.channel(), 4);
    settings.applySetting("sound/gain", 150, subject);
    EXPECT_EQ(settings.gain(), 150);

    // The quality shapes the file: locked while recording.
    recording = true;
    EXPECT_THROW(settings.applySetting("compressor/quality", 40, subject), ports::ControlError);
    recording = false;
    settings.applySetting("compressor/quality", 40, subject);
    EXPECT_EQ(settings.quality(), 40);
}
