// Host calls per button press: every action of the bar and the send window,
// pressed as a user would on the simulated host, counted in its call log.
// On the real host each call crosses into another process, so this is what
// a user waits for; a change that adds calls shows up in the table.
//
//   bench_hostcalls          the sample artwork, then sheets of n shapes
//                            spread over l layers ("n x l"); the last two
//                            columns are what one more shape and one more
//                            layer add
#include "apptestkit.h"
#include "emulatedcutter.h"
#include "pluginmw.h"

#include <simhost.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>

namespace {

constexpr double mm = 1.0 / 25.4;

struct Sheet
{
    int shapes = 0; // 0: the sample artwork
    int layers = 1;
    QString name() const
    {
        return shapes ? QStringLiteral("%1 x %2").arg(shapes).arg(layers)
                      : QStringLiteral("sample");
    }
};

// A sheet of n stickers 8 mm apart, rectangles and circles in turn, dealt
// over l artwork layers; the page is made to fit them.
void openSheet(const Sheet &sheet)
{
    simhost::SimHost &host = simhost::SimHost::instance();
    host.reset();
    if (!sheet.shapes) {
        QString error;
        if (!host.loadDocument(QStringLiteral(SIMHOST_SAMPLE), &error))
            qFatal("sample artwork: %s", qPrintable(error));
        return;
    }
    simhost::Document &doc = host.createDocument();
    doc.layers.clear();
    QStringList layers;
    for (int l = 0; l < sheet.layers; ++l) {
        layers << (l ? QStringLiteral("Artwork %1").arg(l + 1) : QStringLiteral("Artwork"));
        host.addLayer(doc, layers.last());
    }
    doc.activeLayer = doc.layers.front().id;
    const int columns = int(std::ceil(std::sqrt(double(sheet.shapes))));
    const double pitch = 8 * mm;
    doc.pageSize = QSizeF((columns + 1) * pitch, (columns + 1) * pitch);
    for (int i = 0; i < sheet.shapes; ++i) {
        const QPointF c((i % columns + 1) * pitch, (i / columns + 1) * pitch);
        QPainterPath p;
        if (i % 2)
            p.addEllipse(c, 3 * mm, 3 * mm);
        else
            p.addRect(QRectF(c.x() - 3 * mm, c.y() - 2 * mm, 6 * mm, 4 * mm));
        host.addShape(doc, layers[i % sheet.layers], p);
    }
}

void choose(QWidget *w, const char *list, int index)
{
    child<QComboBox>(w, list)->setCurrentIndex(index);
}

void tick(QWidget *w, const char *box, bool on)
{
    child<QAbstractButton>(w, box)->setChecked(on);
}

QWidget *sendWindow()
{
    QWidget *w = topLevel(QStringLiteral("SendMW"));
    if (!w)
        qFatal("no send window");
    return w;
}

struct Action
{
    const char *name;
    std::function<void(QWidget *bar)> press;
};

// Presses a button and returns once the action and its deferred deletions
// are over, as after a user's click.
void click(QWidget *w, const char *button)
{
    child<QAbstractButton>(w, button)->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Each action in the order a user takes them: marks (the labelled ones
// last, so the cut and Save File find them), the outlines (the contour last),
// then cut and send in each mode, Save File, PDF and print.
QList<Action> actions()
{
    QList<Action> a;
    const auto marks = [](bool byFigure, bool label) {
        return [=](QWidget *bar) {
            tick(bar, "byFigure", byFigure);
            tick(bar, "useQRCode", label);
            click(bar, "genMark");
        };
    };
    a << Action { "marks by page", marks(false, false) };
    a << Action { "marks by figure", marks(true, false) };
    a << Action { "marks, QR label", marks(false, true) };
    const auto outline = [](int choice) {
        return [=](QWidget *bar) {
            choose(bar, "outlineSelect", choice);
            tick(bar, "genCrease", false);
            click(bar, "genOutline");
        };
    };
    a << Action { "boundary", outline(1) };
    a << Action { "contour", outline(2) };
    const struct
    {
        int mode;
        const char *cut, *send, *save;
    } modes[] = {
        { 1, "Cut, By Path & Marks", "Send, By Path & Marks", "Save File, By Path & Marks" },
        { 0, "Cut, Directly Cut", "Send, Directly Cut", "Save File, Directly Cut" },
        { 2, "Cut, Blank Paper", "Send, Blank Paper", "Save File, Blank Paper" },
    };
    for (const auto &m : modes) {
        const int mode = m.mode;
        a << Action { m.cut, [=](QWidget *bar) {
                         choose(bar, "cutSelect", mode);
                         click(bar, "setCut");
                     } };
        a << Action { m.send, [](QWidget *) { click(sendWindow(), "send"); } };
    }
    for (const auto &m : modes) {
        const int mode = m.mode;
        a << Action { m.save, [=](QWidget *bar) {
                         choose(bar, "cutSelect", mode);
                         click(bar, "saveFile");
                     } };
    }
    a << Action { "PDF", [](QWidget *bar) {
                     choose(bar, "printSelect", 1);
                     click(bar, "setPrint");
                 } };
    a << Action { "print", [](QWidget *bar) {
                     choose(bar, "printSelect", 0);
                     click(bar, "setPrint");
                 } };
    return a;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir work;
    qputenv("VEMO_PUBLIC_DOCUMENTS", work.path().toLocal8Bit());
    qputenv("VEMO_USB_NO_DEFAULT", "1");
    QApplication app(argc, argv);
    simhost::SimHost::install();

    QStringList warnings;
    dialogs::setMessageHook([&](const dialogs::Message &m) {
        warnings << m.text;
        return QMessageBox::Ok;
    });
    const QString scratch = work.filePath(QStringLiteral("out"));
    dialogs::setFileHook([&](const dialogs::FileRequest &r) {
        return scratch + (r.filter.startsWith(QLatin1String("PDF")) ? ".pdf" : ".plt");
    });
    writeConfig({ { QStringLiteral("PluginMW/useCDRVersion"),
        QStringLiteral("CorelDraw.Application.24") } });

    EmulatedCutter cutter(QStringLiteral("BENCH-1"));
    CutterTiming fast;
    fast.replyMs = 1;
    fast.cutUnitsPerMs = fast.moveUnitsPerMs = fast.feedUnitsPerMs = 1000;
    fast.jobOverheadMs = fast.moveOverheadMs = fast.pageEndMs = 0;
    cutter.setTiming(fast);

    const QList<Sheet> sheets { { 0, 1 }, { 10, 1 }, { 100, 1 }, { 1000, 1 }, { 100, 10 },
        { 100, 100 } };
    const QList<Action> list = actions();
    QVector<QVector<int>> calls(list.size(), QVector<int>(sheets.size()));
    QStringList problems;
    for (int s = 0; s < sheets.size(); ++s) {
        openSheet(sheets[s]);
        PluginMW bar;
        bar.show();
        for (int a = 0; a < list.size(); ++a) {
            simhost::SimHost &host = simhost::SimHost::instance();
            host.clearCalls();
            warnings.clear();
            list[a].press(&bar);
            calls[a][s] = host.calls().size();
            for (const QString &w : qAsConst(warnings))
                problems << QStringLiteral("%1, %2: %3").arg(sheets[s].name(), list[a].name, w);
        }
        for (const QString &e : simhost::SimHost::instance().errors())
            problems << QStringLiteral("%1: host error %2").arg(sheets[s].name(), e);
        sendWindow()->close();
    }

    std::printf("host calls per press\n%-28s", "");
    for (const Sheet &s : sheets)
        std::printf("%10s", qPrintable(s.name()));
    std::printf("%10s%10s\n", "+shape", "+layer");
    const int shapesFrom = 2, shapesTo = 3; // 100 x 1, 1000 x 1
    const int layersFrom = 4, layersTo = 5; // 100 x 10, 100 x 100
    for (int a = 0; a < list.size(); ++a) {
        std::printf("%-28s", list[a].name);
        for (int c : calls[a])
            std::printf("%10d", c);
        const auto slope
            = [&](int from, int to, int by) { return double(calls[a][to] - calls[a][from]) / by; };
        std::printf("%10.1f%10.1f\n",
            slope(shapesFrom, shapesTo, sheets[shapesTo].shapes - sheets[shapesFrom].shapes),
            slope(layersFrom, layersTo, sheets[layersTo].layers - sheets[layersFrom].layers));
    }
    for (const QString &p : qAsConst(problems))
        std::fprintf(stderr, "%s\n", qPrintable(p));
    dialogs::setMessageHook({});
    dialogs::setFileHook({});
    regRemoveKey(cutterRegistryKey());
    return problems.isEmpty() ? 0 : 1;
}
