#include "ui/screens/LogView.h"

#include "core/app/DesignFont.h"

#include "core/app/FileExist.h"
#include "core/app/Paths.h"
#include "core/app/Twips.h"
#include "core/ports/Dialogs.h"
#include "core/ports/Services.h"
#include "core/ports/Session.h"
#include "core/run/LogLineRules.h"
#include "ui/screens/ExportDay.h"
#include "ui/screens/ScreenHub.h"
#include "ui/screens/ScreenLinks.h"

#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QTextEdit>

namespace screens {
namespace {
template <typename W> W* place(W* widget, const char* name, const QRect& rect) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(rect);
    return widget;
}
} // namespace

LogView::LogView(ScreenHub& screens, QWidget* owner)
    // No close box and no minimize or maximize buttons: the two buttons are the ways out.
    : QWidget(owner, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_screens(screens) {
    using app::twips;
    setObjectName(QStringLiteral("LogView"));
    setWindowTitle(QStringLiteral("Log Viewer"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(app::designFont());
    setFixedSize(app::twipsToPixels(9285), app::twipsToPixels(8580));

    Label1 = place(new QLabel(QStringLiteral("Log File to View"), this), "Label1",
                   twips(360, 0, 1575, 255));
    txtLogFile = place(new QTextEdit(this), "txtLogFile", twips(360, 360, 6855, 615));
    txtLogFile->setAcceptRichText(false);
    cmdSelectLogFile = place(new QPushButton(QStringLiteral("Select Different Log File"), this),
                             "cmdSelectLogFile", twips(2400, 40, 2175, 255));
    cmdDismiss = place(new QPushButton(QStringLiteral("Exit Log Viewer"), this), "cmdDismiss",
                       twips(7560, 240, 1215, 375));
    Label2 = place(new QLabel(QStringLiteral("Click to Select and use View Selected File button "
                                             "to View or Double Click to view"),
                              this),
                   "Label2", twips(1200, 1080, 6375, 255));
    lstLog = place(new QListWidget(this), "lstLog", twips(360, 1320, 8535, 5715));
    lstLog->setSortingEnabled(false);
    lstLog->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    txtFileToView = place(new QTextEdit(this), "txtFileToView", twips(360, 7320, 8535, 615));
    txtFileToView->setAcceptRichText(false);
    cmdView = place(new QPushButton(QStringLiteral("View Selected File"), this), "cmdView",
                    twips(3720, 8160, 1815, 375));
    cmdExport = place(new QPushButton(QStringLiteral("Export…"), this), "cmdExport",
                      twips(7080, 8160, 1815, 375));

    connect(cmdSelectLogFile, &QPushButton::clicked, this, [this] { cmdSelectLogFile_Click(); });
    connect(cmdDismiss, &QPushButton::clicked, this, [this] { cmdDismiss_Click(); });
    connect(cmdView, &QPushButton::clicked, this, [this] { cmdView_Click(); });
    connect(cmdExport, &QPushButton::clicked, this, [this] { cmdExport_Click(); });
    connect(lstLog, &QListWidget::currentRowChanged, this, [this] { lstLog_Click(); });
    connect(lstLog, &QListWidget::itemDoubleClicked, this, [this] { lstLog_DblClick(); });

    Form_Load();
}

LogView::~LogView() = default;

bool LogView::isListed(const QString& line) {
    return run::isListedLogLine(line);
}

QString LogView::videoFileOf(const QString& line) {
    return run::logLineVideoFile(line);
}

void LogView::Form_Load() {
    const ports::Session& program = m_screens.session();
    const QString path = app::joinPath(program.VideoDirectory, program.LogFileName);
    if (app::FileIsPresent(path))
        txtLogFile->setPlainText(path);
    LoadLog(path);
}

void LogView::LoadLog(const QString& path) {
    lstLog->clear();
    if (app::FileIsPresent(path)) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            m_screens.services().dialogs->message(
                QStringLiteral("The log file ") + path +
                    QStringLiteral(" exists but cannot be read: ") + file.errorString(),
                ports::kAppTitle, ports::Icon::Exclamation);
        } else {
            QStringList lines;
            // Read until nothing comes back, not until atEnd(): a file whose size the system
            // does not report would otherwise read as empty instead of failing.
            for (;;) {
                const QByteArray raw = file.readLine();
                if (raw.isEmpty())
                    break;
                const QString line = run::logLineText(raw);
                if (isListed(line))
                    lines.append(line);
            }
            if (file.error() != QFileDevice::NoError) {
                m_screens.services().dialogs->message(
                    QStringLiteral("The log file ") + path +
                        QStringLiteral(" could not be read to its end: ") + file.errorString(),
                    ports::kAppTitle, ports::Icon::Exclamation);
                lines.clear();
            }
            lstLog->addItems(lines);
        }
    }
    setHorizontalExtent();
}

// The list scrolls sideways just far enough to show its longest entry followed by one space; a
// list of short entries does not scroll.
void LogView::setHorizontalExtent() {
    int longestRow = -1;
    qsizetype longest = -1;
    for (int row = 0; row < lstLog->count(); ++row) {
        const qsizetype length = lstLog->item(row)->text().size();
        if (length > longest) {
            longest = length;
            longestRow = row;
        }
    }
    const QString text = longestRow >= 0 ? lstLog->item(longestRow)->text() : QString();
    const QFontMetrics metrics(font());
    m_horizontalExtent = metrics.horizontalAdvance(text + u' ');
    if (longestRow >= 0) {
        // The entry's own width in the list is the extent plus the item's text margins.
        QListWidgetItem* item = lstLog->item(longestRow);
        const int margins = 2 * (lstLog->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
        item->setSizeHint(QSize(m_horizontalExtent + margins, lstLog->sizeHintForRow(longestRow)));
    }
}

void LogView::cmdSelectLogFile_Click() {
    const QString chosen = m_screens.services().dialogs->openFile(
        m_screens.session().VideoDirectory, QStringLiteral("*.txt|SkivaneLog*.txt"));
    if (!chosen.isEmpty())
        m_dialogFileName = chosen;
    txtLogFile->setPlainText(m_dialogFileName);
    LoadLog(m_dialogFileName);
}

void LogView::lstLog_Click() {
    const QListWidgetItem* item = lstLog->currentItem();
    txtFileToView->setPlainText(item ? videoFileOf(item->text()) : QString());
}

void LogView::lstLog_DblClick() {
    lstLog_Click();
    const QListWidgetItem* item = lstLog->currentItem();
    if (item && run::isRunLogLine(item->text()))
        cmdView_Click();
}

void LogView::cmdView_Click() {
    const QString file = txtFileToView->toPlainText();
    if (file.isEmpty())
        return;
    ports::Session& program = m_screens.session();
    program.NavigationSource = QStringLiteral("View");
    program.FileToView = file;
    ScreenHub& screens = m_screens;
    close();
    screens.hideSetup();
    RunReceiver& review = screens.runReceiver();
    screens.showTimer();
    // Already shown (the viewer was opened from it): the arrival still has to run.
    review.postPaint();
}

void LogView::cmdDismiss_Click() {
    close();
}

void LogView::cmdExport_Click() {
    QString path = txtLogFile->toPlainText();
    if (path.isEmpty()) {
        const ports::Session& program = m_screens.session();
        path = app::joinPath(program.VideoDirectory, program.LogFileName);
    }
    exportDayLog(*m_screens.services().dialogs, *m_screens.services().tools, path);
}
} // namespace screens
