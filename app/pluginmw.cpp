#include "pluginmw.h"

#include "cdroperate.h"
#include "cutjob.h"
#include "cutterprotocol.h"
#include "dialogs.h"
#include "process.h"
#include "releasedate.h"
#include "savefile.h"
#include "ui_pluginmw.h"
#include "vemoresources.h"
#include "workfolder.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <QTranslator>
#include <QtEndian>

#include <algorithm>
#include <cmath>

// What the main window drops without telling the user (the local server, a
// caller cut off, a folder or the catalogue that could not be had). Off by
// default; QT_LOGGING_RULES="vemo.app=true" shows it.
Q_LOGGING_CATEGORY(lcApp, "vemo.app", QtWarningMsg)

namespace {
// Local server limits. A real message ("SHOW;") is a few bytes; a longer
// announced length is refused before any of it is buffered. Callers send at
// once, so one that stays silent is dropped; with a cap on open connections
// idle clients cannot use up the process's file descriptors.
const quint32 maxMessageBytes = 1024;
const int silentClientMs = 3000;
const int maxClients = 32;
const int relistenMs = 1000;

// Saving waits this long for the settings file's lock, then gives up.
const int settingsLockMs = 3000;

// Settings readers: a key that is missing or does not convert leaves the
// widget as the form set it.
bool readInt(const QSettings &s, const QString &key, int *out)
{
    bool ok = false;
    const int v = s.value(key).toInt(&ok);
    if (ok)
        *out = v;
    return ok;
}

bool readDouble(const QSettings &s, const QString &key, double *out)
{
    bool ok = false;
    const double v = s.value(key).toDouble(&ok);
    // "nan" and "inf" convert, but are no values for a spin box
    ok = ok && std::isfinite(v);
    if (ok)
        *out = v;
    return ok;
}

void loadIndex(const QSettings &s, const QString &key, QComboBox *box)
{
    int v = 0;
    if (readInt(s, key, &v) && v >= 0 && v < box->count())
        box->setCurrentIndex(v);
}

void loadChecked(const QSettings &s, const QString &key, QAbstractButton *button)
{
    if (s.contains(key))
        button->setChecked(s.value(key).toBool());
}

void loadValue(const QSettings &s, const QString &key, QDoubleSpinBox *spin)
{
    double v = 0.0;
    if (readDouble(s, key, &v))
        spin->setValue(v);
}

void loadValue(const QSettings &s, const QString &key, QSpinBox *spin)
{
    int v = 0;
    if (readInt(s, key, &v))
        spin->setValue(v);
}

void loadEnabled(const QSettings &s, const QString &key, QWidget *widget)
{
    if (s.contains(key))
        widget->setEnabled(s.value(key).toBool());
}
} // namespace

PluginMW::PluginMW(QWidget *parent)
    : QWidget(parent)
    , ui(nullptr)
    , basePath(workFolder())
    , qrJobsPath(workFolder() + QStringLiteral("QR Jobs/"))
    , qrPageinfoPath(workFolder() + QStringLiteral("QR Pageinfo/"))
    , tempPltPath(workFolder() + QStringLiteral("ABDOPQR.plt"))
    , mmPerInch(25.4)
    , unitsPerMm(40.0)
    , localServer(nullptr)
    , localSocket(nullptr)
    , pressPos(0, 0)
    , dragging(false)
    , restartPending(false)
{
    // Images and the catalogue live in a static library; the forms need them
    // before the first icon is loaded.
    initVemoResources();
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
    removeStaleSaves(basePath + QStringLiteral("config.ini"));

    loadSettings();

    // Only circle marks are offered; the index signal runs even when it was
    // 2 already, so the icon and the size rows follow.
    ui->markSelect->setCurrentIndex(2);
    emit ui->markSelect->currentIndexChanged(2);
    ui->markSelect->setEnabled(false);
    ui->cutSelect->setCurrentIndex(1);

    startLocalServer();
}

PluginMW::~PluginMW()
{
    // Open connections report their end as they go; let them while this
    // window is still whole rather than from the base class's cleanup.
    delete localServer;
    delete ui;
}

QString PluginMW::serverName()
{
    return QStringLiteral("VEMO_COMMON_PLUGIN");
}

void PluginMW::startLocalServer()
{
    localServer = new QLocalServer(this);
    bool listening = localServer->listen(serverName());
#ifndef Q_OS_WIN
    // A crashed run leaves its socket file behind. Only a copy that still
    // answers counts as running; otherwise the name is ours to take.
    if (!listening && localServer->serverError() == QAbstractSocket::AddressInUseError) {
        QLocalSocket probe;
        probe.connectToServer(serverName());
        const bool running = probe.waitForConnected(1000);
        probe.abort();
        if (!running) {
            QLocalServer::removeServer(serverName());
            listening = localServer->listen(serverName());
        }
    }
#endif
    if (!listening) {
        qCDebug(lcApp, "the local server %s is not listening: %s", qPrintable(serverName()),
            qPrintable(localServer->errorString()));
        return;
    }
    connect(
        localServer, &QLocalServer::newConnection, this, &PluginMW::on_localSocket_newConnection);
    // The server closes itself for good when accepting fails (the process
    // out of file descriptors), and only its error text tells; take the
    // name back once it can.
    auto *watch = new QTimer(localServer);
    connect(watch, &QTimer::timeout, localServer,
        [this, healthy = localServer->errorString()]() mutable {
            if (localServer->isListening() && localServer->errorString() == healthy)
                return;
            localServer->close();
            if (localServer->listen(serverName()))
                healthy = localServer->errorString();
            else
                qCDebug(lcApp, "the local server could not listen again: %s",
                    qPrintable(localServer->errorString()));
        });
    watch->start(relistenMs);
}

void PluginMW::on_localSocket_newConnection()
{
    while (QLocalSocket *socket = localServer->nextPendingConnection()) {
        if (localServer->findChildren<QLocalSocket *>(QString(), Qt::FindDirectChildrenOnly).size()
            > maxClients) {
            qCDebug(lcApp, "a caller was refused: %d connections are open", maxClients);
            socket->abort();
            socket->deleteLater();
            continue;
        }
        auto *silence = new QTimer(socket);
        silence->setSingleShot(true);
        connect(silence, &QTimer::timeout, socket, &QLocalSocket::abort);
        connect(socket, &QLocalSocket::readyRead, silence, QOverload<>::of(&QTimer::start));
        silence->start(silentClientMs);
        localSocket = socket;
        connect(socket, &QLocalSocket::readyRead, this, &PluginMW::on_localSocket_recieved);
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            if (localSocket == socket)
                localSocket = nullptr;
            socket->deleteLater();
        });
        if (socket->bytesAvailable() > 0)
            readMessages(socket);
    }
}

void PluginMW::on_localSocket_recieved()
{
    auto *socket = qobject_cast<QLocalSocket *>(sender());
    if (!socket)
        socket = localSocket;
    if (socket)
        readMessages(socket);
}

void PluginMW::readMessages(QLocalSocket *socket)
{
    // Messages may arrive split or several at once: take every complete one.
    QDataStream in(socket);
    in.setVersion(QDataStream::Qt_5_0);
    for (;;) {
        const QByteArray field = socket->peek(4);
        if (field.size() == 4) {
            const quint32 length = qFromBigEndian<quint32>(field.constData());
            if (length != 0xffffffffu && length > maxMessageBytes) { // all ones: a null string
                qCDebug(lcApp, "a caller was cut off: a message of %u bytes", length);
                socket->abort();
                return;
            }
        }
        in.startTransaction();
        QString message;
        in >> message;
        if (!in.commitTransaction())
            break;
        if (message == QLatin1String("SHOW;"))
            bringToView();
    }
    // Data that can never become a message ends the connection.
    if (in.status() == QDataStream::ReadCorruptData) {
        qCDebug(lcApp, "a caller was cut off: its data is no message");
        socket->abort();
    }
}

void PluginMW::bringToView()
{
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
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
                .arg(QDir::toNativeSeparators(basePath + QStringLiteral("config.ini")),
                    describeFailure(saved)));
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

namespace {
// An action's button stays disabled for as long as the action runs.
class ButtonHold
{
public:
    explicit ButtonHold(QAbstractButton *button)
        : button(button)
    {
        button->setEnabled(false);
    }
    ~ButtonHold() { button->setEnabled(true); }
    ButtonHold(const ButtonHold &) = delete;
    ButtonHold &operator=(const ButtonHold &) = delete;

private:
    QAbstractButton *button;
};
} // namespace

std::unique_ptr<CdrOperate> PluginMW::openHost(QAbstractButton *button)
{
    std::unique_ptr<CdrOperate> op(new CdrOperate(ui->useCDRVersion->currentText()));
    if (!op->isConnected()) {
        button->setEnabled(true);
        warn(tr("Please Confirm CorelDraw Installations and Choose Correct CorelDraw Version..."));
        return nullptr;
    }
    op->setLayerNames(ui->language->text());
    return op;
}

void PluginMW::warn(const QString &text)
{
    dialogs::warning(this, tr("Warning"), text, QMessageBox::Ok);
}

void PluginMW::on_genMark_clicked()
{
    const int shape = ui->markSelect->currentIndex();
    const bool useQRCode = ui->useQRCode->isChecked();
    const bool countsSerial = shape == 2 && useQRCode;
    // Counting past the top would label this sheet with the last one's number.
    if (countsSerial && ui->qrCodeStr->value() >= ui->qrCodeStr->maximum()) {
        warn(tr("The QR serial number has reached %1 and cannot count further.")
                 .arg(ui->qrCodeStr->value()));
        return;
    }
    ButtonHold hold(ui->genMark);
    std::unique_ptr<CdrOperate> op = openHost(ui->genMark);
    if (!op)
        return;
    // The label gets the new number.
    if (countsSerial)
        ui->qrCodeStr->setValue(ui->qrCodeStr->value() + 1);

    int C = 0, M = 0, Y = 0, K = 100;
    if (ui->markColor->currentIndex() == 1) {
        M = 100;
        Y = 100;
        K = 0;
    } else if (ui->markColor->currentIndex() == 2) {
        K = 0;
    }
    const bool byFigure = ui->byFigure->isChecked();
    const double top = ui->topRev->value() / mmPerInch;
    const double left = ui->leftRev->value() / mmPerInch;
    const double right = ui->rightRev->value() / mmPerInch;
    const double bottom = ui->bottomRev->value() / mmPerInch;
    const bool isSegment = ui->isSegment->isChecked();
    const double segLength = ui->ySegLength->value() / mmPerInch;
    if (shape == 0 || shape == 1) {
        const double w = ui->markWidth->value() / mmPerInch;
        const double h = ui->markHeight->value() / mmPerInch;
        const double weight = ui->markWeight->value() / mmPerInch;
        const auto gen = shape == 0
            ? (byFigure ? &CdrOperate::genCrossMarkByFigure : &CdrOperate::genCrossMarkByPage)
            : (byFigure ? &CdrOperate::genRtAngleMarkByFigure : &CdrOperate::genRtAngleMarkByPage);
        ((*op).*gen)(top, left, right, bottom, w, h, weight, isSegment, segLength, C, M, Y, K);
    } else if (shape == 2) {
        const auto gen
            = byFigure ? &CdrOperate::genCircleMarkByFigure : &CdrOperate::genCircleMarkByPage;
        ((*op).*gen)(top, left, right, bottom, ui->markDiameter->value() / mmPerInch, isSegment,
            segLength, useQRCode, ui->isInkJet->isChecked(),
            double(ui->qrCodeSize->value()) / mmPerInch, ui->qrCodeStr->value(), C, M, Y, K);
    }
    const QString labelProblem = op->labelProblem;
    op.reset();
    if (!labelProblem.isEmpty())
        warn(labelProblem);

    if (useQRCode) {
        const QString path = basePath + QStringLiteral("config.ini");
        // A lost count hands out the same numbers again after a restart.
        const SaveResult saved = ::saveSettings(path,
            { { QStringLiteral("PluginMW/qrCodeStr"), ui->qrCodeStr->value() } }, settingsLockMs);
        if (!saved.ok())
            warn(tr("Could not save the QR serial number to %1: %2.")
                     .arg(QDir::toNativeSeparators(path), describeFailure(saved)));
    }
}

void PluginMW::on_genOutline_clicked()
{
    ButtonHold hold(ui->genOutline);
    std::unique_ptr<CdrOperate> op = openHost(ui->genOutline);
    if (!op)
        return;
    switch (ui->outlineSelect->currentIndex()) {
    case 0:
        op->createCuttingLayer();
        break;
    case 1:
        op->createBoundary();
        break;
    case 2:
        op->createContour();
        break;
    default:
        break;
    }
    if (ui->genCrease->isChecked())
        op->createCreasingLayer();
}

void PluginMW::on_setPrint_clicked()
{
    ButtonHold hold(ui->setPrint);
    std::unique_ptr<CdrOperate> op = openHost(ui->setPrint);
    if (!op)
        return;
    if (ui->printSelect->currentIndex() == 0) {
        op->printDocument();
    } else if (ui->printSelect->currentIndex() == 1) {
        const QString file = dialogs::getSaveFileName(
            this, tr("SavePDF"), QString(), tr("PDF File(*.pdf);;All File(*.*)"));
        if (!file.isEmpty())
            op->publishPdf(file);
    }
}

void PluginMW::on_setCut_clicked()
{
    const FreeMemoryAtEnd giveBack; // the export's text and what the pipeline let go
    ButtonHold hold(ui->setCut);
    std::unique_ptr<CdrOperate> op = openHost(ui->setCut);
    if (!op)
        return;
    const int mode = ui->cutSelect->currentIndex();
    QList<QPoint> marks;
    if (mode == CutMode::ByPathAndMarks) {
        marks = op->markCentres();
        if (marks.isEmpty())
            return;
    }
    sendMW.dropPreview();
    QString problem;
    const CutJobPaths paths = readCutJob(
        *op, mode, marks, tempPltPath, CutOptions(), PipelineEnd::AfterTranslate, &problem);
    if (!problem.isEmpty()) {
        warn(problem);
        return;
    }
    sendMW.setData(ui->useCDRVersion->currentText(), ui->language->text(), mode,
        ui->posLen->value(), ui->negLen->value(), paths.both());
    op.reset();
    sendMW.showNormal();
    sendMW.raise();
}

void PluginMW::on_saveFile_clicked()
{
    const FreeMemoryAtEnd giveBack;
    ButtonHold hold(ui->saveFile);
    std::unique_ptr<CdrOperate> op = openHost(ui->saveFile);
    if (!op)
        return;
    const int mode = ui->cutSelect->currentIndex();
    QList<QPoint> marks;
    QString qrName;
    if (mode == CutMode::ByPathAndMarks) {
        marks = op->markCentres();
        if (marks.isEmpty())
            return;
        qrName = op->qrJobName();
        // The name comes from a layer name anyone can edit.
        if (!qrName.isEmpty() && !CdrOperate::isSafeJobName(qrName)) {
            warn(tr("The QR job name \"%1\" cannot be used as a file name.").arg(qrName));
            return;
        }
    }

    QString problem;
    const CutJobPaths paths = readCutJob(
        *op, mode, marks, tempPltPath, sendMW.cutOptions(), PipelineEnd::Finished, &problem);
    if (!problem.isEmpty()) {
        warn(problem);
        return;
    }
    if (nothingToCut(paths)) {
        warn(nothingToCutText());
        return;
    }

    // The QR job controller looks a labelled job up by the label's number.
    const JobUse use = qrName.isEmpty() ? JobUse::FileSave : JobUse::QrFile;
    const PageSize page = mode == CutMode::BlankPaper ? readPageSize(*op) : PageSize();
    const QString text = cutJobText(paths, mode, use, marks, page, ui->posLen->value() * unitsPerMm,
        ui->negLen->value() * unitsPerMm);
    QString file;
    if (use == JobUse::QrFile)
        file = qrJobsPath + qrName + QStringLiteral(".plt");
    if (file.isEmpty()) {
        file = dialogs::getSaveFileName(
            this, tr("SavePlt"), QString(), tr("HPGL File(*.plt);;All File(*.*)"));
        if (file.isEmpty())
            return;
    }
    SaveResult why;
    if (!writeJobFile(file, text, &why))
        warn(tr("Could not write %1: %2.")
                 .arg(QDir::toNativeSeparators(file), describeFailure(why)));
}

void PluginMW::on_qrCodeCtrl_clicked()
{
    qrCodeMW.showNormal();
    qrCodeMW.raise();
}

void PluginMW::on_aboutBtn_clicked()
{
    const QString date = releaseDate(QStringLiteral(__DATE__));
    dialogs::information(this, tr("Vemo"),
        tr("      Release Date:%1\n"
           "https://www.vemo-cut.example\n"
           "Vemo Print & Cut Systems")
            .arg(date),
        QMessageBox::Ok);
}

void PluginMW::on_configBtn_clicked()
{
    if (ui->configWidget->isHidden()) {
        ui->configBtn->setToolTip(tr("<font size=4><font color=blue>Retract Settings"));
        spreadPanel();
    } else {
        ui->configBtn->setToolTip(tr("<font size=4><font color=blue>Spread Settings"));
        foldPanel();
        repaint();
    }
    fitMask();
}

// The panel may need more width than the bar. The window then widens
// towards the side the screen has room on, and the row of buttons keeps its
// place on the screen, so no button moves under the mouse.
void PluginMW::spreadPanel()
{
    const QMargins outer = ui->verticalLayout->contentsMargins();
    const int need = ui->configWidget->minimumSizeHint().width() + outer.left() + outer.right();
    const int grow = std::max(0, need - width());
    const QRect avail = screen()->availableGeometry();
    const int right = std::min(grow, std::max(0, avail.right() - geometry().right()));
    const int left = grow - right;
    ui->btnLayout->setContentsMargins(left, 0, right, 0);
    move(x() - left, y());
    resize(width() + grow, height());
    ui->configWidget->show();
}

// Back to the bar alone, as wide and where it was.
void PluginMW::foldPanel()
{
    const QMargins row = ui->btnLayout->contentsMargins();
    ui->configWidget->hide();
    ui->btnLayout->setContentsMargins(0, 0, 0, 0);
    // the window's least size shrinks back before it is resized
    ui->verticalLayout->activate();
    move(x() + row.left(), y());
    resize(width() - row.left() - row.right(), ui->genMark->height() + 12);
}

void PluginMW::fitMask()
{
    // Without a compositor the translucent window paints its empty part
    // black and takes its clicks; with the panel folded only the bar counts.
    if (!ui->configWidget->isHidden()) {
        clearMask();
        return;
    }
    QPainterPath bar;
    bar.addRoundedRect(QRectF(0, 0, width(), ui->genMark->height() + 12), 25.0, 25.0);
    setMask(QRegion(bar.toFillPolygon().toPolygon()));
}

void PluginMW::on_minBtn_clicked()
{
    showMinimized();
}

void PluginMW::on_exitBtn_clicked()
{
    close();
}

void PluginMW::on_markSelect_currentIndexChanged(int index)
{
    const QList<QWidget *> sizeRows = { ui->markWidthLbl, ui->markWidth, ui->markHeightLbl,
        ui->markHeight, ui->markWeightLbl, ui->markWeight };
    if (index == 0 || index == 1) {
        ui->genMark->setIcon(QIcon(index == 0 ? QStringLiteral(":/png/MarkCrossBtn.png")
                                              : QStringLiteral(":/png/MarkRtAngleBtn.png")));
        for (QWidget *w : sizeRows)
            w->show();
        ui->markDiameterLbl->hide();
        ui->markDiameter->hide();
    } else if (index == 2) {
        ui->genMark->setIcon(QIcon(QStringLiteral(":/png/MarkCircleBtn.png")));
        for (QWidget *w : sizeRows)
            w->hide();
        ui->markDiameterLbl->show();
        ui->markDiameter->show();
    }
}

void PluginMW::on_outlineSelect_currentIndexChanged(int index)
{
    switch (index) {
    case 0:
        ui->genOutline->setToolTip(tr("<font size=4><font color=blue>Create Layer Only"));
        ui->genOutline->setIcon(QIcon(QStringLiteral(":/png/LayerBtn.png")));
        break;
    case 1:
        ui->genOutline->setToolTip(tr("<font size=4><font color=blue>Create Boundary"));
        ui->genOutline->setIcon(QIcon(QStringLiteral(":/png/OutlineBtn.png")));
        break;
    case 2:
        ui->genOutline->setToolTip(tr("<font size=4><font color=blue>Create Contour"));
        ui->genOutline->setIcon(QIcon(QStringLiteral(":/png/OutlineBtn.png")));
        break;
    default:
        break;
    }
}

void PluginMW::on_printSelect_currentIndexChanged(int index)
{
    switch (index) {
    case 0:
        ui->setPrint->setToolTip(tr("<font size=4><font color=blue>Adjust Printable"));
        ui->setPrint->setIcon(QIcon(QStringLiteral(":/png/PrintBtn.png")));
        break;
    case 1:
        ui->setPrint->setToolTip(tr("<font size=4><font color=blue>Adjust & Save PDF"));
        ui->setPrint->setIcon(QIcon(QStringLiteral(":/png/SavePdfBtn.png")));
        break;
    default:
        break;
    }
}

void PluginMW::on_cutSelect_currentIndexChanged(int index)
{
    switch (index) {
    case 0:
        ui->setCut->setToolTip(tr("<font size=4><font color=blue>Directly Cut"));
        ui->setCut->setIcon(QIcon(QStringLiteral(":/png/DirectCutBtn.png")));
        break;
    case 1:
        ui->setCut->setToolTip(tr("<font size=4><font color=blue>By Path & Marks"));
        ui->setCut->setIcon(QIcon(QStringLiteral(":/png/CutBtn.png")));
        break;
    case 2:
        ui->setCut->setToolTip(tr("<font size=4><font color=blue>Blank Paper"));
        ui->setCut->setIcon(QIcon(QStringLiteral(":/png/BlankCutBtn.png")));
        break;
    default:
        break;
    }
}

void PluginMW::on_painter_configChanged()
{
    MarkView *mark = ui->markView;
    PaperView *paper = ui->paperView;
    paper->figureMode = ui->byFigure->isChecked();
    // The paper shows a millimetre as a pixel, the single mark as two.
    const int shape = ui->markSelect->currentIndex();
    if (shape >= 0 && shape <= 2) {
        // a circle's line weight is unused: it is drawn filled
        const bool circle = shape == 2;
        mark->shape = paper->shape = shape;
        paper->markW = (circle ? ui->markDiameter : ui->markWidth)->value();
        paper->markH = (circle ? ui->markDiameter : ui->markHeight)->value();
        paper->lineWeight = (circle ? ui->markDiameter : ui->markWeight)->value();
        mark->markW = 2 * paper->markW;
        mark->markH = 2 * paper->markH;
        mark->lineWeight = 2 * paper->lineWeight;
    }
    const int colour = ui->markColor->currentIndex();
    if (colour >= 0 && colour <= 2)
        mark->colorIndex = paper->colorIndex = colour;
    paper->topMargin = ui->topRev->value();
    paper->leftMargin = ui->leftRev->value();
    paper->rightMargin = ui->rightRev->value();
    paper->bottomMargin = ui->bottomRev->value();
    update();
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

void PluginMW::on_isSegment_clicked(bool checked)
{
    if (checked) {
        ui->bySegPieces->setEnabled(true);
        ui->bySegLength->setEnabled(true);
        if (ui->bySegPieces->isChecked())
            ui->ySegPieces->setEnabled(true);
        else if (ui->bySegLength->isChecked())
            ui->ySegLength->setEnabled(true);
    } else {
        ui->bySegPieces->setEnabled(false);
        ui->bySegLength->setEnabled(false);
        ui->ySegPieces->setEnabled(false);
        ui->ySegLength->setEnabled(false);
    }
}

void PluginMW::on_bySegPieces_clicked(bool checked)
{
    if (checked) {
        ui->ySegPieces->setEnabled(true);
        ui->ySegLength->setEnabled(false);
    }
}

void PluginMW::on_bySegLength_clicked(bool checked)
{
    if (checked) {
        ui->ySegPieces->setEnabled(false);
        ui->ySegLength->setEnabled(true);
    }
}

void PluginMW::on_useQRCode_clicked(bool checked)
{
    ui->isInkJet->setEnabled(checked);
    ui->qrCodeSize->setEnabled(checked);
    ui->qrPreStr->setEnabled(checked);
}

void PluginMW::on_qrPreStr_valueChanged(int value)
{
    const int n = ui->qrCodeStr->value();
    ui->qrCodeStr->setValue(n % 10000000 + value * 10000000);
}

void PluginMW::loadSettings()
{
    const QString path = basePath + QStringLiteral("config.ini");
    if (!QFile(path).exists())
        return;
    const QSettings s(path, QSettings::IniFormat);

    loadIndex(s, QStringLiteral("PluginMW/markSelect"), ui->markSelect);
    loadIndex(s, QStringLiteral("PluginMW/outlineSelect"), ui->outlineSelect);
    loadIndex(s, QStringLiteral("PluginMW/printSelect"), ui->printSelect);
    loadIndex(s, QStringLiteral("PluginMW/cutSelect"), ui->cutSelect);

    // Anything but "ZH" is English, an empty or unknown code included.
    const QString language = s.value(QStringLiteral("PluginMW/language")).toString();
    if (language == QLatin1String("ZH")) {
        static QTranslator translator;
        if (translator.load(QStringLiteral(":/Chinese.qm"))) {
            QCoreApplication::installTranslator(&translator);
            // Re-translation puts back the form's first tooltips; keep the
            // ones the lists have chosen since, in Chinese.
            const QList<QAbstractButton *> chosen
                = { ui->genMark, ui->genOutline, ui->setPrint, ui->setCut, ui->configBtn };
            QStringList tips;
            for (QAbstractButton *b : chosen)
                tips << b->toolTip();
            ui->retranslateUi(this);
            for (int i = 0; i < chosen.size(); ++i)
                chosen[i]->setToolTip(
                    QCoreApplication::translate("PluginMW", tips[i].toUtf8().constData()));
        } else {
            qCDebug(lcApp, "the Chinese catalogue did not load");
        }
        ui->language->setText(QStringLiteral("ZH"));
        sendMW.changeLanguage(QStringLiteral("ZH"));
        qrCodeMW.changeLanguage(QStringLiteral("ZH"));
    } else {
        ui->language->setText(QStringLiteral("EN"));
    }

    loadChecked(s, QStringLiteral("PluginMW/genCrease"), ui->genCrease);
    loadChecked(s, QStringLiteral("PluginMW/byFigure"), ui->byFigure);
    loadValue(s, QStringLiteral("PluginMW/topRev"), ui->topRev);
    loadValue(s, QStringLiteral("PluginMW/leftRev"), ui->leftRev);
    loadValue(s, QStringLiteral("PluginMW/rightRev"), ui->rightRev);
    // "buttomRev" stays: every stored config.ini has the key so
    loadValue(s, QStringLiteral("PluginMW/buttomRev"), ui->bottomRev);
    loadValue(s, QStringLiteral("PluginMW/markWidth"), ui->markWidth);
    loadValue(s, QStringLiteral("PluginMW/markHeight"), ui->markHeight);
    loadValue(s, QStringLiteral("PluginMW/markWeight"), ui->markWeight);
    loadValue(s, QStringLiteral("PluginMW/markDiameter"), ui->markDiameter);
    loadIndex(s, QStringLiteral("PluginMW/markColor"), ui->markColor);

    // The check boxes' own slots set the enabled states of what hangs on them.
    loadChecked(s, QStringLiteral("PluginMW/isSegment"), ui->isSegment);
    emit ui->isSegment->clicked(ui->isSegment->isChecked());
    loadChecked(s, QStringLiteral("PluginMW/bySegPieces"), ui->bySegPieces);
    loadChecked(s, QStringLiteral("PluginMW/bySegLength"), ui->bySegLength);
    loadValue(s, QStringLiteral("PluginMW/ySegPieces"), ui->ySegPieces);
    loadEnabled(s, QStringLiteral("PluginMW/ySegPiecesEn"), ui->ySegPieces);
    loadValue(s, QStringLiteral("PluginMW/ySegLength"), ui->ySegLength);
    loadEnabled(s, QStringLiteral("PluginMW/ySegLengthEn"), ui->ySegLength);

    loadChecked(s, QStringLiteral("PluginMW/useQRCode"), ui->useQRCode);
    emit ui->useQRCode->clicked(ui->useQRCode->isChecked());
    loadChecked(s, QStringLiteral("PluginMW/isInkJet"), ui->isInkJet);

    // The serial's leading digit goes to qrPreStr first; its slot rewrites
    // the serial, so the stored one is set again after it.
    int serial = 0;
    if (readInt(s, QStringLiteral("PluginMW/qrCodeStr"), &serial)) {
        ui->qrPreStr->setValue(serial / 10000000);
        ui->qrCodeStr->setValue(serial);
    }
    loadValue(s, QStringLiteral("PluginMW/qrCodeSize"), ui->qrCodeSize);

    const QVariant version = s.value(QStringLiteral("PluginMW/useCDRVersion"));
    if (version.isValid())
        ui->useCDRVersion->setCurrentText(version.toString());
}

SaveResult PluginMW::saveSettings()
{
    SettingValues s;
    s.append({ QStringLiteral("PluginMW/markSelect"), ui->markSelect->currentIndex() });
    s.append({ QStringLiteral("PluginMW/outlineSelect"), ui->outlineSelect->currentIndex() });
    s.append({ QStringLiteral("PluginMW/printSelect"), ui->printSelect->currentIndex() });
    s.append({ QStringLiteral("PluginMW/cutSelect"), ui->cutSelect->currentIndex() });
    s.append({ QStringLiteral("PluginMW/language"), ui->language->text() });
    s.append({ QStringLiteral("PluginMW/genCrease"), ui->genCrease->isChecked() });
    s.append({ QStringLiteral("PluginMW/byFigure"), ui->byFigure->isChecked() });
    s.append({ QStringLiteral("PluginMW/topRev"), ui->topRev->value() });
    s.append({ QStringLiteral("PluginMW/leftRev"), ui->leftRev->value() });
    s.append({ QStringLiteral("PluginMW/rightRev"), ui->rightRev->value() });
    // "buttomRev" stays: every stored config.ini has the key so
    s.append({ QStringLiteral("PluginMW/buttomRev"), ui->bottomRev->value() });
    s.append({ QStringLiteral("PluginMW/markWidth"), ui->markWidth->value() });
    s.append({ QStringLiteral("PluginMW/markHeight"), ui->markHeight->value() });
    s.append({ QStringLiteral("PluginMW/markWeight"), ui->markWeight->value() });
    s.append({ QStringLiteral("PluginMW/markDiameter"), ui->markDiameter->value() });
    s.append({ QStringLiteral("PluginMW/markColor"), ui->markColor->currentIndex() });
    s.append({ QStringLiteral("PluginMW/isSegment"), ui->isSegment->isChecked() });
    s.append({ QStringLiteral("PluginMW/bySegPieces"), ui->bySegPieces->isChecked() });
    s.append({ QStringLiteral("PluginMW/bySegLength"), ui->bySegLength->isChecked() });
    s.append({ QStringLiteral("PluginMW/ySegPieces"), ui->ySegPieces->value() });
    s.append({ QStringLiteral("PluginMW/ySegPiecesEn"), ui->ySegPieces->isEnabled() });
    s.append({ QStringLiteral("PluginMW/ySegLength"), ui->ySegLength->value() });
    s.append({ QStringLiteral("PluginMW/ySegLengthEn"), ui->ySegLength->isEnabled() });
    s.append({ QStringLiteral("PluginMW/useQRCode"), ui->useQRCode->isChecked() });
    s.append({ QStringLiteral("PluginMW/isInkJet"), ui->isInkJet->isChecked() });
    s.append({ QStringLiteral("PluginMW/qrCodeSize"), ui->qrCodeSize->value() });
    s.append({ QStringLiteral("PluginMW/qrCodeStr"), ui->qrCodeStr->value() });
    s.append({ QStringLiteral("PluginMW/useCDRVersion"), ui->useCDRVersion->currentText() });
    return ::saveSettings(basePath + QStringLiteral("config.ini"), s, settingsLockMs);
}
