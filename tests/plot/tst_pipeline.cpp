// The shared cut pipeline: from the host's exports to the lists the writers
// get, for every cut mode, and one whole "By Path & Marks" job text.
#include "hpgltool.h"
#include "jobformat.h"
#include "jobpipeline.h"
#include "pathdump.h"

#include <QtTest>

Q_DECLARE_METATYPE(CutMode)

namespace {

// Host frame, five times the size: a square of 100 (its walk turns
// counter-clockwise on the sheet once mirrored) after an open line.
const char *kCutting = "IN;PA;SP1;PU2000,2000;PD2500,2000;"
                       "PU1000,2000;PD1500,2000,1500,2500,1000,2500,1000,2000;PU;";
// True size.
const char *kCreasing = "IN;PA;SP1;PU100,900;PD500,900;PU;";

CutJobInput pathAndMarks()
{
    CutJobInput in;
    in.cutMode = CutMode::ByPathAndMarks;
    in.cuttingHpgl = QString::fromLatin1(kCutting);
    in.creasingHpgl = QString::fromLatin1(kCreasing);
    in.pageHeight = 3000;
    in.markCentres = { QPoint(100, 200), QPoint(500, 500), QPoint(900, 800) };
    return in;
}

} // namespace

class TestPipeline : public QObject
{
    Q_OBJECT

private slots:
    void pathAndMarksJobText();
    void autoSortOffKeepsExportOrder();
    void previewStopsAfterTranslate();
    void sameAsTheSteps_data();
    void sameAsTheSteps();
    void nothingToCut();
};

// Read back, scaled, mirrored, moved to the first mark, sorted (the square
// turned clockwise and started on its top line), overcut of 40 on the
// square only, then header and the two bodies.
void TestPipeline::pathAndMarksJobText()
{
    CutOptions options;
    options.autoSort = true;
    options.overcut = 40;
    const CutJobInput in = pathAndMarks();
    const CutJobPaths out = runCutPipeline(in, options);

    HpglTool t;
    const QPoint first = in.markCentres.first(), last = in.markCentres.last();
    const QString text
        = jobHeader(last.y() - first.y(), last.x() - first.x(), JobKind::PathAndMarks)
        + t.writePen1(out.creasing) + t.writePen2Dashed(out.cutting, 40 * 5, 40 * 0.5);
    QCOMPARE(text,
        QStringLiteral("MD0,0,600,800,4;"
                       "IN;PA;SP1;PU1900,0;PD1900,400;PU;"
                       "SP2;PU700,900;PD700,1000,800,1000,800,900,700,900,700,940;"
                       "PU800,1100;PD800,1200;PU;!PG;"));
    QCOMPARE(text.count("IN;PA;SP1;"), 1);
    QVERIFY(text.endsWith("PU;!PG;"));
    QCOMPARE(text.count("!PG;"), 1);
}

void TestPipeline::autoSortOffKeepsExportOrder()
{
    CutOptions options;
    options.backlash = true;
    options.xBacklash = 2;
    options.yBacklash = 3;
    const CutJobPaths out = runCutPipeline(pathAndMarks(), options);
    QCOMPARE(out.cutting.size(), 2);
    // The line stays first, its travel from (0, 0) shifting its start.
    QCOMPARE(dumpPaths({ out.cutting[0] }), QStringLiteral("1/0/0/0: 1102,803>1202,800"));
    // Creasing lines never get the cutting options.
    QCOMPARE(dumpPaths(out.creasing), QStringLiteral("1/0/0/0: 0,1900>400,1900"));
}

void TestPipeline::previewStopsAfterTranslate()
{
    CutOptions options;
    options.autoSort = true;
    options.knifeOffset = 20;
    options.overcut = 40;
    options.backlash = true;
    options.xBacklash = 5;
    const CutJobPaths out = runCutPipeline(pathAndMarks(), options, PipelineEnd::AfterTranslate);
    QCOMPARE(dumpPaths(out.both()),
        QStringLiteral("1/0/0/0: 0,1900>400,1900 | 1/0/0/0: 1100,800>1200,800 | "
                       "1/0/0/0: 900,800>1000,800 1000,800>1000,700 1000,700>900,700 "
                       "900,700>900,800"));
}

void TestPipeline::sameAsTheSteps_data()
{
    QTest::addColumn<CutMode>("mode");
    QTest::newRow("Directly Cut") << CutMode::DirectlyCut;
    QTest::newRow("By Path & Marks") << CutMode::ByPathAndMarks;
    QTest::newRow("Blank Paper") << CutMode::BlankPaper;
}

// With every option on, each mode makes the calls in the one fixed order.
void TestPipeline::sameAsTheSteps()
{
    QFETCH(CutMode, mode);
    CutJobInput in = pathAndMarks();
    in.cutMode = mode;
    CutOptions options;
    options.autoSort = true;
    options.knifeOffset = 12;
    options.overcut = 40;
    options.backlash = true;
    options.xBacklash = 2;
    options.yBacklash = 2;
    const CutJobPaths out = runCutPipeline(in, options);

    HpglTool t;
    QList<CutPath> c = t.mirrorY(t.scaleDown(t.readPlt(in.cuttingHpgl), 5.0), in.pageHeight);
    QList<CutPath> k;
    if (mode == CutMode::DirectlyCut) {
        const QPointF m = t.minCornerAll(c);
        c = t.translate(c, m.x(), m.y());
    } else if (mode == CutMode::ByPathAndMarks) {
        c = t.translate(c, 100, 200);
        k = t.translate(t.mirrorY(t.readPlt(in.creasingHpgl), in.pageHeight), 100, 200);
    }
    c = t.sortPaths(t.chooseStarts(t.normalizeDirections(c)));
    c = t.compensateBacklash(t.compensateKnifeOffset(c, 12, 40), 2, 2);
    QCOMPARE(dumpPaths(out.cutting), dumpPaths(c));
    QCOMPARE(dumpPaths(out.creasing), dumpPaths(k));
    if (mode == CutMode::DirectlyCut) {
        const QPointF m
            = t.minCornerAll(runCutPipeline(in, {}, PipelineEnd::AfterTranslate).cutting);
        QCOMPARE(m, QPointF(0, 0));
    }
}

void TestPipeline::nothingToCut()
{
    CutJobInput noMarks = pathAndMarks();
    noMarks.markCentres.clear();
    CutJobPaths out = runCutPipeline(noMarks);
    QVERIFY(out.cutting.isEmpty() && out.creasing.isEmpty());

    CutJobInput unknown = pathAndMarks();
    unknown.cutMode = CutMode(3);
    out = runCutPipeline(unknown);
    QVERIFY(out.cutting.isEmpty() && out.creasing.isEmpty());

    // An empty export still makes a job, just without paths.
    CutJobInput empty = pathAndMarks();
    empty.cuttingHpgl.clear();
    CutOptions options;
    options.autoSort = true;
    options.knifeOffset = 10;
    options.backlash = true;
    options.xBacklash = 1;
    out = runCutPipeline(empty, options);
    QVERIFY(out.cutting.isEmpty());
    QCOMPARE(out.creasing.size(), 1);
}

QTEST_APPLESS_MAIN(TestPipeline)
#include "tst_pipeline.moc"
