// One copy of the program pressing marks (and Save File) round after round,
// as a user would, on the work folder VEMO_PUBLIC_DOCUMENTS that other copies
// share; its simulated host holds a sheet of this copy's own. For the suites
// and benchmarks that run several at once.
//
//   markcopy COPY ROUNDS [--save] [--delay MS] [--start-at MS_SINCE_EPOCH]
//            [--period MS] [--aside-delay MS]
//
// --aside-delay slows the hold in which the start sets a damaged config.ini
// aside, as a slow disk would; with 0 rounds the copy only starts.
//
// The first round starts at --start-at, each next one --period later (or
// at once), so that copies started together press together.
//
// Prints a line a round:
//   round <label> picture ok|wrong|none job ok|wrong|missing|- mark_us <t> held_us <t> at <ms>
// "picture": whether the host imported this label's own picture; "job": whether
// the job filed under the label holds this copy's cut lines (--save only);
// "held_us": how long the mark held config.ini's lock; "at": when the round
// began, in ms since the epoch. Every message box is printed as
// "message <text>".

#include "apptestkit.h"
#include "cdroperate.h"
#include "cutjob.h"
#include "pluginmw.h"
#include "qrlabel.h"
#include "sendmw.h"
#include "settingscheck.h"
#include "units.h"

#include <simhost.h>

#include <QDateTime>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QPushButton>
#include <QRegularExpression>
#include <QThread>

#include <cstdio>

using simhost::SimHost;

namespace {

QList<qint64> heldUs;

void collectHeld(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    static const QRegularExpression held(QStringLiteral("^config\\.ini\\.lock held (\\d+) us"));
    const QRegularExpressionMatch m = held.match(text);
    if (context.category && qstrcmp(context.category, "vemo.lock") == 0) {
        if (m.hasMatch())
            heldUs << m.captured(1).toLongLong();
        return;
    }
    if (type != QtDebugMsg)
        std::fprintf(stderr, "%s\n", qPrintable(text));
}

QPainterPath mmRect(const QRectF &r)
{
    QPainterPath p;
    p.addRect(QRectF(r.topLeft() / Units::mmPerInch, r.size() / Units::mmPerInch));
    return p;
}

void press(PluginMW &w, const char *name)
{
    child<QPushButton>(&w, name)->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// What Save File would file for this copy's sheet, read through a scratch
// file no other copy uses.
QString ownJob(const SendMW &options, int copy)
{
    CdrOperate op(QStringLiteral("CorelDraw.Application.24"));
    const QList<QPoint> marks = op.markCentres();
    const QString scratch = workFolder() + QStringLiteral("copy%1.plt").arg(copy);
    const CutJobPaths paths = readCutJob(
        op, CutMode::ByPathAndMarks, marks, scratch, options.cutOptions(), PipelineEnd::Finished);
    QFile::remove(scratch);
    return cutJobText(paths, CutMode::ByPathAndMarks, JobUse::QrFile, marks, PageSize(), 0, 0);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr,
            "usage: markcopy COPY ROUNDS [--save] [--delay MS] [--start-at MS] "
            "[--period MS] [--aside-delay MS]\n");
        return 2;
    }
    const int copy = args[1].toInt();
    const int rounds = args[2].toInt();
    const bool save = args.contains(QStringLiteral("--save"));
    const auto option = [&args](const char *name) {
        const int i = args.indexOf(QLatin1String(name));
        return i > 0 && i + 1 < args.size() ? args[i + 1].toLongLong() : 0;
    };

    setSetAsideDelay(int(option("--aside-delay")));
    qInstallMessageHandler(collectHeld);
    QLoggingCategory::setFilterRules(QStringLiteral("vemo.lock.debug=true"));

    SimHost &host = SimHost::instance();
    host.reset();
    host.setFileDelay(int(option("--delay")));
    simhost::Document &doc = host.createDocument();
    host.addShape(doc, QStringLiteral("Layer 1"), mmRect(QRectF(40, 60, 80, 50)));
    // cut lines of this copy's own: a square whose size tells the copy
    host.addShape(doc, QStringLiteral("Cutting Layer"), mmRect(QRectF(50, 50, 60 + 7 * copy, 100)));

    QStringList messages;
    dialogs::setMessageHook([&messages](const dialogs::Message &m) {
        messages << m.text;
        return QMessageBox::Ok;
    });
    dialogs::setFileHook([](const dialogs::FileRequest &) { return QString(); });

    PluginMW w;
    set(&w, { { "useQRCode", true }, { "isInkJet", false } });
    child<QComboBox>(&w, "useCDRVersion")
        ->setCurrentText(QStringLiteral("CorelDraw.Application.24"));
    SendMW options; // loads the same settings as the bar's send window

    const qint64 startAt = option("--start-at");
    const qint64 period = option("--period");
    for (int r = 0; r < rounds; ++r) {
        const qint64 wait = startAt + r * period - QDateTime::currentMSecsSinceEpoch();
        if (wait > 0)
            QThread::msleep(ulong(wait));
        const int imports = host.importedPictures().size();
        heldUs.clear();
        const qint64 began = QDateTime::currentMSecsSinceEpoch();
        QElapsedTimer mark;
        mark.start();
        press(w, "genMark");
        const qint64 markUs = mark.nsecsElapsed() / 1000;
        const int label = child<QSpinBox>(&w, "qrCodeStr")->value();
        const QString text = marks::labelText(label);
        QString picture = QStringLiteral("none");
        if (host.importedPictures().size() > imports) {
            const QImage own = marks::labelPicture(marks::encodeLabel(text), text, false);
            picture = host.importedPictures().last().convertToFormat(QImage::Format_ARGB32)
                    == own.convertToFormat(QImage::Format_ARGB32)
                ? QStringLiteral("ok")
                : QStringLiteral("wrong");
        }
        QString job = QStringLiteral("-");
        if (save) {
            // the marks stay where the first round drew them
            static const QString expected = ownJob(options, copy);
            press(w, "saveFile");
            QFile filed(qrJobsFolder() + text + QStringLiteral(".plt"));
            job = !filed.open(QIODevice::ReadOnly)               ? QStringLiteral("missing")
                : QString::fromUtf8(filed.readAll()) == expected ? QStringLiteral("ok")
                                                                 : QStringLiteral("wrong");
        }
        qint64 held = 0;
        for (qint64 us : qAsConst(heldUs))
            held += us;
        std::printf("round %d picture %s job %s mark_us %lld held_us %lld at %lld\n", label,
            qPrintable(picture), qPrintable(job), static_cast<long long>(markUs),
            static_cast<long long>(held), static_cast<long long>(began));
        for (const QString &m : qAsConst(messages))
            std::printf("message %s\n", qPrintable(QString(m).replace('\n', ' ')));
        messages.clear();
        std::fflush(stdout);
    }
    dialogs::setMessageHook({});
    dialogs::setFileHook({});
    return 0;
}
