// The Capture screen: controls and their places, load, the arrival step and the key preview.
#include "ui/screens/capture/PreviewForm.h"

#include "core/app/DesignFont.h"
#include "ui/widgets/PictureWidget.h"
#include "ui/widgets/WrappingButton.h"

#include "core/app/FileExist.h"
#include "core/app/Paths.h"
#include "core/app/TextNumbers.h"
#include "core/app/Twips.h"
#include "core/ports/CaptureControl.h"
#include "core/ports/Dialogs.h"
#include "core/ports/Services.h"
#include "core/ports/Session.h"
#include "core/run/RunInfo.h"
#include "core/run/RunNaming.h"
#include "ui/screens/ScreenHub.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTimer>

namespace screens {
using app::twips;

namespace {
// Client area of the design, in twips.
constexpr int kClientWidth = 7305;
constexpr int kClientHeight = 7740;

QLabel* bordered(QLabel* label) {
    label->setFrameStyle(QFrame::Box | QFrame::Plain);
    label->setLineWidth(1);
    return label;
}

QFont designFont(double points, bool bold) {
    return app::designFont(points, bold);
}
} // namespace

PreviewForm::PreviewForm(ScreenHub& screens) : m_screens(screens) {
    setObjectName(QStringLiteral("PreviewForm"));
    setWindowTitle(QStringLiteral("Skivane 2004 Capture Screen"));
    // Fixed single border without control box, minimise or maximise buttons.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFont(designFont(8.25, false)); // the default font of the other controls
    createControls();
    placeControls();
    connectHandlers();
    Form_Load();
}

PreviewForm::~PreviewForm() {
    qApp->removeEventFilter(this);
    try {
        m_screens.services().capture->Disconnect();
    } catch (...) {
        // Ending the program never fails on a device that is already gone.
    }
}

void PreviewForm::createControls() {
    menuBar = new QMenuBar(this);
    menuBar->setObjectName(QStringLiteral("menuBar"));
    mnuStart = menuBar->addAction(QStringLiteral("&Start Recording"));
    mnuStart->setObjectName(QStringLiteral("mnuStart"));

    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    QWidget* c = m_client;
    auto label = [c](const char* name, const QString& caption) {
        auto* l = new QLabel(caption, c);
        l->setObjectName(QString::fromLatin1(name));
        return l;
    };
    auto button = [c](const char* name, const QString& caption) {
        auto* b = new widgets::WrappingButton(caption, c);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };

    Label1 = label("Label1", QStringLiteral("Skier Name"));
    cmdSelect = button("cmdSelect", QStringLiteral("Select"));
    txtSkierName = new QLineEdit(QStringLiteral("SkierName"), c);
    txtSkierName->setObjectName(QStringLiteral("txtSkierName"));
    Label2 = label("Label2", QStringLiteral("Pass:"));
    txtPass = new QLineEdit(QStringLiteral("1"), c);
    txtPass->setObjectName(QStringLiteral("txtPass"));
    Label4 = label("Label4", QStringLiteral("Label4"));
    Label4->setWordWrap(true);
    Label4->hide();
    cmdStartCapture = button("cmdStartCapture", QStringLiteral("Start Recording"));
    cmdStartTimer = button("cmdStartTimer", QStringLiteral("Start of Tricks"));
    cmdStartTimer->setEnabled(false);
    Label3 = label("Label3", QStringLiteral("Hit ESC to stop recording"));
    Label7 = label("Label7", QStringLiteral("Capture Time Left"));
    captime = label("captime", QStringLiteral("40"));
    captime->setFont(designFont(13.5, true));
    cmdEndCapture = button("cmdEndCapture", QStringLiteral("Stop Recording"));
    cmdEndCapture->setEnabled(false);
    cmdEndCapture->hide();
    runTime = label("runTime", QStringLiteral("20"));
    runTime->setFont(designFont(24, true));
    Label8 = label("Label8", QStringLiteral("Pass Time Left"));
    Label5 = label("Label5", QStringLiteral("Frames Recorded"));
    LblFrame = bordered(label("LblFrame", QStringLiteral("0")));
    Label6 = label("Label6", QStringLiteral("Frames Dropped"));
    LblFrmDrop = bordered(label("LblFrmDrop", QStringLiteral("0")));
    cmdGoSetup = button("cmdGoSetup", QStringLiteral("Go Back To Setup Screen"));
    cmdGoToTimer = button("cmdGoToTimer", QStringLiteral("View Already Recorded Runs"));
    lblStartFrame = bordered(label("lblStartFrame", QStringLiteral("0")));
    lblStartFrame->hide();

    // The live picture: the capture control's pictures, made to the size they are shown at.
    ports::CaptureControl* capture = m_screens.services().capture;
    auto* picture = new widgets::PictureWidget(c);
    picture->setObjectName(QStringLiteral("Grabora1"));
    connect(capture, &ports::CaptureControl::PreviewFrame, picture,
            &widgets::PictureWidget::setPicture);
    connect(picture, &widgets::PictureWidget::sizeChanged, capture,
            &ports::CaptureControl::setPreviewSize);
    connect(picture, &QObject::destroyed, capture, [capture] { capture->setPreviewSize({}); });
    capture->setPreviewSize(picture->size());
    // While the camera gives no pictures (being connected or reconnected), the picture says so.
    connect(capture, &ports::CaptureControl::CameraState, this,
            [this, picture](bool pictures, const QString& text) {
                picture->setCaption(text);
                Grabora1_CameraState(pictures);
            });
    picture->setCaption(capture->CameraStateText());
    Grabora1 = picture;

    Timer40 = new QTimer(this);
    Timer40->setObjectName(QStringLiteral("Timer40"));
    Timer40->setInterval(0);
    passTimer = new QTimer(this);
    passTimer->setObjectName(QStringLiteral("passTimer"));
    passTimer->setInterval(0);

    setTabOrder(cmdStartCapture, cmdStartTimer);
    setTabOrder(cmdStartTimer, cmdEndCapture);
    setTabOrder(cmdEndCapture, cmdGoSetup);
    setTabOrder(cmdGoSetup, cmdGoToTimer);
    setTabOrder(cmdGoToTimer, txtPass);
    setTabOrder(txtPass, cmdSelect);
    setTabOrder(cmdSelect, txtSkierName);
}

void PreviewForm::placeControls() {
    // Layout as designed, in twips: left, top, width, height.
    Label1->setGeometry(twips(120, 240, 1935, 255));
    cmdSelect->setGeometry(twips(1200, 120, 855, 255));
    txtSkierName->setGeometry(twips(120, 480, 1935, 285));
    Label2->setGeometry(twips(120, 840, 495, 255));
    txtPass->setGeometry(twips(600, 840, 375, 285));
    Label4->setGeometry(twips(120, 1200, 1935, 855));
    cmdStartCapture->setGeometry(twips(120, 2040, 1815, 495));
    cmdStartTimer->setGeometry(twips(120, 2640, 1815, 375));
    Label3->setGeometry(twips(120, 3120, 2415, 375));
    Label7->setGeometry(twips(120, 3600, 1335, 375));
    captime->setGeometry(twips(1560, 3480, 495, 375));
    cmdEndCapture->setGeometry(twips(2520, 3480, 1815, 375));
    runTime->setGeometry(twips(1320, 3960, 735, 615));
    Label8->setGeometry(twips(120, 4080, 1095, 255));
    Label5->setGeometry(twips(120, 4560, 1335, 255));
    LblFrame->setGeometry(twips(1440, 4560, 735, 255));
    Label6->setGeometry(twips(120, 4920, 1215, 255));
    LblFrmDrop->setGeometry(twips(1440, 4920, 735, 255));
    cmdGoSetup->setGeometry(twips(120, 5400, 1815, 495));
    cmdGoToTimer->setGeometry(twips(120, 6120, 1815, 615));
    if (Grabora1)
        Grabora1->setGeometry(twips(2280, 120, 2415, 1815));
    lblStartFrame->setGeometry(twips(4320, 4200, 615, 255));

    // The menu bar sits above the client area; the window keeps the design size.
    const int menuHeight = menuBar->sizeHint().height();
    const QRect client = twips(0, 0, kClientWidth, kClientHeight);
    menuBar->setGeometry(0, 0, client.width(), menuHeight);
    m_client->setGeometry(0, menuHeight, client.width(), client.height());
    setFixedSize(client.width(), client.height() + menuHeight);
}

void PreviewForm::connectHandlers() {
    connect(txtSkierName, &QLineEdit::textChanged, this, [this] { txtSkierName_Change(); });
    connect(txtPass, &QLineEdit::textChanged, this, [this] { txtPass_Change(); });
    connect(cmdSelect, &QPushButton::clicked, this, [this] { cmdSelect_Click(); });
    connect(cmdStartCapture, &QPushButton::clicked, this, [this] { cmdStartCapture_Click(); });
    connect(mnuStart, &QAction::triggered, this, [this] { mnuStart_Click(); });
    connect(cmdStartTimer, &QPushButton::clicked, this, [this] { cmdStartTimer_Click(); });
    connect(cmdEndCapture, &QPushButton::clicked, this, [this] { cmdEndCapture_Click(); });
    connect(cmdGoSetup, &QPushButton::clicked, this, [this] { cmdGoSetup_Click(); });
    connect(cmdGoToTimer, &QPushButton::clicked, this, [this] { cmdGoToTimer_Click(); });
    connect(Timer40, &QTimer::timeout, this, [this] { Timer40_Timer(); });
    connect(passTimer, &QTimer::timeout, this, [this] { passTimer_Timer(); });

    ports::CaptureControl* control = m_screens.services().capture;
    connect(control, &ports::CaptureControl::CaptureStatus, this,
            [this](int code, const QString& text) { Grabora1_CaptureStatus(code, text); });
    connect(control, &ports::CaptureControl::StatusMessage, this,
            [this](int code, const QString& text) { Grabora1_StatusMessage(code, text); });
    connect(control, &ports::CaptureControl::WarningMessage, this,
            [this](int code, const QString& text) { Grabora1_WarningMessage(code, text); });
    connect(control, &ports::CaptureControl::DeviceChange, this,
            [this](const QString& category, int action, int index, const QString& name) {
                Grabora1_DeviceChange(category, action, index, name);
            });

    // Key preview (ESC from any control of this window) and the double-click in the name box.
    qApp->installEventFilter(this);
}

void PreviewForm::Form_Load() {
    const QString list = app::joinPath(m_screens.services().appDir, run::kSkierNamesFile);
    if (app::FileIsPresent(list)) {
        QFile file(list);
        if (file.open(QIODevice::ReadOnly)) {
            const QString first = run::firstSkierName(file.readLine());
            if (!first.isEmpty())
                txtSkierName->setText(first);
        }
    } else {
        txtSkierName->setText(QStringLiteral("Skier Name"));
    }
    m_screens.session().PaintBusy = 0;
}

void PreviewForm::postPaintStep() {
    if (m_paintPosted)
        return;
    m_paintPosted = true;
    QTimer::singleShot(0, this, [this] {
        m_paintPosted = false;
        Form_Paint();
    });
}

void PreviewForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    postPaintStep();
}

void PreviewForm::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    // The arrival check may show message boxes: never inside the paint itself.
    postPaintStep();
}

void PreviewForm::Form_Paint() {
    ports::Session& program = m_screens.session();
    if (program.PaintBusy == 1)
        return;
    program.PaintBusy = 1;
    const bool arrival = program.NavigationSource == QStringLiteral("Setup") ||
                         program.NavigationSource == QStringLiteral("Timer");
    if (arrival) {
        runTime->setText(passSeconds());
        captime->setText(QStringLiteral("40"));
        if (!cmdEndCapture->isEnabled())
            enableStartWhenIdle();

        Label4->hide();
        ComposeCaptureFileName();
        const run::PassAdvance advance = run::advancePastExisting(
            program.VideoDirectory, txtSkierName->text(), txtPass->text(), run::runNameTaken);
        NameChanged = advance.changed ? 1 : 0;
        if (advance.changed) {
            txtPass->setText(advance.passText);
            CaptureFileName = advance.fileName;
        }
        ports::Dialogs& dialogs = *m_screens.services().dialogs;
        if (NameChanged == 1)
            dialogs.message(run::kDuplicatePassText, run::kDuplicatePassTitle,
                            ports::Icon::Exclamation);
        if (app::numericValue(txtPass->text()) > 2)
            dialogs.message(run::kHighPassText, run::kHighPassTitle, ports::Icon::Exclamation);
        program.NavigationSource.clear();
    }
    program.PaintBusy = 0;
}

void PreviewForm::Form_KeyDown(int keyCode, int /*shift*/) {
    if (keyCode != 27)
        return;
    if (!cmdEndCapture->isEnabled()) {
        // Nothing is recording: there is no run to stop or hand over.
        m_screens.services().dialogs->message(
            QStringLiteral("No recording is running, so there is no run to hand over. Press "
                           "\"Start Recording\" to record a run."),
            QStringLiteral("Skivane Alert"), ports::Icon::Information);
        return;
    }
    // ESC ends the recording.
    Timer40->stop();
    passTimer->stop();
    if (lblStartFrame->text() == QStringLiteral(" "))
        setHintFromFrameRate();
    cmdEndCapture_Click();
}

bool PreviewForm::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type == QEvent::KeyPress || type == QEvent::MouseButtonDblClick) &&
        watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (type == QEvent::KeyPress && widget->window() == this && isVisible()) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Escape) {
                Form_KeyDown(27, (key->modifiers().toInt() >> 25) & 7);
                return true; // handled once, not again by the parents
            }
        } else if (type == QEvent::MouseButtonDblClick && widget == txtSkierName) {
            txtSkierName_DblClick();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void PreviewForm::cmdGoSetup_Click() {
    m_screens.session().NavigationSource = QStringLiteral("Capture");
    hide();
    m_screens.showSetup();
}

void PreviewForm::cmdGoToTimer_Click() {
    hide();
    m_screens.session().NavigationSource = QStringLiteral("CaptureGoToTimer");
    m_screens.showTimer();
}
} // namespace screens
