#include "core/engine/CaptureQueue.h"
#include "core/engine/AlsaDevices.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace engine;

namespace {
CaptureItem picture(int64_t n, std::vector<int16_t> audio = {}) {
    FramePtr f = makeFrame();
    f->pts = n;
    return CaptureItem{std::move(f), std::move(audio)};
}
} // namespace

TEST(CaptureQueue, FullQueueRefusesPicturesButKeepsTheirSound) {
    CaptureQueue q(2);
    CaptureItem a = picture(0), b = picture(1), c = picture(2, {7, 8});
    EXPECT_TRUE(q.tryPush(a));
    EXPECT_TRUE(q.tryPush(b));
    EXPECT_FALSE(q.tryPush(c));
    ASSERT_TRUE(c.video) << "a refused item is left with the caller";
    EXPECT_TRUE(q.pushAudio(std::move(c.audio)));
    auto first = q.pop();
    ASSERT_TRUE(first && first->video);
    EXPECT_EQ(first->video->pts, 0);
    EXPECT_TRUE(q.tryPush(c)); // room again
    EXPECT_EQ(q.pop()->video->pts, 1);
    auto sound = q.pop();
    ASSERT_TRUE(sound);
    EXPECT_FALSE(sound->video);
    EXPECT_EQ(sound->audio, (std::vector<int16_t>{7, 8}));
    q.close();
    EXPECT_EQ(q.pop()->video->pts, 2); // what was queued still comes out after the close
    EXPECT_FALSE(q.pop().has_value());
    CaptureItem d = picture(3);
    EXPECT_FALSE(q.tryPush(d));
}

TEST(CaptureQueue, AWaitingPushEndsOnStop) {
    CaptureQueue q(1);
    CaptureItem a = picture(0), b = picture(1);
    ASSERT_TRUE(q.tryPush(a));
    std::stop_source stop;
    std::thread t([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        stop.request_stop();
    });
    EXPECT_FALSE(q.pushWait(b, stop.get_token()));
    t.join();
}

TEST(AlsaDevices, CaptureSidesFromProcAsound) {
    QTemporaryDir dir;
    QDir root(dir.path());
    auto write = [&](const QString& name, const QByteArray& text) {
        root.mkpath(QFileInfo(root.filePath(name)).path());
        QFile f(root.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    };
    write("pcm", "00-00: ALC892 Analog : ALC892 Analog : playback 1 : capture 1\n"
                 "00-01: ALC892 Digital : ALC892 Digital : playback 1\n"
                 "01-00: USB Audio : USB Audio : capture 1\n");
    write("card0/id", "PCH\n");
    write("card1/id", "Webcam\n");
    write("card1/pcm0c/info", "card: 1\ndevice: 0\nname: USB Audio\n");
    const auto devices = engine::alsaCaptureDevices(dir.path());
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(devices[0].id, "hw:0,0");
    EXPECT_EQ(devices[0].name, "PCH: ALC892 Analog");
    EXPECT_EQ(devices[1].id, "hw:1,0");
    EXPECT_EQ(devices[1].name, "Webcam: USB Audio");
    const auto node = engine::alsaDeviceForNode("/dev/snd/pcmC1D0c", dir.path());
    ASSERT_TRUE(node);
    EXPECT_EQ(node->id, "hw:1,0");
    EXPECT_EQ(node->name, "Webcam: USB Audio");
    EXPECT_FALSE(engine::alsaDeviceForNode("/dev/snd/pcmC1D0p", dir.path())); // playback
    EXPECT_FALSE(engine::alsaDeviceForNode("/dev/snd/controlC1", dir.path()));
    EXPECT_TRUE(engine::alsaCaptureDevices(dir.filePath("missing")).empty());
}
