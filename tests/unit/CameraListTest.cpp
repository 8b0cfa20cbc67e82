#include "core/media/CameraList.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace media;

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

// The one warning at start names the skipped lines, however many there are, and says what of a
// long or binary file was not read.
TEST(CameraList, TheStartWarningNamesWhatWasSkipped) {
    QTemporaryDir dir;
    auto listOf = [&](const QByteArray& bytes) {
        QFile file(dir.filePath(kCameraListFile));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        return readCameraList(dir.path());
    };
    QByteArray many;
    for (int i = 0; i < 10000; ++i)
        many += "Cam" + QByteArray::number(i % 3 == 0 ? 0 : i) + " = rtsp://10.0.0.1/" +
                QByteArray::number(i) + "\n";
    QByteArray binary(4096, '\0');
    for (int i = 0; i < binary.size(); ++i)
        binary[i] = char((i * 7919) % 256);
    const struct {
        const char* what;
        QByteArray bytes;
        QString warning;
    } cases[] = {
        {"good", "Dock = rtsp://10.0.0.5/\n# note\n", QString()},
        {"no file", QByteArray(), QString()},
        {"one bad", "Dock = rtsp://10.0.0.5/\nBroken\n",
         "Cameras.txt: line 2 is no camera (name = URL) and was skipped."},
        {"two bad", "Broken\nDock = rtsp://10.0.0.5/\nRel = a.avi\n",
         "Cameras.txt: lines 1, 3 are no camera (name = URL) and were skipped."},
        {"10,000 lines, every third a name used before, longer than 64 KiB", many,
         "Cameras.txt: lines 4, 7, 10, 13, 16, 19, 22, 25, 28, 31, 34, 37, 40, 43, 46, 49, 52, 55, "
         "58, 61 and %1 more are no camera (name = URL) and were skipped; only its first %2 "
         "lines were read (the file is longer than 64 KiB)."},
        {"binary", binary,
         "Cameras.txt: this is no text file (it holds control characters), so no camera was "
         "read from it."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.bytes.isNull())
            QFile::remove(dir.filePath(kCameraListFile));
        const CameraList list = c.bytes.isNull() ? readCameraList(dir.path()) : listOf(c.bytes);
        QString expected = c.warning;
        if (expected.contains("%1")) {
            ASSERT_TRUE(list.cutShort);
            ASSERT_GT(list.linesRead, 1000);
            ASSERT_LT(list.linesRead, 10000);
            // The last line read is whole: it is line linesRead (or the bad one before it).
            const int last = list.cameras.back().url.section('/', -1).toInt();
            EXPECT_GE(last + 1, list.linesRead - 1);
            EXPECT_LE(last + 1, list.linesRead);
            expected = expected.arg(list.badLines.size() - 20).arg(list.linesRead);
        }
        EXPECT_EQ(cameraListWarning(list), expected);
    }
}
