// The whole road through the buttons a user presses: artwork, marks,
// contour, cut or save, send, on the simulated host and an emulated cutter.
#include "roadkit.h"

#include "cdroperate.h"
#include "cutjob.h"
#include "hpgltool.h"
#include "jobformat.h"
#include "qpaintwidget.h"

#include <QLabel>
#include <QSpinBox>

#include <cmath>

using simhost::SimHost;

namespace {

// The shapes of a layer as polylines in the cutter's frame, relative to
// `origin` (plotter units, y down from the page top).
QList<QPolygonF> layerLines(const QString &layer, QPointF origin)
{
    const simhost::Document &doc = *SimHost::instance().activeDocument();
    QTransform t;
    const double perInch = Units::plotterUnitsPerInch;
    t.translate(-origin.x(), doc.pageSize.height() * perInch - origin.y());
    t.scale(perInch, -perInch);
    QList<QPolygonF> out;
    for (const simhost::Shape *s : doc.shapesOn(layer))
        out += t.map(s->path).toSubpathPolygons();
    return out;
}

double distanceTo(const QList<QPolygonF> &lines, QPointF p)
{
    double best = INFINITY;
    for (const QPolygonF &l : lines)
        for (int i = 1; i < l.size(); ++i) {
            const QPointF a = l[i - 1], d = l[i] - a;
            const double len2 = QPointF::dotProduct(d, d);
            const double u = len2 > 0 ? qBound(0.0, QPointF::dotProduct(p - a, d) / len2, 1.0) : 0;
            const QPointF q = a + u * d - p;
            best = std::min(best, std::hypot(q.x(), q.y()));
        }
    return best;
}

// The largest distance of a pen's strokes from the lines.
double farthest(const CutterJob &job, int pen, const QList<QPolygonF> &lines)
{
    double worst = 0;
    for (const CutterStroke &s : job.strokes)
        if (s.pen == pen)
            for (const QPointF &p : s.points)
                worst = std::max(worst, distanceTo(lines, p));
    return worst;
}

// A crease to cut first, across the page.
void addCrease()
{
    QPainterPath crease;
    crease.moveTo(40 * mm, 140 * mm);
    crease.lineTo(170 * mm, 140 * mm);
    SimHost::instance().addShape(*SimHost::instance().activeDocument(), "Creasing Layer", crease);
}

QList<QVector<QPointF>> strokesOf(const CutterJob &job)
{
    QList<QVector<QPointF>> out;
    for (const CutterStroke &s : job.strokes)
        out << s.points;
    return out;
}

} // namespace

class TstRoads : public RoadSuite
{
    Q_OBJECT

    QString fileAnswer;
    QList<QPoint> marks()
    {
        CdrOperate op(v24);
        return op.markCentres();
    }

private slots:
    void init()
    {
        openSample();
        rec = Recorder();
        rec.install();
        fileAnswer.clear();
        dialogs::setFileHook([this](const dialogs::FileRequest &) { return fileAnswer; });
        road.open(QStringLiteral("ROAD-1"));
    }
    void cleanup()
    {
        road.close();
        Recorder::uninstall();
        dialogs::setFileHook({});
        VERIFY_NO_HOST_ERRORS();
    }

    void byPathAndMarks()
    {
        road.marksAndContour();
        addCrease();
        press(bar.get(), "setCut");
        QVERIFY(sendWindow()->isVisible());
        QVERIFY(child<QPaintWidget>(sendWindow(), "paintWidget")->paths.size() > 5);
        finishingOff();
        press(sendWindow(), "send");
        verifyIdle(bar.get());
        QVERIFY(rec.messages.isEmpty());

        const QList<QByteArray> t = foldedWrites(*cutter);
        QCOMPARE(t.size(), 6);
        QCOMPARE(t.mid(0, 2), (QList<QByteArray> { ";CMD:14;", ";CMD:20,11880;" }));
        QVERIFY(t[2].startsWith("PU") && t[3] == ";CMD:10;" && t[5] == ";CMD:10;");
        const QList<QPoint> m = marks();
        QCOMPARE(m.size(), 4);
        const QList<CutterJob> jobs = cutter->jobs();
        QCOMPARE(jobs.size(), 1);
        const QPoint span = m.last() - m.first();
        QCOMPARE(jobs[0].header, (QList<int> { 0, 0, span.y(), span.x(), 4 }));
        // the crease first, then the cut, both relative to the first mark
        QCOMPARE(jobs[0].strokes.first().pen, 1);
        QCOMPARE(jobs[0].strokes.last().pen, 2);
        int firstCut = 0;
        while (jobs[0].strokes[firstCut].pen == 1)
            ++firstCut;
        for (int i = firstCut; i < jobs[0].strokes.size(); ++i)
            QCOMPARE(jobs[0].strokes[i].pen, 2);
        QVERIFY(farthest(jobs[0], 1, layerLines("Creasing Layer", m.first())) <= 2);
        const QList<QPolygonF> contour = layerLines("Cutting Layer", m.first());
        QVERIFY(contour.size() >= 5);
        const double off = farthest(jobs[0], 2, contour);
        QVERIFY2(off <= 2, qPrintable(QString::number(off)));
    }

    // What a send cuts is what Save File writes, byte for byte: header,
    // creasing lines, dashed cutting lines.
    void pathAndMarksSentAsSaved()
    {
        road.marksAndContour();
        addCrease();
        // each export stretches the shapes and back, which moves a point by a
        // unit now and then: every creasing and cutting export is the first one
        QList<QByteArray> firsts;
        int exports = 0;
        SimHost::instance().setExportFilter([&](const QByteArray &page) {
            const int kind = exports++ % 2;
            if (firsts.size() <= kind)
                firsts << page;
            return firsts[kind];
        });
        finishingOff();
        fileAnswer = workFolder() + "saved.plt";
        press(bar.get(), "saveFile");
        const QString saved = fileBytes(fileAnswer);
        QVERIFY(saved.startsWith("MD0,0,") && saved.contains("SP1;") && saved.contains("SP2;"));
        press(bar.get(), "setCut");
        press(sendWindow(), "send");
        SimHost::instance().setExportFilter({});
        verifyIdle(bar.get());
        QVERIFY(rec.messages.isEmpty());
        QCOMPARE(cutter->jobs().size(), 1);
        QCOMPARE(QString::fromLatin1(cutter->jobs()[0].text), saved);
    }

    void qrRoad()
    {
        road.marksAndContour(true);
        const int serial = child<QSpinBox>(bar.get(), "qrCodeStr")->value();
        QCOMPARE(serial, 10000001);
        press(bar.get(), "saveFile");
        QVERIFY(rec.messages.isEmpty());
        const QString filed = qrJobsFolder() + QString::number(serial) + ".plt";
        const QString job = fileBytes(filed);
        QVERIFY2(job.startsWith("MD0,0,") && job.contains(",5;"), qPrintable(filed));

        cutter->setSheets({ QString::number(serial) });
        press(bar.get(), "qrCodeCtrl");
        QWidget *qr = topLevel("QRCodeMW");
        QVERIFY(qr->isVisible());
        fileAnswer = filed;
        press(qr, "selectFile");
        press(qr, "startBtn");
        QVERIFY(child<QLabel>(qr, "currState")->text().contains("All Done!"));
        const QList<CutterJob> jobs = cutter->jobs();
        QCOMPARE(jobs.size(), 1);
        QCOMPARE(QString::fromLatin1(jobs[0].text), rewriteJobKind(job));
        QCOMPARE(jobs[0].header.value(4), 4);
        QVERIFY(cutter->sheets().isEmpty() || cutter->sheets().first() != QString::number(serial));
    }

    // Saved and sent, the cutter cuts the same strokes; blank paper over
    // three sheets with Auto-Next.
    void savedAndSent_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("header");
        QTest::addColumn<int>("sheets");
        QTest::newRow("directly cut") << 0 << "" << 1;
        QTest::newRow("blank paper") << 2 << "MD0,0,11880,8400,3;" << 3;
    }
    void savedAndSent()
    {
        QFETCH(int, mode);
        QFETCH(QString, header);
        QFETCH(int, sheets);
        set(bar.get(), { { "cutSelect", mode } });
        fileAnswer = workFolder() + "saved.plt";
        press(bar.get(), "saveFile");
        const QString saved = fileBytes(fileAnswer);
        QVERIFY(saved.startsWith(header + "IN;PA;") || saved.startsWith(header + "SP"));
        press(bar.get(), "setCut");
        finishingOff();
        set(sendWindow(), { { "conSend", true }, { "sendCount", 3 } });
        press(sendWindow(), "send");
        verifyIdle(bar.get());
        QVERIFY(rec.messages.isEmpty());
        const QList<CutterJob> jobs = cutter->jobs();
        QCOMPARE(jobs.size(), sheets);
        const auto want = strokesOf(EmulatedCutter::parseJob(saved.toLatin1()));
        QVERIFY(want.size() > 5);
        for (const CutterJob &j : jobs)
            QCOMPARE(strokesOf(j), want);
        QCOMPARE(child<QSpinBox>(sendWindow(), "sendCount")->value(), 3 - (mode == 2 ? 3 : 0));
        QCOMPARE(foldedWrites(*cutter).count(";CMD:20,11880;"), mode == 2 ? 3 : 0);
    }

    // Knife offset, overcut and backlash on: what the cutter gets is the
    // toolkit's own output for the same exports.
    void finishingOptions()
    {
        set(bar.get(), { { "cutSelect", 0 } });
        press(bar.get(), "setCut");
        set(sendWindow(),
            { { "autoSort", false }, { "knifeOffsetChk", true }, { "knifeOffset", 0.5 },
                { "closeOffsetChk", true }, { "closeOffset", 1.0 }, { "backlash", true },
                { "xBacklash", 0.2 }, { "yBacklash", 0.3 } });
        press(sendWindow(), "send");
        verifyIdle(bar.get());
        CutOptions options;
        options.knifeOffset = 0.5 * Units::plotterUnitsPerMm;
        options.overcut = 1.0 * Units::plotterUnitsPerMm;
        options.backlash = true;
        options.xBacklash = 0.2 * Units::plotterUnitsPerMm;
        options.yBacklash = 0.3 * Units::plotterUnitsPerMm;
        CdrOperate op(v24);
        const CutJobPaths paths = readCutJob(
            op, CutMode::DirectlyCut, {}, workFolder() + "own.plt", options, PipelineEnd::Finished);
        const double dash
            = child<QDoubleSpinBox>(bar.get(), "posLen")->value() * Units::plotterUnitsPerMm;
        const double gap
            = child<QDoubleSpinBox>(bar.get(), "negLen")->value() * Units::plotterUnitsPerMm;
        const QString want = HpglTool().writePensDashed(paths.cutting, dash, gap);
        QCOMPARE(cutter->jobs().size(), 1);
        QCOMPARE(QString::fromLatin1(cutter->jobs()[0].text), want);
        // and the options did change the cut
        const CutJobPaths plain = readCutJob(op, CutMode::DirectlyCut, {}, workFolder() + "own.plt",
            CutOptions(), PipelineEnd::Finished);
        QVERIFY(HpglTool().writePensDashed(plain.cutting, dash, gap) != want);
    }
};

QTEST_MAIN(TstRoads)
#include "tst_roads.moc"
