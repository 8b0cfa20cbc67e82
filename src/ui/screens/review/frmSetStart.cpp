#include "ui/screens/review/frmSetStart.h"

#include "core/app/DesignFont.h"
#include "ui/widgets/FitCaption.h"
#include "ui/widgets/WrappingButton.h"
#include "ui/widgets/WrappingCheckBox.h"

#include "core/app/FileExist.h"
#include "core/app/PartFile.h"
#include "core/app/TextNumbers.h"
#include "core/app/Twips.h"
#include "core/media/FileInfoLines.h"
#include "core/media/mmInfo.h"
#include "core/ports/Dialogs.h"
#include "core/ports/DiskSpace.h"
#include "core/ports/MediaPlayer.h"
#include "core/ports/Services.h"
#include "core/ports/Session.h"
#include "core/run/PassTiming.h"
#include "core/run/ReviewText.h"
#include "core/run/RunInfo.h"
#include "ui/screens/ScreenHub.h"
#include "ui/screens/ScreenLinks.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>

namespace screens {
namespace {

const QString kSelectStart =
    QStringLiteral("Select Start Position using direction buttons and/or slider");

QFont screenFont(double points, bool bold = false) {
    return app::designFont(points, bold);
}

template <typename W> W* place(W* widget, const char* name, const QRect& rect) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(rect);
    return widget;
}

} // namespace

frmSetStart::frmSetStart(ScreenHub& screens) : m_screens(screens) {
    setObjectName(QStringLiteral("frmSetStart"));
    setWindowTitle(QStringLiteral("Skivane 2004 Timer & Review Screen"));
    setFont(screenFont(8.25));
    setFixedSize(app::twipsToPixels(10935), app::twipsToPixels(10305));
    createControls();
    connectHandlers();
    Form_Load();
}

frmSetStart::~frmSetStart() {
    if (m_filterInstalled)
        qApp->removeEventFilter(this);
}

void frmSetStart::createControls() {
    using app::twips;
    MediaPlayer1 = m_screens.services().makePlayer(this);
    place(MediaPlayer1->view(), "MediaPlayer1", twips(240, 360, 5775, 5415));

    Label3 = place(new QLabel(QStringLiteral("Browse for File to View ->"), this), "Label3",
                   twips(6360, 240, 2775, 375));
    Label3->setFont(screenFont(9.75, true));
    Command6 =
        place(new QPushButton(QStringLiteral("..."), this), "Command6", twips(9120, 120, 375, 315));
    Text6 = place(new QTextEdit(this), "Text6", twips(6360, 480, 3255, 975));
    Text6->setAcceptRichText(false);
    // Shows the path, never takes typing: a stray key would change the run that marking reads.
    // Runs load only through "...", arrivals and the log viewer. Tab moves on to the next control.
    Text6->setReadOnly(true);
    Text6->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Text6->setTabChangesFocus(true);
    Label5 = place(new QLabel(kSelectStart, this), "Label5", twips(6480, 1440, 3135, 495));
    Label5->setFont(screenFont(9.75, true));
    Label5->setWordWrap(true);
    Command1 =
        place(new QPushButton(QStringLiteral("<"), this), "Command1", twips(6480, 2040, 735, 375));
    Command1->setFont(screenFont(18));
    Command4 =
        place(new QPushButton(QStringLiteral(">"), this), "Command4", twips(7440, 2040, 735, 375));
    Command4->setFont(screenFont(18));
    Command5 = place(new widgets::WrappingButton(QStringLiteral("Play before start -->"), this),
                     "Command5", twips(6480, 2520, 1695, 375));
    Text4 = place(new QLineEdit(QStringLiteral("2"), this), "Text4", twips(8280, 2520, 375, 375));
    Label1 = place(new QLabel(QStringLiteral("sec."), this), "Label1", twips(8760, 2640, 375, 375));
    cmdMarkStart = place(
        new widgets::WrappingButton(QStringLiteral("Mark displayed frame as start of run"), this),
        "cmdMarkStart", twips(6480, 3000, 1695, 495));
    Text7 = place(new QLineEdit(QStringLiteral("5"), this), "Text7", twips(8280, 3120, 375, 375));
    Label2 = place(new QLabel(QStringLiteral("sec"), this), "Label2", twips(8760, 3240, 375, 255));
    Command7 = place(new widgets::WrappingButton(QStringLiteral("Play before end -->"), this),
                     "Command7", twips(6480, 4080, 1695, 495));
    cmdPlayAndPause =
        place(new widgets::WrappingButton(QStringLiteral("Play to end, pause, continue"), this),
              "cmdPlayAndPause", twips(6480, 3600, 1695, 495));
    cmdPlayAndPause->hide();
    cbPlayAfter = place(new QCheckBox(this), "cbPlayAfter", twips(8400, 3600, 375, 375));
    cbPlayAfter->hide();
    Label6 = place(new QLabel(QStringLiteral("and then continue"), this), "Label6",
                   twips(9000, 3600, 735, 495));
    Label6->setWordWrap(true);
    Label6->hide();
    cbFullScreen = place(
        new widgets::WrappingCheckBox(
            QStringLiteral("Play using Full Screen, ESC returns Click Mouse to repeat Play"), this),
        "cbFullScreen", twips(6480, 4560, 3135, 375));
    cmdGoToCapture =
        place(new widgets::WrappingButton(QStringLiteral("Go To Record Next Run"), this),
              "cmdGoToCapture", twips(6480, 5040, 1695, 495));
    cmdGoToSetup =
        place(new widgets::WrappingButton(QStringLiteral("Go Back To Setup Screen"), this),
              "cmdGoToSetup", twips(6480, 5760, 1695, 495));
    Label9 = place(new QLabel(QStringLiteral("Barefoot Mode"), this), "Label9",
                   twips(6600, 6360, 2295, 375));
    Label9->setFont(screenFont(12, true));
    Label9->hide();
    lstFileInfo = place(new QListWidget(this), "lstFileInfo", twips(6480, 6720, 2295, 2400));
    lstFileInfo->hide();
    cmdViewLog = place(new widgets::WrappingButton(QStringLiteral("View Log File"), this),
                       "cmdViewLog", twips(6360, 0, 2295, 255));
    Label10 = place(new QLabel(QStringLiteral("Disk Free Space Available"), this), "Label10",
                    twips(360, 0, 1935, 255));
    lblDiskSpace = place(new QLabel(QStringLiteral("Disk Space"), this), "lblDiskSpace",
                         twips(2520, 0, 1215, 255));
    Label11 = place(new QLabel(QStringLiteral("Warning! Disk Space Low"), this), "Label11",
                    twips(3840, 0, 2295, 255));
    Label11->setFont(screenFont(8.25, true));
    Label11->hide();
    createToolControls();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(false); // each tick disables it first
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(100);
    Timer2->start();
}

void frmSetStart::connectHandlers() {
    connect(Command6, &QPushButton::clicked, this, [this] { Command6_Click(); });
    connect(cmdMarkStart, &QPushButton::clicked, this, [this] { cmdMarkStart_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
    connect(Command7, &QPushButton::clicked, this, [this] { Command7_Click(); });
    connect(cmdPlayAndPause, &QPushButton::clicked, this, [this] { cmdPlayAndPause_Click(); });
    connect(cmdGoToCapture, &QPushButton::clicked, this, [this] { cmdGoToCapture_Click(); });
    connect(cmdGoToSetup, &QPushButton::clicked, this, [this] { cmdGoToSetup_Click(); });
    connect(cmdViewLog, &QPushButton::clicked, this, [this] { cmdViewLog_Click(); });
    connect(cmdRepairCopy, &QPushButton::clicked, this, [this] { cmdRepairCopy_Click(); });
    connect(cmdSavePassClip, &QPushButton::clicked, this, [this] { cmdSavePassClip_Click(); });
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
    connect(Timer2, &QTimer::timeout, this, [this] { Timer2_Timer(); });
    connect(Text4, &QLineEdit::textChanged, this, [this] { Text4_Change(); });
    connect(Text7, &QLineEdit::textChanged, this, [this] { Text7_Change(); });
    connect(cbFullScreen, &QCheckBox::toggled, this, [this] { cbFullScreen_Click(); });
    connect(cbPlayAfter, &QCheckBox::toggled, this, [this] { cbPlayAfter_Click(); });
    MediaPlayer1->onPlayerKey([this](int key, int shift) { MediaPlayer1_KeyDown(key, shift); });
}

void frmSetStart::Form_Load() {
    if (runPath().isEmpty()) {
        Command5->setEnabled(false);
        Command7->setEnabled(false);
        cmdMarkStart->setEnabled(false);
    }
    startLocked = 0;
    beforeStartLoop = 0;
    startTaken = false;
    Label5->setText(kSelectStart);
    Command7->hide();
    cmdPlayAndPause->hide();
    Text7->hide();
    Label2->hide();
    Label6->hide();
    cbPlayAfter->hide();
    Command7->move(app::twipsToPixels(6480), app::twipsToPixels(3000));
}

QString frmSetStart::runPath() const {
    return Text6->toPlainText();
}

void frmSetStart::setRunPath(const QString& path) {
    Text6->setPlainText(path);
}

bool frmSetStart::barefoot() const {
    return m_screens.setupValues().barefoot();
}

qint32 frmSetStart::endFrame() const {
    return run::endFrame(startFrame, passFrames);
}

void frmSetStart::resetEndControls() {
    startLocked = 0;
    Command7->hide();
    cmdPlayAndPause->hide();
    Text7->hide();
    Label2->hide();
    Label6->hide();
    cbPlayAfter->hide();
    cmdMarkStart->show();
    hideTools();
}

void frmSetStart::playerStopIfLoaded() {
    if (!runPath().isEmpty())
        MediaPlayer1->PlayerStop();
}

void frmSetStart::showAlreadyMeasuredNotice(const QString& path) {
    if (!app::FileIsPresent(run::infoPath(path)))
        return;
    const auto stored = run::readInfoStartFrame(path);
    if (!stored)
        return; // a companion file that cannot be read tells nothing
    m_screens.services().dialogs->message(run::alreadyMeasuredText(*stored), run::kMeasuredTitle);
}

void frmSetStart::loadFileRecord(const QString& path, const media::AviFileRead* read) {
    media::AviFileInfo record;
    const bool ok =
        read ? read->readOk : media::ReadAviInfo(path, record, *m_screens.services().dialogs);
    if (read && ok)
        record = read->record;
    framesPerSecond = ok ? static_cast<double>(media::aviFrameRateOf(record)) : 0.0;
    // Frame numbers are 16-bit; a longer file is as long as a frame number can reach.
    fileFrames = app::clampToInt16(ok ? static_cast<double>(record.dwLength) : 0.0);
    lstFileInfo->clear();
    lstFileInfo->addItems(media::FileInfoLines(path, ok ? &record : nullptr));
    showCutOffNotice(ok && (record.dwFlags & media::kAviHasIndex) == 0);
    removeRunLeftovers(path);
}

void frmSetStart::showCutOffNotice(bool cutOff) {
    lblFileNotice->setVisible(cutOff);
    cmdRepairCopy->setVisible(cutOff);
    placeTools();
}

void frmSetStart::removeRunLeftovers(const QString& path) {
    const QFileInfo run(path);
    app::removeLeftoverParts(run.absolutePath(), run.completeBaseName());
}

void frmSetStart::Command6_Click() {
    BrowseForRun();
    MediaPlayer1->setPlayerFileName(runPath());
    playerStopIfLoaded();
    resetEndControls();
    Command1->setEnabled(true);
    Command4->setEnabled(true);
    MediaPlayer1->setPlayerSeekEnabled(true);
}

void frmSetStart::BrowseForRun() {
    ports::Dialogs& dialogs = *m_screens.services().dialogs;
    const QString chosen =
        dialogs.openFile(m_screens.session().VideoDirectory, QStringLiteral("*.avi|*.avi"));
    if (!chosen.isEmpty()) {
        const media::AviFileRead read = media::ReadAviFile(chosen, dialogs);
        if (!read.isAvi) {
            dialogs.message(QStringLiteral("Not a valid avi file"), ports::kAppTitle,
                            ports::Icon::Exclamation);
        } else {
            Text6->setPlainText(chosen);
            showAlreadyMeasuredNotice(chosen);
            Command5->setEnabled(true);
            Command7->setEnabled(false);
            cmdMarkStart->setEnabled(true);
            startTaken = false;
            Label5->setText(kSelectStart);
            loadFileRecord(chosen, &read);
        }
    }
    MediaPlayer1->giveFocus();
}

void frmSetStart::refreshDiskSpace() {
    ports::DiskSpace& disk = *m_screens.services().disk;
    const QString folder = m_screens.setupValues().videoDirText();
    // A mount point ("/media/judge/RUNS") is longer than the drive letter of the design.
    Label10->setText(QStringLiteral("Disk Space Available ") + disk.volumeName(folder));
    widgets::fitCaption(*Label10);
    const qint64 mb = run::freeMegabytes(disk.FreeDiskSpace(folder, 0));
    lblDiskSpace->setText(run::diskSpaceText(mb));
    Label11->setVisible(run::diskSpaceLow(mb));
}

// Leaving for Capture or Setup: the frame steps and the player's seek controls are switched
// back on and the arrow-key poll stops.
void frmSetStart::prepareToLeave() {
    Command1->setEnabled(true);
    Command4->setEnabled(true);
    MediaPlayer1->setPlayerSeekEnabled(true);
    Timer2->stop();
}

void frmSetStart::cmdGoToCapture_Click() {
    prepareToLeave();
    m_screens.showCapture();
    hide();
    m_screens.session().NavigationSource = QStringLiteral("Timer");
}

void frmSetStart::cmdGoToSetup_Click() {
    prepareToLeave();
    m_screens.showSetup();
    hide();
    m_screens.session().NavigationSource = QStringLiteral("Timer");
}

void frmSetStart::cmdViewLog_Click() {
    m_screens.openLogView(this);
}
} // namespace screens
