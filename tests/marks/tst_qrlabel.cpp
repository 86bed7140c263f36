// The QR label picture: modules where the encoder puts them, caption below.

#include "qrlabel.h"
#include "workfolder.h"

#include <QtTest>

using namespace marks;

namespace {

bool darkAt(const QImage &img, int x, int y)
{
    const QColor c = img.pixelColor(x, y);
    return c.alpha() == 255 && c.red() == 0 && c.green() == 0 && c.blue() == 0;
}

bool clearAt(const QImage &img, int x, int y)
{
    return img.pixelColor(x, y).alpha() == 0;
}

// Reads the module matrix back from the picture by its cells.
QrModules readBack(const QImage &img, int width, double k)
{
    QrModules m;
    m.width = width;
    const int cw = labelPictureWidth / width, ch = (labelPictureHeight - labelCaptionBand) / width;
    for (int row = 0; row < width; ++row)
        for (int col = 0; col < width; ++col)
            m.dark << darkAt(img, col * cw + int(cw * k) / 2, row * ch + int(ch * k) / 2);
    return m;
}

} // namespace

class TestQrLabel : public QObject
{
    Q_OBJECT

private slots:
    void encodesJobNumbers_data();
    void encodesJobNumbers();
    void pictureHoldsTheSymbol_data();
    void pictureHoldsTheSymbol();
    void savedInWorkFolder();
    void overlongTextGivesNoSymbol();
};

void TestQrLabel::encodesJobNumbers_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::newRow("eight digits") << 20261209 << "20261209" << 21;
    QTest::newRow("one") << 1 << "1" << 21;
    QTest::newRow("zero") << 0 << "0" << 21;
    QTest::newRow("largest int") << 2147483647 << "2147483647" << 21;
    QTest::newRow("negative") << -5 << "-5" << 21;
}

void TestQrLabel::encodesJobNumbers()
{
    QFETCH(int, number);
    QFETCH(QString, text);
    QFETCH(int, width);
    QCOMPARE(labelText(number), text);
    const QrModules m = encodeLabel(labelText(number));
    QCOMPARE(m.width, width);
    QCOMPARE(m.dark.size(), width * width);
    // finder pattern in the top-left corner: dark ring, light ring, dark core
    QVERIFY(m.isDark(0, 0) && m.isDark(0, 6) && m.isDark(6, 0) && m.isDark(3, 3));
    QVERIFY(!m.isDark(1, 1) && !m.isDark(5, 5) && !m.isDark(7, 7));
    // the same text always gives the same symbol
    QCOMPARE(encodeLabel(text).dark, m.dark);
}

void TestQrLabel::pictureHoldsTheSymbol_data()
{
    QTest::addColumn<bool>("isInkJet");
    QTest::addColumn<int>("module"); // drawn size of a dark module, pen included
    QTest::newRow("ink-jet") << true << 13;
    QTest::newRow("laser") << false << 15;
}

void TestQrLabel::pictureHoldsTheSymbol()
{
    QFETCH(bool, isInkJet);
    QFETCH(int, module);
    const QString text = QStringLiteral("20261209");
    const QrModules symbol = encodeLabel(text);
    const QImage img = labelPicture(symbol, text, isInkJet);
    QCOMPARE(img.size(), QSize(320, 400));
    QVERIFY(img.hasAlphaChannel());

    QCOMPARE(readBack(img, symbol.width, isInkJet ? 0.85 : 0.95).dark, symbol.dark);

    // module (0, 0) is dark and fills the top-left corner of its 15 px cell
    QVERIFY(darkAt(img, 0, 0) && darkAt(img, module - 1, module - 1));
    if (module < 15)
        QVERIFY(clearAt(img, module, 2) && clearAt(img, 2, module));
    // the symbol fills the top-left 315 x 315 pixels without ink-jet shrink
    QRect ink;
    for (int y = 0; y < 320; ++y)
        for (int x = 0; x < 320; ++x)
            if (!clearAt(img, x, y))
                ink |= QRect(x, y, 1, 1);
    QCOMPARE(ink.topLeft(), QPoint(0, 0));
    QCOMPARE(ink.bottomRight(), QPoint(300 + module - 1, 300 + module - 1));

    // the caption stands in the band below, roughly centred, baseline at 395
    QRect caption;
    for (int y = 320; y < 400; ++y)
        for (int x = 0; x < 320; ++x)
            if (!clearAt(img, x, y))
                caption |= QRect(x, y, 1, 1);
    QVERIFY(!caption.isEmpty());
    QVERIFY(caption.bottom() <= 396);
    QVERIFY(qAbs(caption.center().x() - 160) <= 8);
}

void TestQrLabel::savedInWorkFolder()
{
    QCOMPARE(labelPicturePath(), workFolder() + "ABDOPQR.png");
    const QrModules symbol = encodeLabel("12345678");
    QVERIFY(saveLabelPicture(symbol, "12345678", false));
    QImage back(labelPicturePath());
    QCOMPARE(back.size(), QSize(320, 400));
    QCOMPARE(readBack(back, symbol.width, 0.95).dark, symbol.dark);
    // overwritten by the next run
    const QrModules other = encodeLabel("87654321");
    QVERIFY(saveLabelPicture(other, "87654321", true));
    QCOMPARE(readBack(QImage(labelPicturePath()), other.width, 0.85).dark, other.dark);
}

void TestQrLabel::overlongTextGivesNoSymbol()
{
    // beyond the largest symbol: the encoder gives nothing and no picture of it is drawn
    const QrModules none = encodeLabel(QString(8000, QLatin1Char('7')));
    QVERIFY(none.isNull());
    QVERIFY(none.dark.isEmpty());
}

QTEST_MAIN(TestQrLabel)
#include "tst_qrlabel.moc"
