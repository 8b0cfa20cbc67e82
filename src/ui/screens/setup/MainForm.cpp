// The Setup screen: layout, load sequence, video directory, barefoot, pause time, configuration
// label and show/hide of the configuration view.
#include "ui/screens/setup/MainForm.h"

#include "core/app/DesignFont.h"
#include "ui/widgets/FitCaption.h"
#include "ui/widgets/WrappingButton.h"

#include "core/app/FileExist.h"
#include "core/app/Paths.h"
#include "core/app/SessionLog.h"
#include "core/app/Settings.h"
#include "core/app/TextNumbers.h"
#include "core/app/Twips.h"
#include "core/ports/CaptureControl.h"
#include "core/ports/ControlError.h"
#include "core/ports/Dialogs.h"
#include "core/ports/Services.h"
#include "core/ports/Session.h"
#include "core/ports/SettingsStore.h"
#include "ui/screens/ControlErrorBox.h"
#include "ui/screens/ScreenHub.h"
#include "ui/widgets/MainFormLists.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

namespace screens {
using app::twips;

namespace {

// Client area of the window, in twips.
constexpr int kClientWidth = 9555;
constexpr int kClientHeight = 8535;
// Left of Frame1 in the collapsed and in the expanded view.
constexpr int kFrame1Collapsed = 120;
constexpr int kFrame1Expanded = 6120;

const QString kShowConfig = QStringLiteral("Show Configuration");
const QString kHideConfig = QStringLiteral("Hide Configuration");

template <typename W> W* place(W* w, const char* name, const QRect& r) {
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(r);
    return w;
}

QLabel* label(QWidget* parent, const char* name, const QString& caption, const QRect& r) {
    auto* l = place(new QLabel(caption, parent), name, r);
    l->setWordWrap(true);
    return l;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, const QRect& r) {
    return place(new widgets::WrappingButton(caption, parent), name, r);
}

QComboBox* dropDown(QWidget* parent, const char* name, const QRect& r) {
    return place(new QComboBox(parent), name, r);
}

QGroupBox* panel(QWidget* parent, const char* name, const QString& caption, const QRect& r) {
    return place(new QGroupBox(caption, parent), name, r);
}

} // namespace

MainForm::MainForm(ScreenHub& screens) : m_screens(screens) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Skivane 2004 Setup"));
    // Fixed dialog frame: a close box, no minimise or maximise.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFont(app::designFont());
    buildLayout();
    connectHandlers();
}

MainForm::~MainForm() = default;

ports::Services& MainForm::services() {
    return m_screens.services();
}

ports::Dialogs& MainForm::dialogs() {
    return *services().dialogs;
}

ports::SettingsStore& MainForm::store() {
    return *services().settings;
}

ports::CaptureControl& MainForm::grabora() {
    m_screens.captureWindow(); // created hidden, with its load, on first use
    return *services().capture;
}

// ---- layout ---------------------------------------------------------------------------------

void MainForm::buildLayout() {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->setSizeConstraint(QLayout::SetFixedSize);

    menuBar = new QMenuBar(this);
    menuBar->setObjectName(QStringLiteral("menuBar"));
    mnuViewLog = menuBar->addAction(QStringLiteral("&View Log"));
    mnuViewLog->setObjectName(QStringLiteral("mnuViewLog"));
    mnuExportDay = menuBar->addAction(QStringLiteral("Export &Day…"));
    mnuExportDay->setObjectName(QStringLiteral("mnuExportDay"));
    munManual = menuBar->addAction(QStringLiteral("View &Manual"));
    munManual->setObjectName(QStringLiteral("munManual"));
    mnuExit = menuBar->addAction(QStringLiteral("E&xit"));
    mnuExit->setObjectName(QStringLiteral("mnuExit"));
    outer->setMenuBar(menuBar);

    client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(twips(0, 0, kClientWidth, kClientHeight).size());
    outer->addWidget(client);

    Frame1 = panel(client, "Frame1", QStringLiteral("Skivane Configuration"),
                   twips(kFrame1Collapsed, 0, 3255, 6015));
    cmdGoCapture = button(Frame1, "cmdGoCapture", QStringLiteral("Proceed to Record Runs"),
                          twips(120, 480, 1815, 495));
    cmdGoTimer = button(Frame1, "cmdGoTimer", QStringLiteral("View Already Recorded Runs"),
                        twips(120, 1080, 1815, 495));
    Label2 = label(Frame1, "Label2", QStringLiteral("Save Video Files in this Directory"),
                   twips(120, 2040, 2655, 255));
    lblVideodir = label(Frame1, "lblVideodir", QString(), twips(120, 2400, 2535, 615));
    lblVideodir->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    txtVideoDir = place(new QLineEdit(Frame1), "txtVideoDir", twips(120, 3240, 2655, 285));
    txtVideoDir->hide();
    btnChangeDirectory =
        button(Frame1, "btnChangeDirectory", QStringLiteral("Change Video File Directory"),
               twips(120, 3240, 2295, 255));
    cmdImport = button(Frame1, "cmdImport", QStringLiteral("Import Skier Names File"),
                       twips(120, 3600, 2295, 255));
    cb15 = place(new QCheckBox(QStringLiteral("Enable Barefoot Timing (15 sec)"), Frame1), "cb15",
                 twips(240, 4200, 2655, 255));
    cmdShowConfig = button(Frame1, "cmdShowConfig", kShowConfig, twips(240, 4920, 1815, 495));
    lblConfig = label(Frame1, "lblConfig", QStringLiteral("Currently Configured for R"),
                      twips(120, 5640, 3015, 255));
    QFont bold = lblConfig->font();
    bold.setBold(true);
    lblConfig->setFont(bold);

    List1 = place(new QListWidget(client), "List1", twips(1800, 7320, 735, 645));
    List1->addItems({QStringLiteral("0.5"), QStringLiteral("1.0"), QStringLiteral("1.5"),
                     QStringLiteral("2.0"), QStringLiteral("2.5"), QStringLiteral("3.0")});
    List1->setCurrentRow(-1);
    List1->hide();
    Label12 = label(client, "Label12", QStringLiteral("Select Video Pause Time"),
                    twips(720, 7320, 975, 495));
    Label12->hide();
    LblStatus = label(client, "LblStatus", QString(), twips(120, 6840, 5895, 255));
    LblStatus->hide();
    RichTextBox1 = place(new QTextEdit(client), "RichTextBox1", twips(7080, 6600, 1935, 495));
    RichTextBox1->hide();

    buildDevicePanel();
    buildOptionsPanel();
}

void MainForm::buildDevicePanel() {
    Frame3 = panel(client, "Frame3", QStringLiteral("Commands"), twips(120, 0, 5895, 1935));
    Label4 = label(Frame3, "Label4", QStringLiteral("Video Device:"), twips(120, 300, 1215, 255));
    Combo1 = dropDown(Frame3, "Combo1", twips(1440, 240, 4335, 315));
    ResolLabel =
        label(Frame3, "ResolLabel", QStringLiteral("Resolution:"), twips(120, 720, 1215, 255));
    ResolutionCombo = dropDown(Frame3, "ResolutionCombo", twips(1440, 660, 1695, 315));
    ColorLabel =
        label(Frame3, "ColorLabel", QStringLiteral("Color Format:"), twips(3240, 720, 1095, 255));
    ColorFormatCombo = dropDown(Frame3, "ColorFormatCombo", twips(4440, 660, 1335, 315));
    InputLabel = label(Frame3, "InputLabel", QStringLiteral("Input:"), twips(120, 1140, 1215, 255));
    VideoInput = dropDown(Frame3, "VideoInput", twips(1440, 1080, 1695, 315));
    ChannelLabel =
        label(Frame3, "ChannelLabel", QStringLiteral("Channel:"), twips(3240, 1140, 1095, 255));
    Channel = dropDown(Frame3, "Channel", twips(4440, 1080, 1335, 315));
    Label1 = label(Frame3, "Label1", QStringLiteral("Effect:"), twips(120, 1560, 1215, 255));
    Effect = dropDown(Frame3, "Effect", twips(1440, 1500, 1695, 315));
    VideoConfig =
        button(Frame3, "VideoConfig", QStringLiteral("Configure..."), twips(4440, 1500, 1335, 315));
    CmdConnect =
        button(Frame3, "CmdConnect", QStringLiteral("Connect"), twips(3240, 1500, 1095, 315));
    CmdConnect->hide();
    CmdPreview =
        button(Frame3, "CmdPreview", QStringLiteral("Preview On"), twips(3240, 1500, 1095, 315));
    CmdPreview->hide();

    // Disconnected until the connect routine runs.
    for (QWidget* w : std::initializer_list<QWidget*>{
             ResolLabel, ResolutionCombo, ColorLabel, ColorFormatCombo, InputLabel, VideoInput,
             ChannelLabel, Channel, VideoConfig, CmdPreview})
        w->setEnabled(false);
}

void MainForm::buildOptionsPanel() {
    StrmOptions =
        panel(client, "StrmOptions", QStringLiteral("Options"), twips(120, 3120, 5895, 3615));
    QWidget* p = StrmOptions;
    Label24 = label(p, "Label24", QStringLiteral("Compression:"), twips(120, 300, 1215, 255));
    CompressionCombo = dropDown(p, "CompressionCombo", twips(1440, 240, 2895, 315));
    ComprConfig =
        button(p, "ComprConfig", QStringLiteral("Configure..."), twips(4440, 240, 1335, 315));
    ComprConfig->setEnabled(false);
    Label17 = label(p, "Label17", QStringLiteral("Frame Rate (fps)"), twips(120, 720, 1215, 255));
    EdtRate = place(new QLineEdit(p), "EdtRate", twips(1440, 660, 735, 315));
    Label18 = label(p, "Label18", QStringLiteral("Time Limit (sec)"), twips(2400, 720, 1215, 255));
    Label18->hide();
    EdtLimit = place(new QLineEdit(p), "EdtLimit", twips(3720, 660, 735, 315));
    EdtLimit->hide();
    Label22 = label(p, "Label22", QStringLiteral("AUDIO"), twips(120, 1140, 1215, 255));
    Label23 = label(p, "Label23", QStringLiteral("Device:"), twips(120, 1500, 1215, 255));
    AudioDevice = dropDown(p, "AudioDevice", twips(1440, 1440, 2895, 315));
    AudioConfig =
        button(p, "AudioConfig", QStringLiteral("Configure..."), twips(4440, 1440, 1335, 315));
    AudioConfig->setEnabled(false);
    AttribLabel =
        label(p, "AttribLabel", QStringLiteral("Attributes:"), twips(120, 1920, 1215, 255));
    ComboAttrib = dropDown(p, "ComboAttrib", twips(1440, 1860, 2895, 315));
    AudioCompLabel =
        label(p, "AudioCompLabel", QStringLiteral("Compression:"), twips(120, 2340, 1215, 255));
    AudioCompr = dropDown(p, "AudioCompr", twips(1440, 2280, 2895, 315));
    Check1 =
        place(new QCheckBox(QStringLiteral("Listen"), p), "Check1", twips(4440, 1860, 1335, 255));
    Label13 = label(p, "Label13", QStringLiteral("Total Frames"), twips(120, 2820, 1215, 255));
    LblFrames = label(p, "LblFrames", QString(), twips(1440, 2820, 1335, 255));
    Label14 = label(p, "Label14", QStringLiteral("Frames Dropped"), twips(3000, 2820, 1335, 255));
    LblFrmDrop = label(p, "LblFrmDrop", QString(), twips(4440, 2820, 1335, 255));
    Label15 = label(p, "Label15", QStringLiteral("Total Samples"), twips(120, 3180, 1215, 255));
    LblSamples = label(p, "LblSamples", QString(), twips(1440, 3180, 1335, 255));
    Label16 = label(p, "Label16", QStringLiteral("Time (ms)"), twips(3000, 3180, 1335, 255));
    LblTime = label(p, "LblTime", QString(), twips(4440, 3180, 1335, 255));

    // The 16 fixed audio formats: position = 4 x rate + 2 x depth + channels.
    QStringList formats;
    const char* rates[] = {"11.025", "22.050", "32.000", "44.100"};
    for (const char* rate : rates)
        for (const char* depth : {"8", "16"})
            for (const char* channels : {"Mono", "Stereo"})
                formats << QStringLiteral("%1 Khz, %2 Bit, %3")
                               .arg(QLatin1String(rate), QLatin1String(depth),
                                    QLatin1String(channels));
    widgets::fillList(ComboAttrib, formats);

    FrmOptions =
        panel(client, "FrmOptions", QStringLiteral("Options"), twips(120, 3120, 5895, 3615));
    FrmOptions->hide();

    Frame4 = panel(client, "Frame4", QStringLiteral("Capture"), twips(120, 7200, 3255, 1215));
    CaptureType = dropDown(Frame4, "CaptureType", twips(120, 240, 1455, 315));
    widgets::fillList(CaptureType, {QStringLiteral("Frames"), QStringLiteral("Streams")});
    CmdCap = button(Frame4, "CmdCap", QStringLiteral("Capture Frame"), twips(1680, 240, 1455, 315));
    CmdCap->setEnabled(false);
    EdtFile = place(new QLineEdit(Frame4), "EdtFile", twips(120, 720, 3015, 315));
    Frame4->hide();
}

template <typename F> void MainForm::guarded(F&& handler) {
    try {
        handler();
    } catch (const ports::ControlError& e) {
        reportUntrapped(e);
    }
}

void MainForm::connectHandlers() {
    // Each handler runs on the operator's change and on a change made by the program.
    auto on = [this](auto* sender, auto signal, void (MainForm::*handler)()) {
        connect(sender, signal, this, [this, handler] { guarded([&] { (this->*handler)(); }); });
    };
    on(txtVideoDir, &QLineEdit::textChanged, &MainForm::txtVideoDir_Change);
    on(btnChangeDirectory, &QPushButton::clicked, &MainForm::btnChangeDirectory_Click);
    on(cmdShowConfig, &QPushButton::clicked, &MainForm::cmdShowConfig_Click);
    on(cb15, &QCheckBox::toggled, &MainForm::cb15_Click);
    on(List1, &QListWidget::currentRowChanged, &MainForm::List1_Click);
    on(cmdImport, &QPushButton::clicked, &MainForm::cmdImport_Click);
    on(cmdGoCapture, &QPushButton::clicked, &MainForm::cmdGoCapture_Click);
    on(cmdGoTimer, &QPushButton::clicked, &MainForm::cmdGoTimer_Click);
    on(mnuViewLog, &QAction::triggered, &MainForm::mnuViewLog_Click);
    on(mnuExportDay, &QAction::triggered, &MainForm::mnuExportDay_Click);
    on(munManual, &QAction::triggered, &MainForm::munManual_Click);
    on(mnuExit, &QAction::triggered, &MainForm::mnuExit_Click);

    on(CmdConnect, &QPushButton::clicked, &MainForm::CmdConnect_Click);
    on(ResolutionCombo, &QComboBox::currentIndexChanged, &MainForm::ResolutionCombo_Click);
    on(ColorFormatCombo, &QComboBox::currentIndexChanged, &MainForm::ColorFormatCombo_Click);
    on(VideoInput, &QComboBox::currentIndexChanged, &MainForm::VideoInput_Click);
    on(Channel, &QComboBox::currentIndexChanged, &MainForm::Channel_Click);
    on(Effect, &QComboBox::currentIndexChanged, &MainForm::Effect_Click);
    on(VideoConfig, &QPushButton::clicked, &MainForm::VideoConfig_Click);
    on(CompressionCombo, &QComboBox::currentIndexChanged, &MainForm::CompressionCombo_Click);
    on(ComprConfig, &QPushButton::clicked, &MainForm::ComprConfig_Click);
    // A rate set by the program applies at once; one being typed applies when the box is left
    // (Return or another control), so that the partial texts on the way ("", "3") never reach
    // the live picture.
    connect(EdtRate, &QLineEdit::textChanged, this, [this] {
        if (!EdtRate->isModified())
            guarded([&] { EdtRate_Change(); });
    });
    connect(EdtRate, &QLineEdit::editingFinished, this, [this] {
        if (!EdtRate->isModified())
            return;
        EdtRate->setModified(false);
        if (EdtRate->text().trimmed().isEmpty()) {
            // Left empty: the box shows the rate in use again; nothing changes.
            const QSignalBlocker quiet(EdtRate);
            guarded([&] { EdtRate->setText(QString::number(grabora().FrameRate())); });
            return;
        }
        guarded([&] { EdtRate_Change(); });
    });

    on(AudioDevice, &QComboBox::currentIndexChanged, &MainForm::AudioDevice_Click);
    on(AudioConfig, &QPushButton::clicked, &MainForm::AudioConfig_Click);
    on(AudioCompr, &QComboBox::currentIndexChanged, &MainForm::AudioCompr_Click);
    on(ComboAttrib, &QComboBox::currentIndexChanged, &MainForm::ComboAttrib_Click);
    on(Check1, &QCheckBox::toggled, &MainForm::Check1_Click);

    on(CaptureType, &QComboBox::currentIndexChanged, &MainForm::CaptureType_Click);
}

void MainForm::showControlError(const QString& prefix, const ports::ControlError& e, bool hex) {
    screens::showControlError(
        dialogs(), e, hex ? screens::ErrorNumber::Hexadecimal : screens::ErrorNumber::Decimal,
        prefix);
}

void MainForm::storeSetting(const QString& key, const QString& value) {
    if (app::settings::write(store(), key, value)) {
        m_settingsFailureShown = false;
        return;
    }
    if (m_settingsFailureShown)
        return;
    m_settingsFailureShown = true;
    dialogs().message(
        QStringLiteral("The setting \"%1\" could not be saved: the configuration folder may be "
                       "read-only or full. The change is used until the program ends but will "
                       "be lost at the next start.")
            .arg(key),
        QStringLiteral("Skivane Alert"), ports::Icon::Exclamation);
}

void MainForm::reportUntrapped(const ports::ControlError& e) {
    showControlError(QStringLiteral("Eror code: "), e, false);
}

// ---- load -----------------------------------------------------------------------------------

void MainForm::Form_Load() {
    // A failing control call in one step is reported and the load goes on: the directory check
    // and the session log must still run.
    auto step = [this](auto&& body) { guarded(body); };

    step([&] { applyPauseTime(); });
    step([&] { app::settings::EmergencyParameterReset(store(), dialogs()); });
    step([&] {
        Frame3->hide();
        StrmOptions->hide();
        widgets::selectEntry(CaptureType, 1); // runs SelectStreamCapture
    });
    step([&] { fillVideoDevices(); });
    step([&] { fillAudioDevices(); });
    step([&] { fillVideoCompressors(); });
    step([&] { fillAudioCompressors(); });
    step([&] { fillEffects(); });
    step([&] { copyAudioSettings(); });
    step([&] {
        ports::CaptureControl& c = grabora();
        // A stored rate that is not a usable number counts as below 1.
        const qint16 stored = app::settings::readFrameRate(store());
        EdtRate->setText(stored < 1 ? QString::number(c.FrameRate()) : QString::number(stored));
        EdtLimit->setText(QString::number(c.TimeLimit()));
    });
    step([&] { PlaceCaptureScreen(); });
    step([&] { CmdConnect_Click(); });
    step([&] {
        widgets::selectEntry(CompressionCombo,
                             app::settings::readListPosition(store(), app::settings::kCompression,
                                                             CompressionCombo->count(), true));
    });
    checkVideoDirectory();
    startSessionLog();
    lblVideodir->setText(txtVideoDir->text());
    step([&] { grabora().setPreview(true); });
    cb15->setChecked(app::settings::readInt16Or(store(), app::settings::kBarefoot, 0, 0) != 0);
    EdtFile->setText(QStringLiteral("testvid.avi"));
    Frame1->move(twips(kFrame1Collapsed, 0, 0, 0).topLeft());
    Frame3->hide();
    StrmOptions->hide();
    LblStatus->hide();
    UpdateConfigLabel();
}

void MainForm::applyPauseTime() {
    const double pause = app::settings::readPauseTime(store());
    if (pause > 0) {
        for (int i = 0; i < List1->count(); ++i)
            if (app::numericValue(List1->item(i)->text()) == pause)
                List1->setCurrentRow(i);
    } else {
        List1->setCurrentRow(2); // "1.5"
    }
}

void MainForm::checkVideoDirectory() {
    ports::Session& p = m_screens.session();
    const QString stored = app::settings::readText(store(), app::settings::kLogPath);
    if (!stored.isEmpty() && app::PathExists(stored, 1)) {
        txtVideoDir->setText(stored);
        return;
    }
    p.VideoDirectory.clear();
    // The operator cannot leave this loop without naming an existing folder.
    for (;;) {
        txtVideoDir->setText(dialogs().inputBox(
            QStringLiteral("No Correct Save Video Directory has been set.  Please put in the path "
                           "of the Save Video Directory here."),
            QStringLiteral("Input Save Video Files Path"), QString()));
        p.VideoDirectory = app::withoutTrailingSeparator(txtVideoDir->text());
        if (app::PathExists(p.VideoDirectory, 1))
            break;
        dialogs().message(QStringLiteral("You entered an invalid path - try  again"));
    }
    storeSetting(app::settings::kLogPath, txtVideoDir->text());
}

void MainForm::startSessionLog() {
    m_screens.session().VideoDirectory =
        app::withoutTrailingSeparator(txtVideoDir->text().trimmed());
    const app::LogWrite w = app::StartSession(store(), m_screens.session(), services().now());
    if (!w.ok)
        dialogs().message(QStringLiteral("The session log could not be written in ") +
                              m_screens.session().VideoDirectory + QStringLiteral(": ") + w.error,
                          QStringLiteral("Skivane Alert"), ports::Icon::Exclamation);
}

// ---- screen handlers ------------------------------------------------------------------------

void MainForm::Form_Paint() {
    m_screens.session().NavigationSource.clear();
}

void MainForm::paintEvent(QPaintEvent* event) {
    Form_Paint();
    QWidget::paintEvent(event);
}

void MainForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The first repaint after being shown; posted so that a caller that writes
    // NavigationSource right after show() is still overridden, as a repaint would.
    QTimer::singleShot(0, this, [this] {
        if (isVisible())
            Form_Paint();
    });
}

void MainForm::closeEvent(QCloseEvent* event) {
    event->accept();
    if (services().endProgram)
        services().endProgram();
}

void MainForm::txtVideoDir_Change() {
    m_screens.session().VideoDirectory = app::withoutTrailingSeparator(txtVideoDir->text());
    storeSetting(app::settings::kLogPath, m_screens.session().VideoDirectory);
}

void MainForm::btnChangeDirectory_Click() {
    for (;;) {
        const QString answer = dialogs().inputBox(
            QStringLiteral("Please put in the path of the Save Video Directory here."),
            QStringLiteral("Input Save Video Files Path"), QString());
        if (answer.isEmpty())
            return;
        if (app::PathExists(answer, 1)) {
            txtVideoDir->setText(answer);
            lblVideodir->setText(txtVideoDir->text());
            widgets::fitCaption(*lblVideodir);
            return;
        }
        dialogs().message(QStringLiteral("The folder you entered does not exist"),
                          QStringLiteral("Skivane Alert"), ports::Icon::Exclamation);
    }
}

void MainForm::cmdShowConfig_Click() {
    const bool expand = cmdShowConfig->text() == kShowConfig;
    Frame1->move(twips(expand ? kFrame1Expanded : kFrame1Collapsed, 0, 0, 0).topLeft());
    Frame3->setVisible(expand);
    StrmOptions->setVisible(expand);
    List1->setVisible(expand);
    Label12->setVisible(expand);
    LblStatus->setVisible(expand);
    cmdShowConfig->setText(expand ? kHideConfig : kShowConfig);
    widgets::fitCaption(*cmdShowConfig);
}

void MainForm::cb15_Click() {
    storeSetting(app::settings::kBarefoot,
                 cb15->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
}

void MainForm::List1_Click() {
    const QListWidgetItem* item = List1->currentItem();
    if (!item)
        return;
    storeSetting(app::settings::kPauseTime, item->text());
}

void MainForm::UpdateConfigLabel() {
    const double r = app::numericValue(EdtRate->text());
    if (r >= 5)
        lblConfig->setText(QStringLiteral("Currently Configured for Normal/C"));
    if (r >= 15)
        lblConfig->setText(QStringLiteral("Currently Configured for L"));
    if (r >= 25)
        lblConfig->setText(QStringLiteral("Currently Configured for R"));
    widgets::fitCaption(*lblConfig);
}
} // namespace screens
