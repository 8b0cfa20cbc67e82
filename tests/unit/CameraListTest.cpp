#include "core/run/CameraList.h"

#include <gtest/gtest.h>

using namespace capture;

TEST(CameraList, NameEqualsUrlLinesAndWhatIsNoCamera) {
    const QString text = QStringLiteral("\xFEFF# Cameras of the lake\r\n"
                                        "Dock = rtsp://10.0.0.5:554/stream1?user=judge&x=1\r\n"
                                        "\r\n"
                                        "  Tower cam =udp://239.0.0.1:1234  \n"
                                        "; spare\n"
                                        "Boat = http://boat.local/video.mjpg\n"
                                        "dock = rtsp://10.0.0.6/other\n" // 7: a name used before
                                        "Replay = /srv/video/replay.avi\n"
                                        "= rtsp://nameless/\n"        // 9
                                        "Broken\n"                    // 10
                                        "Relative = videos/run.avi\n" // 11
                                        "Spaced = rtsp://a b/\n"      // 12
                                        "Empty =\n");                 // 13
    const CameraList list = parseCameraList(text);
    ASSERT_EQ(list.cameras.size(), 4u);
    EXPECT_EQ(list.cameras[0].name, "Dock");
    EXPECT_EQ(list.cameras[0].url, "rtsp://10.0.0.5:554/stream1?user=judge&x=1");
    EXPECT_EQ(list.cameras[1].name, "Tower cam");
    EXPECT_EQ(list.cameras[1].url, "udp://239.0.0.1:1234");
    EXPECT_EQ(list.cameras[2].url, "http://boat.local/video.mjpg");
    EXPECT_EQ(list.cameras[3].url, "/srv/video/replay.avi");
    EXPECT_EQ(list.badLines, std::vector<int>({7, 9, 10, 11, 12, 13}));
    EXPECT_TRUE(parseCameraList(QString()).cameras.empty());
}
