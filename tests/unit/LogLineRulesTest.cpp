// The log viewer's reading of a session log, on raw file contents.
#include "core/run/LogLineRules.h"

#include <gtest/gtest.h>

using namespace run;

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

TEST(LogLineRules, SessionLinesAreKnownByTheirForm) {
    struct Case {
        const char* line;
        bool session, listed, run;
    };
    for (const Case& c : {
             Case{"01-18-200520:24:14Skivane Session started  ", true, false, false},
             Case{"01-18-200520:24:14Skivane Session started", true, false, false},
             // Run lines whose folder, skier or file name holds the program's name.
             Case{"01-18-200520:31:07Skier: AnnPass: 1Start:  1End:  600File: /media/usb/"
                  "Skivane Runs/Annpass1.avi",
                  false, true, true},
             Case{"01-18-200520:31:07Skier: SkivanePass: 1Start:  1End:  600File: "
                  "/v/Skivanepass1.avi",
                  false, true, true},
             // Lines of another form that name the program stay hidden, as they always were.
             Case{"01-18-200520:24:14Skivane Sess", false, false, false},
             Case{"Skivane Session started", false, false, false},
             Case{"01-18-2005 20:24:14Skivane Session started", false, false, false},
             Case{"junk line", false, true, false},
             Case{"", false, true, false},
         }) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(isSessionLogLine(c.line), c.session);
        EXPECT_EQ(isListedLogLine(c.line), c.listed);
        EXPECT_EQ(isRunLogLine(c.line), c.run);
    }
}
