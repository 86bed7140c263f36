#include "pluginmw.h"

#include "cutterprotocol.h"
#include "dialogs.h"
#include "panellists.h"
#include "pluginmw_p.h"
#include "process.h"
#include "settingscheck.h"
#include "ui_pluginmw.h"
#include "units.h"
#include "vemoresources.h"
#include "workfolder.h"
#include "worklock.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QLocalServer>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QScreen>
#include <QTextDocument>
#include <QThread>
#include <QToolTip>

// What the main window drops without telling the user (the local server, a
// caller cut off, a folder or the catalogue that could not be had). Off by
// default; QT_LOGGING_RULES="vemo.app=true" shows it.
Q_LOGGING_CATEGORY(lcApp, "vemo.app", QtWarningMsg)

namespace {
// Qt lays a rich-text tooltip out as a squarish block, which breaks the bar's
// short tips after every word; they are shown on one line instead.
class OneLineTips : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::ToolTip || !watched->isWidgetType())
            return false;
        auto *widget = static_cast<QWidget *>(watched);
        const QString tip = widget->toolTip();
        if (!Qt::mightBeRichText(tip))
            return false;
        QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(),
            QStringLiteral("<nobr>") + tip + QStringLiteral("</nobr>"), widget);
        return true;
    }
};

// A copy of the program waiting for another's turn at a work file
// (settingsLockMs for config.ini, scratchLockMs for the scratch files) would
// look frozen.
void showBusyWhileWaiting(bool waiting)
{
    if (!qApp || QThread::currentThread() != qApp->thread())
        return;
    if (waiting)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}
} // namespace

PluginMW::PluginMW(QWidget *parent)
    : QWidget(parent)
    , ui(nullptr)
    , basePath(workFolder())
    , qrJobsPath(qrJobsFolder())
    , qrPageinfoPath(qrPageinfoFolder())
    , tempPltPath(scratchExportFile())
    , mmPerInch(Units::mmPerInch)
    , unitsPerMm(Units::plotterUnitsPerMm)
    , localServer(nullptr)
    , localSocket(nullptr)
    , pressPos(0, 0)
    , dragging(false)
    , restartPending(false)
{
    // Images and the catalogue live in a static library; the forms need them
    // before the first icon is loaded.
    initVemoResources();
    setLockWaitHook(showBusyWhileWaiting);
    ui = new Ui::PluginMW;
    ui->setupUi(this);

    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint
        | Qt::WindowMaximizeButtonHint | Qt::WindowStaysOnTopHint);
    setWindowOpacity(0.9);
    setAttribute(Qt::WA_TranslucentBackground);
    // The bar works beside the host, whose window has the focus: its
    // tooltips show without a click on it first.
    setAttribute(Qt::WA_AlwaysShowToolTips);

    const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
    move(avail.width() - width() - 30, 30);
    resize(width(), ui->genMark->height() + 12);
    ui->configWidget->hide();
    fitMask();

    for (QPushButton *b : { ui->genMark, ui->genOutline, ui->setPrint, ui->setCut, ui->saveFile,
             ui->qrCodeCtrl, ui->aboutBtn, ui->configBtn })
        b->setMask(QRegion(b->x() + 2, b->y() + 2, 36, 36, QRegion::Ellipse));
    for (QPushButton *b : { ui->minBtn, ui->exitBtn })
        b->setMask(QRegion(b->x() + 2, b->y() + 2, 16, 36, QRegion::Ellipse));
    auto *tips = new OneLineTips(this);
    for (QPushButton *b : { ui->genMark, ui->genOutline, ui->setPrint, ui->setCut, ui->saveFile,
             ui->qrCodeCtrl, ui->aboutBtn, ui->configBtn, ui->minBtn, ui->exitBtn })
        b->installEventFilter(tips);

    connect(ui->markSelect, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
        &PluginMW::on_painter_configChanged);
    for (QDoubleSpinBox *spin : { ui->topRev, ui->leftRev, ui->rightRev, ui->bottomRev })
        connect(spin, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this,
            &PluginMW::on_painter_configChanged);
    connect(ui->byFigure, &QCheckBox::clicked, this, &PluginMW::on_painter_configChanged);
    for (QDoubleSpinBox *spin : { ui->markWidth, ui->markHeight, ui->markWeight, ui->markDiameter })
        connect(spin, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this,
            &PluginMW::on_painter_configChanged);
    connect(ui->markColor, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
        &PluginMW::on_painter_configChanged);

    for (const QString &path : { basePath, qrJobsPath, qrPageinfoPath }) {
        if (!QDir(path).exists() && !QDir(path).mkdir(path))
            qCDebug(lcApp, "could not create the folder %s", qPrintable(path));
    }
    removeStaleSaves(settingsFile());

    loadSettings();

    // Only circle marks are offered; the index signal runs even when the
    // circle was chosen already, so the icon and the size rows follow.
    const int circle = int(MarkShape::Circle);
    ui->markSelect->setCurrentIndex(circle);
    emit ui->markSelect->currentIndexChanged(circle);
    ui->markSelect->setEnabled(false);
    ui->cutSelect->setCurrentIndex(int(CutMode::ByPathAndMarks));

    startLocalServer();
}

PluginMW::~PluginMW()
{
    // Open connections report their end as they go; let them while this
    // window is still whole rather than from the base class's cleanup.
    delete localServer;
    delete ui;
}

void PluginMW::mousePressEvent(QMouseEvent *event)
{
    // The window has no frame: its top strip is the handle to drag it by.
    if (event->pos().x() < width() && event->pos().y() < 10)
        dragging = true;
    pressPos = event->pos();
    QWidget::mousePressEvent(event);
}

void PluginMW::mouseReleaseEvent(QMouseEvent *event)
{
    dragging = false;
    QWidget::mouseReleaseEvent(event);
}

void PluginMW::mouseMoveEvent(QMouseEvent *event)
{
    if (dragging)
        move(event->globalPos() - pressPos);
    QWidget::mouseMoveEvent(event);
}

void PluginMW::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // HighQualityAntialiasing is a no-op in Qt 5.15 and only warns.
    painter.setRenderHints(
        QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    const QColor bar(200, 240, 240, 200);
    painter.setPen(bar);
    painter.setBrush(QBrush(bar, Qt::SolidPattern));
    painter.drawRoundedRect(
        0, 0, width(), ui->genMark->height() + 12, 25.0, 25.0, Qt::AbsoluteSize);
    if (!ui->configWidget->isHidden()) {
        painter.setPen(QColor(240, 240, 200, 200));
        painter.setBrush(QBrush(QColor(240, 240, 200, 255), Qt::SolidPattern));
        painter.drawRoundedRect(ui->configWidget->geometry(), 25.0, 25.0, Qt::AbsoluteSize);
    }
}

void PluginMW::closeEvent(QCloseEvent *event)
{
    // A run goes on in a job window the user has closed; ending the
    // process would stop the cutter mid-sheet without a word.
    if (sendMW.isVisible() || qrCodeMW.isVisible() || sendMW.isSending() || qrCodeMW.isBusy()) {
        const auto answer = dialogs::warning(this, tr("Warning"),
            tr("Close will stop all job sending, Confirm or Not?"),
            QMessageBox::Yes | QMessageBox::No);
        if (answer == QMessageBox::No) {
            event->ignore();
            // A refused close also calls off a language switch that asked for it.
            if (restartPending) {
                restartPending = false;
                ui->language->setText(languageBeforeSwitch);
            }
            return;
        }
    }
    // Both windows write config.ini: when the main window's group could not
    // be saved, the send window's cannot either, and one warning says why.
    const SaveResult saved = saveSettings();
    if (saved.ok())
        sendMW.close();
    else
        dialogs::warning(this, tr("Warning"),
            tr("The settings could not be saved to %1: %2.")
                .arg(QDir::toNativeSeparators(settingsFile()), describeFailure(saved)));
    if (restartPending) {
        restartPending = false;
        if (!startDetachedProgram(restartProgramName(),
                { QStringLiteral("500"), QCoreApplication::applicationFilePath() }))
            qCDebug(
                lcApp, "the restart program %s did not start", qPrintable(restartProgramName()));
    }
    // Release the server name now: the process ends without running
    // destructors, and the restarted copy must be able to take it.
    if (localServer)
        localServer->close();
    exitProcess(0);
    event->accept();
}

void PluginMW::on_minBtn_clicked()
{
    showMinimized();
}

void PluginMW::on_exitBtn_clicked()
{
    close();
}

void PluginMW::on_language_clicked()
{
    // The switch is a restart: without the program that restarts this one
    // the bar would close and nothing would come back.
    if (!programAvailable(restartProgramName())) {
        warn(tr("The language cannot be switched: the program %1, which starts this one again, "
                "is missing.")
                 .arg(restartProgramName()));
        return;
    }
    languageBeforeSwitch = ui->language->text();
    ui->language->setText(ui->language->text() == tr("EN") ? tr("ZH") : tr("EN"));
    restartPending = true;
    timedWait(500);
    close();
}
