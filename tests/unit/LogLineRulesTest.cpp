// The log viewer's reading of a session log, on raw file contents.
#include "core/run/LogLineRules.h"

#include <gtest/gtest.h>

using namespace review;

TEST(LogLineRules, ListsRunLinesInFileOrderWhateverTheLineEnds) {
    const QByteArray log = "01-18-200520:24:14Skivane Session started  \r\n"
                           "Start: 41End: 640File: /v/Annpass1.avi\r\n"
                           "\r\n"
                           "no marker\r\r\n"
                           "Start: 2End: 601File: /v/Bob, Jr.pass1.avi";
    EXPECT_EQ(listedLogLines(log),
              QStringList({"Start: 41End: 640File: /v/Annpass1.avi", "", "no marker",
                           "Start: 2End: 601File: /v/Bob, Jr.pass1.avi"}));
    EXPECT_TRUE(listedLogLines("").isEmpty());
    EXPECT_TRUE(listedLogLines("xSkivane\nSkivane").isEmpty());
}

TEST(LogLineRules, VideoFileIsTheRestAfterTheFirstMarker) {
    EXPECT_EQ(logLineVideoFile("Start: 1File: /v/a File: b.avi"), "/v/a File: b.avi");
    EXPECT_EQ(logLineVideoFile("File:"), "");
    EXPECT_EQ(logLineVideoFile("no marker"), "");
    EXPECT_TRUE(isRunLogLine("xFile:"));
    EXPECT_FALSE(isRunLogLine("file: x"));
}
