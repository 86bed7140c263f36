// Main window: start-up, settings file, panel rules, language switch, close.
#include "apptestkit.h"
#include "diskfaults.h"
#include "pluginmw.h"
#include "releasedate.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainterPath>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSpinBox>
#include <QToolTip>
#include <QtTest>

namespace {
const QString tip = QStringLiteral("<font size=4><font color=blue>");

QImage iconImage(const QIcon &icon)
{
    return icon.pixmap(35, 35).toImage();
}
} // namespace

class TestPluginMW : public QObject
{
    Q_OBJECT

private:
    Recorder rec;

private slots:
    void init()
    {
        freshWorkFolder();
        rec = Recorder();
        rec.install();
    }
    void cleanup() { Recorder::uninstall(); }

    void startUp()
    {
        PluginMW w;
        const Qt::WindowFlags want = Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint
            | Qt::WindowMaximizeButtonHint | Qt::WindowStaysOnTopHint;
        QCOMPARE(w.windowFlags() & want, want);
        QVERIFY(w.isWindow());
        QVERIFY(qAbs(w.windowOpacity() - 0.9) < 0.01);
        QVERIFY(w.testAttribute(Qt::WA_TranslucentBackground));
        const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
        QCOMPARE(w.pos(), QPoint(avail.width() - 415 - 30, 30));
        QCOMPARE(w.size(), QSize(415, 52));
        QVERIFY(child<QWidget>(&w, "configWidget")->isHidden());
        for (const QString &sub :
            { QString(), QStringLiteral("QR Jobs/"), QStringLiteral("QR Pageinfo/") })
            QVERIFY2(QDir(workFolder() + sub).exists(), qPrintable(sub));
        auto *markSelect = child<QComboBox>(&w, "markSelect");
        QCOMPARE(markSelect->currentIndex(), 2);
        QVERIFY(!markSelect->isEnabled());
        auto *cutSelect = child<QComboBox>(&w, "cutSelect");
        QCOMPARE(cutSelect->currentIndex(), 1);
        QVERIFY(cutSelect->isEnabled());
        // first start: circle icon, the cut tooltip of mode 1, the print
        // button's first tooltip, the diameter row instead of width/height
        QCOMPARE(iconImage(child<QPushButton>(&w, "genMark")->icon()),
            iconImage(QIcon(":/png/MarkCircleBtn.png")));
        QCOMPARE(child<QPushButton>(&w, "setCut")->toolTip(), tip + "By Path & Marks");
        QCOMPARE(
            child<QPushButton>(&w, "setPrint")->toolTip(), tip + "Adjust Printable Layer Only");
        QVERIFY(!child<QWidget>(&w, "markDiameter")->isHidden());
        QVERIFY(child<QWidget>(&w, "markWidth")->isHidden());
        QVERIFY(child<QWidget>(&w, "markWeightLbl")->isHidden());
        // the check boxes' rules hold from the first start, as at every later one
        for (const char *name : { "bySegPieces", "bySegLength", "ySegPieces", "ySegLength",
                 "isInkJet", "qrCodeSize", "qrPreStr", "qrCodeStr" })
            QVERIFY2(!child<QWidget>(&w, name)->isEnabled(), name);
        QVERIFY(rec.messages.isEmpty());
        QCOMPARE(child<QPushButton>(&w, "language")->text(), QStringLiteral("EN"));
        // the job windows are windows of their own, not shown yet
        QWidget *send = topLevel("SendMW");
        QWidget *qr = topLevel("QRCodeMW");
        QVERIFY(send && qr);
        QVERIFY(send->isWindow() && !send->isVisible());
        QVERIFY(qr->isWindow() && !qr->isVisible());
        // showing it keeps the bar and lets the panel open below it
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.height(), 52);
    }

    void roundButtons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QRect>("circle");
        for (const char *name : { "genMark", "genOutline", "setPrint", "setCut", "saveFile",
                 "qrCodeCtrl", "aboutBtn", "configBtn" })
            QTest::newRow(name) << name << QRect(2, 2, 36, 36);
        QTest::newRow("minBtn") << "minBtn" << QRect(2, 2, 16, 36);
        QTest::newRow("exitBtn") << "exitBtn" << QRect(2, 2, 16, 36);
    }

    void roundButtons()
    {
        QFETCH(QString, button);
        QFETCH(QRect, circle);
        PluginMW w;
        const QRegion mask = child<QPushButton>(&w, button.toLatin1().constData())->mask();
        QCOMPARE(mask.boundingRect(), circle);
        QVERIFY(!mask.contains(circle.topLeft())); // an ellipse, not the rectangle
        QVERIFY(mask.contains(circle.center()));
    }

    // The bar's rounded background always, the panel's only while it is open.
    void painting_data()
    {
        QTest::addColumn<bool>("panelOpen");
        QTest::addColumn<QString>("where");
        QTest::addColumn<QColor>("color");
        const QColor bar(200, 240, 240, 200), panel(240, 240, 200, 255), none(0, 0, 0, 0);
        QTest::newRow("bar") << false << "bar" << bar;
        QTest::newRow("bar's rounded corner") << false << "corner" << none;
        QTest::newRow("bar, panel open") << true << "bar" << bar;
        QTest::newRow("panel") << true << "panel" << panel;
        QTest::newRow("panel's rounded corner") << true << "panel corner" << none;
        // no widget of the panel, the last row's label included, paints there
        QTest::newRow("panel's bottom corners, whole") << true << "bottom corners" << none;
    }

    void painting()
    {
        QFETCH(bool, panelOpen);
        QFETCH(QString, where);
        QFETCH(QColor, color);
        PluginMW w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto *panel = child<QWidget>(&w, "configWidget");
        if (panelOpen) {
            child<QPushButton>(&w, "configBtn")->click();
            QTRY_VERIFY(w.height() > panel->geometry().bottom());
        }
        const QImage image = w.grab().toImage().convertToFormat(QImage::Format_ARGB32);
        const QRect p = panel->geometry();
        if (where == "bottom corners") {
            QPainterPath inside;
            inside.addRoundedRect(QRectF(p).adjusted(-1, -1, 2, 2), 25, 25);
            for (const QPoint corner : { p.bottomLeft(), p.bottomRight() - QPoint(24, 0) })
                for (int x = corner.x(); x < corner.x() + 25; ++x)
                    for (int y = corner.y() - 24; y <= corner.y(); ++y)
                        if (!inside.contains(QPointF(x + 0.5, y + 0.5)))
                            QVERIFY2(image.pixelColor(x, y).alpha() == 0,
                                qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
            return;
        }
        const QPoint at = where == "bar" ? QPoint(w.width() / 2, 2)
            : where == "corner"          ? QPoint(1, 1)
            : where == "panel"           ? p.topLeft() + QPoint(230, 120)
                                         : p.bottomLeft() + QPoint(1, -1);
        const QColor got = image.pixelColor(at);
        QVERIFY2(qAbs(got.alpha() - color.alpha()) <= 2, qPrintable(got.name(QColor::HexArgb)));
        if (color.alpha() > 0) {
            QVERIFY2(qAbs(got.red() - color.red()) <= 2 && qAbs(got.green() - color.green()) <= 2
                    && qAbs(got.blue() - color.blue()) <= 2,
                qPrintable(got.name(QColor::HexArgb)));
        }
    }

    void forcedModes_data()
    {
        QTest::addColumn<int>("markShape");
        QTest::addColumn<int>("cutMode");
        QTest::newRow("cross, direct cut") << 0 << 0;
        QTest::newRow("right angle, blank paper") << 1 << 2;
        QTest::newRow("circle, by path and marks") << 2 << 1;
    }

    void forcedModes()
    {
        QFETCH(int, markShape);
        QFETCH(int, cutMode);
        writeConfig({ { "PluginMW/markSelect", markShape }, { "PluginMW/cutSelect", cutMode } });
        PluginMW w;
        QCOMPARE(child<QComboBox>(&w, "markSelect")->currentIndex(), 2);
        QVERIFY(!child<QComboBox>(&w, "markSelect")->isEnabled());
        QCOMPARE(child<QComboBox>(&w, "cutSelect")->currentIndex(), 1);
        QVERIFY(!child<QWidget>(&w, "markDiameter")->isHidden());
        QVERIFY(child<QWidget>(&w, "markWidth")->isHidden());
        QCOMPARE(iconImage(child<QPushButton>(&w, "genMark")->icon()),
            iconImage(QIcon(":/png/MarkCircleBtn.png")));
        QCOMPARE(iconImage(child<QPushButton>(&w, "setCut")->icon()),
            iconImage(QIcon(":/png/CutBtn.png")));
        QCOMPARE(child<QPushButton>(&w, "setCut")->toolTip(), tip + "By Path & Marks");
    }

    void settingsRoundTrip()
    {
        {
            PluginMW w;
            child<QComboBox>(&w, "outlineSelect")->setCurrentIndex(2);
            child<QComboBox>(&w, "printSelect")->setCurrentIndex(1);
            child<QCheckBox>(&w, "genCrease")->setChecked(true);
            child<QCheckBox>(&w, "byFigure")->setChecked(true);
            child<QDoubleSpinBox>(&w, "topRev")->setValue(12.5);
            child<QDoubleSpinBox>(&w, "leftRev")->setValue(6);
            child<QDoubleSpinBox>(&w, "rightRev")->setValue(30);
            child<QDoubleSpinBox>(&w, "bottomRev")->setValue(60);
            child<QDoubleSpinBox>(&w, "markDiameter")->setValue(3.3);
            child<QComboBox>(&w, "markColor")->setCurrentIndex(1);
            child<QCheckBox>(&w, "isSegment")->click();
            child<QRadioButton>(&w, "bySegLength")->click();
            child<QDoubleSpinBox>(&w, "ySegLength")->setValue(300);
            child<QCheckBox>(&w, "useQRCode")->click();
            child<QCheckBox>(&w, "isInkJet")->setChecked(true);
            child<QSpinBox>(&w, "qrPreStr")->setValue(3);
            child<QSpinBox>(&w, "qrCodeStr")->setValue(30000042);
            child<QSpinBox>(&w, "qrCodeSize")->setValue(12);
            child<QComboBox>(&w, "useCDRVersion")->setCurrentText("CorelDraw.Application.20");
            w.show();
            QVERIFY(w.close());
            QCOMPARE(rec.exits, QList<int> { 0 });
            QVERIFY(rec.messages.isEmpty());
        }
        QSettings s(settingsFile(), QSettings::IniFormat);
        QCOMPARE(s.value("PluginMW/buttomRev").toDouble(), 60.0);
        QCOMPARE(s.value("PluginMW/qrCodeStr").toInt(), 30000042);
        QCOMPARE(s.value("PluginMW/language").toString(), QStringLiteral("EN"));
        QCOMPARE(s.value("PluginMW/ySegLengthEn").toBool(), true);
        QCOMPARE(s.value("PluginMW/ySegPiecesEn").toBool(), false);
        QVERIFY(s.contains("SendMW/knifeOffset")); // the send window saved too

        PluginMW w;
        QCOMPARE(child<QComboBox>(&w, "outlineSelect")->currentIndex(), 2);
        QCOMPARE(child<QPushButton>(&w, "genOutline")->toolTip(), tip + "Create Contour");
        QCOMPARE(child<QComboBox>(&w, "printSelect")->currentIndex(), 1);
        QCOMPARE(child<QPushButton>(&w, "setPrint")->toolTip(), tip + "Adjust & Save PDF");
        QVERIFY(child<QCheckBox>(&w, "genCrease")->isChecked());
        QVERIFY(child<QCheckBox>(&w, "byFigure")->isChecked());
        QCOMPARE(child<QDoubleSpinBox>(&w, "topRev")->value(), 12.5);
        QCOMPARE(child<QDoubleSpinBox>(&w, "leftRev")->value(), 6.0);
        QCOMPARE(child<QDoubleSpinBox>(&w, "rightRev")->value(), 30.0);
        QCOMPARE(child<QDoubleSpinBox>(&w, "bottomRev")->value(), 60.0);
        QCOMPARE(child<QDoubleSpinBox>(&w, "markDiameter")->value(), 3.3);
        QCOMPARE(child<QComboBox>(&w, "markColor")->currentIndex(), 1);
        QVERIFY(child<QCheckBox>(&w, "isSegment")->isChecked());
        QVERIFY(child<QRadioButton>(&w, "bySegLength")->isChecked());
        QVERIFY(!child<QRadioButton>(&w, "bySegPieces")->isChecked());
        QVERIFY(child<QWidget>(&w, "ySegLength")->isEnabled());
        QVERIFY(!child<QWidget>(&w, "ySegPieces")->isEnabled());
        QCOMPARE(child<QDoubleSpinBox>(&w, "ySegLength")->value(), 300.0);
        QVERIFY(child<QCheckBox>(&w, "useQRCode")->isChecked());
        QVERIFY(child<QWidget>(&w, "qrPreStr")->isEnabled());
        QVERIFY(child<QCheckBox>(&w, "isInkJet")->isChecked());
        QCOMPARE(child<QSpinBox>(&w, "qrPreStr")->value(), 3);
        QCOMPARE(child<QSpinBox>(&w, "qrCodeStr")->value(), 30000042);
        QCOMPARE(child<QSpinBox>(&w, "qrCodeSize")->value(), 12);
        QCOMPARE(child<QComboBox>(&w, "useCDRVersion")->currentText(),
            QStringLiteral("CorelDraw.Application.20"));
    }

    // Every key of both windows goes into its own widget and comes back from
    // it, and nothing else is written. The stored enabled states win over
    // what the check boxes' slots set while loading.
    void everyKeyKept()
    {
        const QVariantMap stored = { { "PluginMW/markSelect", 2 }, { "PluginMW/outlineSelect", 1 },
            { "PluginMW/printSelect", 1 }, { "PluginMW/cutSelect", 1 },
            { "PluginMW/language", "EN" }, { "PluginMW/genCrease", true },
            { "PluginMW/byFigure", true }, { "PluginMW/topRev", 11.5 },
            { "PluginMW/leftRev", 12.5 }, { "PluginMW/rightRev", 13.5 },
            { "PluginMW/buttomRev", 14.5 }, { "PluginMW/markWidth", 6.0 },
            { "PluginMW/markHeight", 7.0 }, { "PluginMW/markWeight", 0.7 },
            { "PluginMW/markDiameter", 3.5 }, { "PluginMW/markColor", 2 },
            { "PluginMW/isSegment", true }, { "PluginMW/bySegPieces", false },
            { "PluginMW/bySegLength", true }, { "PluginMW/ySegPieces", 4 },
            { "PluginMW/ySegPiecesEn", true }, { "PluginMW/ySegLength", 300.0 },
            { "PluginMW/ySegLengthEn", false }, { "PluginMW/useQRCode", true },
            { "PluginMW/isInkJet", true }, { "PluginMW/qrCodeSize", 11 },
            { "PluginMW/qrCodeStr", 30000042 },
            { "PluginMW/useCDRVersion", "CorelDraw.Application.20" }, { "SendMW/autoSort", true },
            { "SendMW/blankRevX", 12.0 }, { "SendMW/blankRevY", -7.0 },
            { "SendMW/knifeOffsetChk", true }, { "SendMW/knifeOffset", 0.6 },
            { "SendMW/closeOffsetChk", true }, { "SendMW/closeOffset", 1.2 },
            { "SendMW/backlash", true }, { "SendMW/xBacklash", 0.125 },
            { "SendMW/yBacklash", 0.25 }, { "SendMW/conSend", true } };
        writeConfig(stored);
        {
            PluginMW w;
            w.show();
            QVERIFY(w.close());
        }
        const QSettings s(settingsFile(), QSettings::IniFormat);
        QCOMPARE(s.allKeys(), stored.keys());
        for (const QString &key : stored.keys())
            QVERIFY2(s.value(key).toString() == stored[key].toString(), qPrintable(key));
    }

    // A file without the main window's keys leaves the form as it was built,
    // and an unchecked "Use QR Code:" disables what hangs on it.
    void missingKeysKeepForm()
    {
        writeConfig({ { "SendMW/autoSort", true } });
        PluginMW w;
        QCOMPARE(child<QDoubleSpinBox>(&w, "topRev")->value(), 9.0);
        QCOMPARE(child<QDoubleSpinBox>(&w, "bottomRev")->value(), 9.0);
        QCOMPARE(child<QDoubleSpinBox>(&w, "markWeight")->value(), 1.0);
        QCOMPARE(child<QDoubleSpinBox>(&w, "markDiameter")->value(), 5.0);
        QCOMPARE(child<QSpinBox>(&w, "qrCodeSize")->value(), 10);
        QCOMPARE(child<QSpinBox>(&w, "qrCodeStr")->value(), 10000000);
        QVERIFY(child<QRadioButton>(&w, "bySegPieces")->isChecked());
        QCOMPARE(child<QPushButton>(&w, "language")->text(), QStringLiteral("EN"));
        QVERIFY(!child<QWidget>(&w, "bySegPieces")->isEnabled());
        QVERIFY(!child<QWidget>(&w, "ySegPieces")->isEnabled());
        QVERIFY(!child<QWidget>(&w, "qrPreStr")->isEnabled());
        QVERIFY(!child<QWidget>(&w, "isInkJet")->isEnabled());
    }

    void storedValues_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("widget");
        QTest::addColumn<QVariant>("shown");
        QTest::newRow("margin above range")
            << "topRev" << QVariant(100.0) << "topRev" << QVariant(30.0);
        QTest::newRow("margin below range")
            << "leftRev" << QVariant(1.0) << "leftRev" << QVariant(5.0);
        QTest::newRow("bottom margin spelled buttomRev")
            << "buttomRev" << QVariant(65.5) << "bottomRev" << QVariant(65.5);
        QTest::newRow("bottom margin above range")
            << "buttomRev" << QVariant(100.0) << "bottomRev" << QVariant(70.0);
        QTest::newRow("unreadable number")
            << "markDiameter" << QVariant("abc") << "markDiameter" << QVariant(5.0);
        QTest::newRow("margin NaN") << "topRev" << QVariant("nan") << "topRev" << QVariant(9.0);
        QTest::newRow("diameter infinite")
            << "markDiameter" << QVariant("inf") << "markDiameter" << QVariant(5.0);
        QTest::newRow("segment length NaN")
            << "ySegLength" << QVariant(qQNaN()) << "ySegLength" << QVariant(100.0);
        QTest::newRow("serial of nine digits")
            << "qrCodeStr" << QVariant(123456789) << "qrCodeStr" << QVariant(99999999);
        QTest::newRow("serial too small")
            << "qrCodeStr" << QVariant(5) << "qrCodeStr" << QVariant(10000000);
        QTest::newRow("serial kept")
            << "qrCodeStr" << QVariant(35000001) << "qrCodeStr" << QVariant(35000001);
        QTest::newRow("serial's first digit")
            << "qrCodeStr" << QVariant(35000001) << "qrPreStr" << QVariant(3);
        QTest::newRow("colour outside the list")
            << "markColor" << QVariant(7) << "markColor" << QVariant(0);
        QTest::newRow("colour red") << "markColor" << QVariant(1) << "markColor" << QVariant(1);
        QTest::newRow("unknown host version")
            << "useCDRVersion" << QVariant("Foo") << "useCDRVersion"
            << QVariant("CorelDraw.Application.14");
        QTest::newRow("host version") << "useCDRVersion" << QVariant("CorelDraw.Application.24")
                                      << "useCDRVersion" << QVariant("CorelDraw.Application.24");
        QTest::newRow("empty language")
            << "language" << QVariant("") << "language" << QVariant("EN");
        QTest::newRow("unknown language")
            << "language" << QVariant("FR") << "language" << QVariant("EN");
        QTest::newRow("pieces below range")
            << "ySegPieces" << QVariant(0) << "ySegPieces" << QVariant(2);
        QTest::newRow("segment length")
            << "ySegLength" << QVariant(700.0) << "ySegLength" << QVariant(700.0);
    }

    void storedValues()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, stored);
        QFETCH(QString, widget);
        QFETCH(QVariant, shown);
        writeConfig({ { "PluginMW/" + key, stored } });
        PluginMW w;
        QWidget *c = child<QWidget>(&w, widget.toLatin1().constData());
        QVariant actual;
        if (auto *d = qobject_cast<QDoubleSpinBox *>(c))
            actual = d->value();
        else if (auto *i = qobject_cast<QSpinBox *>(c))
            actual = i->value();
        else if (auto *b = qobject_cast<QComboBox *>(c))
            actual = shown.type() == QVariant::String ? QVariant(b->currentText())
                                                      : QVariant(b->currentIndex());
        else if (auto *p = qobject_cast<QPushButton *>(c))
            actual = p->text();
        QCOMPARE(actual.toString(), shown.toString());
    }

    void storedEnabledStatesWin()
    {
        writeConfig({ { "PluginMW/isSegment", true }, { "PluginMW/bySegPieces", true },
            { "PluginMW/ySegPiecesEn", false }, { "PluginMW/ySegLengthEn", true } });
        PluginMW w;
        QVERIFY(child<QWidget>(&w, "bySegLength")->isEnabled());
        QVERIFY(!child<QWidget>(&w, "ySegPieces")->isEnabled());
        QVERIFY(child<QWidget>(&w, "ySegLength")->isEnabled());
    }

    void panelFolding()
    {
        PluginMW w;
        w.show();
        auto *config = child<QPushButton>(&w, "configBtn");
        auto *panel = child<QWidget>(&w, "configWidget");
        config->click();
        QVERIFY(!panel->isHidden());
        QCOMPARE(config->toolTip(), tip + "Retract Settings");
        QTRY_VERIFY(w.height() > 200);
        QVERIFY(w.mask().isEmpty());
        config->click();
        QVERIFY(panel->isHidden());
        QCOMPARE(config->toolTip(), tip + "Spread Settings");
        // the empty area where the panel was neither paints nor takes clicks
        QCOMPARE(w.mask().boundingRect(), QRect(0, 0, w.width(), 52));
    }

    // The panel may be wider than the bar (larger fonts); the bar's buttons
    // stay where they are under the mouse, the window stays on the screen,
    // and folding gives the bar back as it was.
    void barStaysPut_data()
    {
        QTest::addColumn<int>("pointSize");
        QTest::addColumn<QString>("place");
        QTest::newRow("its own place") << 0 << "start";
        QTest::newRow("wide panel, its own place") << 16 << "start";
        QTest::newRow("wide panel, at the right edge") << 16 << "right";
        QTest::newRow("wide panel, at the left edge") << 16 << "left";
    }

    void barStaysPut()
    {
        QFETCH(int, pointSize);
        QFETCH(QString, place);
        const QFont appFont = QApplication::font();
        if (pointSize > 0) {
            QFont big = appFont;
            big.setPointSize(pointSize);
            QApplication::setFont(big);
        }
        PluginMW w;
        const QRect avail = w.screen()->availableGeometry();
        if (place == "right")
            w.move(avail.right() + 1 - w.width(), w.y());
        else if (place == "left")
            w.move(avail.left(), w.y());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QRect bar = w.geometry();
        const QList<QPushButton *> buttons = w.findChildren<QPushButton *>(QRegularExpression(
            "^(genMark|genOutline|setPrint|setCut|saveFile|qrCodeCtrl|aboutBtn|configBtn|minBtn|"
            "exitBtn)$"));
        QCOMPARE(buttons.size(), 10);
        auto places = [&] {
            QList<QPoint> at;
            for (QPushButton *b : buttons)
                at << b->mapToGlobal(QPoint(0, 0));
            return at;
        };
        const QList<QPoint> before = places();
        auto *config = child<QPushButton>(&w, "configBtn");
        auto *panel = child<QWidget>(&w, "configWidget");

        config->click();
        QTRY_VERIFY(w.height() > panel->geometry().bottom());
        QTest::qWait(50); // any later growth of the layout would show by now
        QCOMPARE(places(), before);
        // across: the screen here may be too low for a large panel
        QVERIFY2(w.x() >= avail.left() && w.geometry().right() <= avail.right(),
            qPrintable(QStringLiteral("%1 wide at %2").arg(w.width()).arg(w.x())));
        QVERIFY(w.width() >= w.minimumSizeHint().width());
        if (pointSize > 0)
            QVERIFY2(w.width() > bar.width(), "the font does not widen the panel");

        config->click();
        QTest::qWait(50);
        QCOMPARE(w.geometry(), bar);
        QCOMPARE(places(), before);
        QApplication::setFont(appFont);
    }

    void listSlots_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("toolTip");
        QTest::addColumn<QString>("icon");
        QTest::newRow("layer only") << "outlineSelect" << 0 << "genOutline"
                                    << "Create Layer Only"
                                    << "LayerBtn";
        QTest::newRow("boundary") << "outlineSelect" << 1 << "genOutline"
                                  << "Create Boundary"
                                  << "OutlineBtn";
        QTest::newRow("contour shows the boundary picture") << "outlineSelect" << 2 << "genOutline"
                                                            << "Create Contour"
                                                            << "OutlineBtn";
        QTest::newRow("pdf") << "printSelect" << 1 << "setPrint"
                             << "Adjust & Save PDF"
                             << "SavePdfBtn";
        QTest::newRow("direct cut") << "cutSelect" << 0 << "setCut"
                                    << "Directly Cut"
                                    << "DirectCutBtn";
        QTest::newRow("blank paper") << "cutSelect" << 2 << "setCut"
                                     << "Blank Paper"
                                     << "BlankCutBtn";
        QTest::newRow("cross keeps the tooltip") << "markSelect" << 0 << "genMark"
                                                 << "Create Registration Marks"
                                                 << "MarkCrossBtn";
        QTest::newRow("right angle") << "markSelect" << 1 << "genMark"
                                     << "Create Registration Marks"
                                     << "MarkRtAngleBtn";
    }

    void listSlots()
    {
        QFETCH(QString, list);
        QFETCH(int, index);
        QFETCH(QString, button);
        QFETCH(QString, toolTip);
        QFETCH(QString, icon);
        PluginMW w;
        auto *box = child<QComboBox>(&w, list.toLatin1().constData());
        auto *b = child<QPushButton>(&w, button.toLatin1().constData());
        box->setCurrentIndex(index);
        QCOMPARE(b->toolTip(), tip + toolTip);
        QCOMPARE(iconImage(b->icon()), iconImage(QIcon(":/png/" + icon + ".png")));

        // the tip shows on one line, not a word a line
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QHelpEvent help(QEvent::ToolTip, QPoint(20, 20), b->mapToGlobal(QPoint(20, 20)));
        QApplication::sendEvent(b, &help);
        QLabel *shown = nullptr;
        for (QWidget *top : QApplication::topLevelWidgets())
            if (top->objectName() == "qtooltip_label" && top->isVisible())
                shown = qobject_cast<QLabel *>(top);
        QVERIFY(shown);
        QVERIFY2(shown->height() < 2 * QFontMetrics(shown->font()).height() + 8,
            qPrintable(QStringLiteral("%1 x %2").arg(shown->width()).arg(shown->height())));
        QToolTip::hideText();
    }

    void printBackToFirstMode()
    {
        PluginMW w;
        auto *box = child<QComboBox>(&w, "printSelect");
        box->setCurrentIndex(1);
        box->setCurrentIndex(0);
        QCOMPARE(child<QPushButton>(&w, "setPrint")->toolTip(), tip + "Adjust Printable");
    }

    void markShapeRows()
    {
        PluginMW w;
        auto *box = child<QComboBox>(&w, "markSelect");
        box->setCurrentIndex(0);
        QVERIFY(!child<QWidget>(&w, "markWidth")->isHidden());
        QVERIFY(!child<QWidget>(&w, "markWeightLbl")->isHidden());
        QVERIFY(child<QWidget>(&w, "markDiameter")->isHidden());
        box->setCurrentIndex(2);
        QVERIFY(child<QWidget>(&w, "markWidth")->isHidden());
        QVERIFY(!child<QWidget>(&w, "markDiameterLbl")->isHidden());
    }

    void segmentRules()
    {
        PluginMW w;
        auto *seg = child<QCheckBox>(&w, "isSegment");
        auto *byPieces = child<QRadioButton>(&w, "bySegPieces");
        auto *byLength = child<QRadioButton>(&w, "bySegLength");
        auto *pieces = child<QWidget>(&w, "ySegPieces");
        auto *length = child<QWidget>(&w, "ySegLength");
        seg->click();
        QVERIFY(pieces->isEnabled() && byLength->isEnabled());
        byLength->click();
        QVERIFY(!pieces->isEnabled() && length->isEnabled());
        seg->click(); // off
        seg->click(); // on, with "By Length" chosen
        QVERIFY(byPieces->isEnabled() && byLength->isEnabled());
        QVERIFY(length->isEnabled() && !pieces->isEnabled());
        byPieces->click();
        QVERIFY(pieces->isEnabled() && !length->isEnabled());
        byPieces->click(); // already checked: runs again with checked true
        QVERIFY(pieces->isEnabled() && !length->isEnabled());
        seg->click(); // off
        QVERIFY(!byPieces->isEnabled() && !byLength->isEnabled());
        QVERIFY(!pieces->isEnabled() && !length->isEnabled());
    }

    void qrRules()
    {
        PluginMW w;
        auto *use = child<QCheckBox>(&w, "useQRCode");
        use->click();
        use->click(); // off
        for (const char *name : { "isInkJet", "qrCodeSize", "qrPreStr", "qrCodeStr" })
            QVERIFY2(!child<QWidget>(&w, name)->isEnabled(), name);
        use->click();
        for (const char *name : { "isInkJet", "qrCodeSize", "qrPreStr" })
            QVERIFY2(child<QWidget>(&w, name)->isEnabled(), name);
        QVERIFY(!child<QWidget>(&w, "qrCodeStr")->isEnabled());
    }

    void qrLeadingDigit()
    {
        PluginMW w;
        auto *pre = child<QSpinBox>(&w, "qrPreStr");
        auto *serial = child<QSpinBox>(&w, "qrCodeStr");
        serial->setValue(10000042);
        pre->setValue(7);
        QCOMPARE(serial->value(), 70000042);
        pre->setValue(1);
        QCOMPARE(serial->value(), 10000042);
    }

    void dragByTopEdge_data()
    {
        QTest::addColumn<int>("y");
        QTest::addColumn<bool>("moves");
        QTest::newRow("top strip") << 9 << true;
        QTest::newRow("below the strip") << 10 << false;
    }

    void dragByTopEdge()
    {
        QFETCH(int, y);
        QFETCH(bool, moves);
        PluginMW w;
        const QPoint start = w.pos();
        const QPoint local(200, y);
        const QPoint global = start + local;
        QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
            Qt::NoModifier);
        QApplication::sendEvent(&w, &press);
        QMouseEvent move(QEvent::MouseMove, local + QPoint(30, 40), global + QPoint(30, 40),
            Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &move);
        QCOMPARE(w.pos(), moves ? start + QPoint(30, 40) : start);
        QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
            Qt::NoModifier);
        QApplication::sendEvent(&w, &release);
        QApplication::sendEvent(&w, &move);
        QCOMPARE(w.pos(), moves ? start + QPoint(30, 40) : start);
    }

    void exitWithoutJobWindowAsksNothing()
    {
        PluginMW w;
        w.show();
        child<QPushButton>(&w, "exitBtn")->click();
        QVERIFY(rec.messages.isEmpty());
        QCOMPARE(rec.exits, QList<int> { 0 });
        QVERIFY(rec.starts.isEmpty());
        QVERIFY(QFile::exists(settingsFile()));
    }

    // Closing ends the program whatever happens to the settings; when they
    // cannot be saved, one warning gives the cause and config.ini is as it was.
    void closeUnsaved_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("cause");
        QTest::addColumn<QByteArray>("lines"); // written by hand at the end
        // a folder no holder removes makes saving give up at once, named
        QTest::newRow("a folder in the lock's place")
            << "locked"
            << QDir::toNativeSeparators(settingsFile() + ".lock")
                + " is not a lock file: remove it to go on"
            << QByteArray();
        QTest::newRow("a folder") << "folder"
                                  << "a folder has its name" << QByteArray();
        QTest::newRow("read-only") << "read-only"
                                   << "the file or its folder is read-only" << QByteArray();
        QTest::newRow("path too long") << "long"
                                       << "the path is too long" << QByteArray();
        QTest::newRow("disk full") << "full"
                                   << "the disk is full" << QByteArray();
        QTest::newRow("write refused past a size") << "limit"
                                                   << "File too large" << QByteArray();
        // no room to try a save at the start judges nothing: the file stays,
        // and the close tells what keeps it from being saved
        QTest::newRow("read-only, a hand-written line")
            << "read-only"
            << "the file or its folder is read-only" << QByteArray("# kept by hand\n");
        QTest::newRow("disk full, a hand-written line")
            << "full"
            << "the disk is full" << QByteArray("# kept by hand\n");
        // a good file of 100 KB with room for its copy, not for the trial's
        // whole rewrite: a trial cut short by the disk judges nothing
        QTest::newRow("disk nearly full, a good file") << "room"
                                                       << "the disk is full" << QByteArray();
    }
    void closeUnsaved()
    {
        QFETCH(QString, fault);
        QFETCH(QString, cause);
        QFETCH(QByteArray, lines);
        const QByteArray documents = qgetenv("VEMO_PUBLIC_DOCUMENTS");
        if (fault == "long")
            qputenv("VEMO_PUBLIC_DOCUMENTS", documents + "/" + QByteArray(300, 'd'));
        const QString ini = settingsFile();
        // small enough that QSaveFile holds it in its buffer until the commit
        const auto write = [&] {
            writeConfig({ { "PluginMW/topRev", 12.0 },
                { "Notes/pad", QString(fault == "room" ? 100000 : 12000, 'x') } });
            QFile f(ini);
            QVERIFY(
                lines.isEmpty() || (f.open(QIODevice::Append) && f.write(lines) == lines.size()));
        };
        write();
        TestMount mount;
        if (fault == "locked")
            QVERIFY(QDir().mkpath(settingsFile() + ".lock/held"));
        if (fault == "read-only")
            mount = TestMount::readOnly(workFolder());
        if (fault == "full") {
            // a tmpfs with room for the lock file, not for the new settings
            mount = TestMount::tmpfs(workFolder(), 64);
            write();
            QVERIFY(!mount.mounted() || fillVolume(workFolder(), 4096));
        }
        if (fault == "room") {
            mount = TestMount::tmpfs(workFolder(), 1024);
            write();
            QVERIFY(!mount.mounted() || fillVolume(workFolder(), 160 << 10));
        }
        if (fault != "limit" && fault != "locked" && fault != "folder" && fault != "long"
            && !mount.mounted())
            QSKIP("needs a mount (Linux, as root)");
        const QString before = fileBytes(ini);
        {
            PluginMW w;
            QCOMPARE(rec.messages.size(), 0);
            // made while it runs: one at the start would be set aside
            if (fault == "folder") {
                QFile::remove(settingsFile());
                QVERIFY(QDir().mkpath(settingsFile() + "/held"));
            }
            child<QDoubleSpinBox>(&w, "topRev")->setValue(20.0);
            w.show();
            FileSizeLimit limit(fault == "limit" ? 4096 : 1 << 30);
            QVERIFY(w.close());
        }
        qputenv("VEMO_PUBLIC_DOCUMENTS", documents);
        QCOMPARE(rec.exits, QList<int> { 0 });
        QCOMPARE(rec.messages.size(), 1);
        QCOMPARE(rec.messages[0].title, QStringLiteral("Warning"));
        QCOMPARE(rec.messages[0].text,
            "The settings could not be saved to " + QDir::toNativeSeparators(ini) + ": " + cause
                + ".");
        QDir(settingsFile() + ".lock").removeRecursively();
        QFile::remove(workFolder() + "filler");
        if (fault != "folder" && fault != "long")
            QCOMPARE(fileBytes(settingsFile()), before);
    }

    // A damaged config.ini that cannot be replaced stays where it is, and
    // the message says why.
    void setAsideRefused_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("cause");
        QTest::newRow("disk full") << "full"
                                   << "File too large";
        QTest::newRow("config.ini read-only") << "read-only"
                                              << "the file or its folder is read-only";
        // a rename would replace it: the folder is writable
        QTest::newRow("config.ini read-only, its folder writable")
            << "mode"
            << "the file or its folder is read-only";
        // a key lost to the disk reads back alone, with room: it is not
        // dropped from the new file, which is not written at all
        QTest::newRow("disk full midway through the new file")
            << "cut"
            << "what was written did not read back whole";
    }
    void setAsideRefused()
    {
        QFETCH(QString, fault);
        QFETCH(QString, cause);
        writeConfig({ { "PluginMW/topRev", 12.0 } });
        QFile ini(settingsFile());
        // QSettings writes each of these bytes back as four
        const QByteArray grows = QByteArray("\xc3\xa9").repeated(1000);
        QVERIFY(fault != "cut"
            || (ini.open(QIODevice::Append) && ini.write("[Notes]\npad=" + grows + "\n") > 0));
        ini.close();
        QVERIFY(ini.open(QIODevice::Append) && ini.write(QByteArray(512, '\0')) == 512);
        ini.close();
        const QString before = fileBytes(settingsFile());
        TestMount readOnly;
        if (fault == "read-only") {
            readOnly = TestMount::readOnly(settingsFile());
            if (!readOnly.mounted())
                QSKIP("needs a read-only bind mount (Linux, as root)");
        }
        const unsigned nobody = 65534;
        if (fault == "mode")
            QVERIFY(giveFile(settingsFile(), nobody)
                && ini.setPermissions(QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        {
            FileSizeLimit limit(fault == "full" ? 256 : fault == "cut" ? 4096 : 1 << 30);
            if (!limit.works())
                QSKIP("needs a file size limit (Linux)");
            RealUser user(fault == "mode" ? nobody : 0);
            if (fault == "mode" && !user.works())
                QSKIP("needs root (Linux)");
            PluginMW w;
            limit.lift();
            QCOMPARE(child<QDoubleSpinBox>(&w, "topRev")->value(), 12.0);
        }
        readOnly.release();
        QCOMPARE(rec.messages.size(), 1);
        QVERIFY2(rec.messages[0].text.endsWith(" It could not be set aside: " + cause + "."),
            qPrintable(rec.messages[0].text));
        QCOMPARE(fileBytes(settingsFile()), before);
        QCOMPARE(QDir(workFolder()).entryList({ "config.ini.unreadable-*" }).size(), 0);
    }

    // Lines written into config.ini by hand, at its end (in the send window's
    // group, which the send window reads first). What QSettings reads is
    // kept and saved over; what it cannot is set aside at the start, named
    // by its line, or every later save would fail; the new one holds what
    // could be read of it. The temporary folder is not used.
    void handEditedSettings_data()
    {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QString>("named"); // the line told, when set aside
        QTest::addColumn<QString>("temp"); // the temporary folder's fault
        QTest::newRow("a comment") << QByteArray("; kept by hand\n") << ""
                                   << "";
        QTest::newRow("a key with a comment after it") << QByteArray("note=1 ; by hand\n") << ""
                                                       << "";
        QTest::newRow("a ';' in quotes") << QByteArray("note=\"a;b\"\n") << ""
                                         << "";
        QTest::newRow("a line break in quotes") << QByteArray("note=\"a\nb\"\n") << ""
                                                << "";
        QTest::newRow("a line break after a backslash") << QByteArray("note=a\\\r\nb\r\n") << ""
                                                        << "";
        // read by QSettings, but not written back whole
        QTest::newRow("a group with an escaped ']'")
            << QByteArray("[Notes\\]\nx=1\n") << "7, \"[Notes\\]\""
            << "";
        QTest::newRow("a key without a name") << QByteArray("=1\n") << "7, \"=1\""
                                              << "";
        QTest::newRow("a key without a name, in the first group")
            << QByteArray("=1\n") << "4, \"=1\""
            << "";
        QTest::newRow("a '#' note") << QByteArray("# kept by hand\n") << "7, \"# kept by hand\""
                                    << "";
        QTest::newRow("a note after a ';'")
            << QByteArray("kept ; by hand\n") << "7, \"kept ; by hand\""
            << "";
        QTest::newRow("an '=' in quotes only") << QByteArray("\"a=b\"\n") << "7, \"\"a=b\"\""
                                               << "";
        QTest::newRow("a group left open") << QByteArray("[Notes\nx=1\n") << "7, \"[Notes\""
                                           << "";
        QTest::newRow("a comment, temporary folder full") << QByteArray("; kept\n") << ""
                                                          << "full";
        QTest::newRow("a comment, temporary folder missing") << QByteArray("; kept\n") << ""
                                                             << "missing";
        QTest::newRow("a '#' note, temporary folder read-only")
            << QByteArray("# kept by hand\n") << "7, \"# kept by hand\""
            << "read-only";
        QTest::newRow("a '#' note, temporary folder full")
            << QByteArray("# kept by hand\n") << "7, \"# kept by hand\""
            << "full";
    }
    void handEditedSettings()
    {
        QFETCH(QByteArray, lines);
        QFETCH(QString, named);
        QFETCH(QString, temp);
        const bool setAside = !named.isEmpty();
        // the lines go last in the send window's group, or in the main one's
        const bool sendGroup = !QString(QTest::currentDataTag()).endsWith("in the first group");
        writeConfig({ { "PluginMW/topRev", 12.0 }, { "PluginMW/qrCodeStr", 10000033 } });
        if (sendGroup)
            writeConfig({ { "SendMW/knifeOffset", 0.7 } });
        QFile ini(settingsFile());
        QVERIFY(ini.open(QIODevice::Append) && ini.write(lines) == lines.size());
        ini.close();
        const QString before = fileBytes(settingsFile());
        const QByteArray tmpdir = qgetenv("TMPDIR");
        const QString tempFolder = workFolder() + "temp";
        TestMount mount;
        if (temp == "full") {
            mount = TestMount::tmpfs(tempFolder, 64);
            QVERIFY(!mount.mounted() || fillVolume(tempFolder, 0));
        } else if (temp == "read-only") {
            QVERIFY(QDir().mkpath(tempFolder));
            mount = TestMount::readOnly(tempFolder);
        }
        if (!temp.isEmpty() && temp != "missing" && !mount.mounted())
            QSKIP("needs a mount (Linux, as root)");
        qputenv("TMPDIR", QFile::encodeName(temp.isEmpty() ? QDir::tempPath() : tempFolder));
        {
            PluginMW w;
            qputenv("TMPDIR", tmpdir);
            QCOMPARE(child<QDoubleSpinBox>(&w, "topRev")->value(), 12.0);
            if (!setAside) // left as it stands
                QCOMPARE(fileBytes(settingsFile()), before);
            // the serial kept, and nothing QSettings read as no value
            const QSettings renewed(settingsFile(), QSettings::IniFormat);
            QCOMPARE(renewed.value("PluginMW/qrCodeStr").toInt(), 10000033);
            QVERIFY(!fileBytes(settingsFile()).contains("@Invalid"));
            child<QDoubleSpinBox>(&w, "topRev")->setValue(20.0);
            w.show();
            QVERIFY(w.close());
        }
        if (tmpdir.isNull())
            qunsetenv("TMPDIR");
        QVERIFY2(rec.messages.size() == (setAside ? 1 : 0), qPrintable(rec.messages.value(0).text));
        if (setAside)
            QVERIFY2(rec.messages[0].text.contains(
                         "does not read back whole: line " + named + ". The settings"),
                qPrintable(rec.messages[0].text));
        const QStringList aside = QDir(workFolder()).entryList({ "config.ini.unreadable-*" });
        QCOMPARE(aside.size(), setAside ? 1 : 0);
        if (setAside) // the old bytes as they were
            QCOMPARE(fileBytes(workFolder() + aside[0]), before);
        // the close saved
        const QSettings saved(settingsFile(), QSettings::IniFormat);
        QCOMPARE(saved.value("PluginMW/topRev").toDouble(), 20.0);
        QCOMPARE(saved.value("SendMW/knifeOffset").toDouble(), sendGroup ? 0.7 : 0.3);
    }

    // A save or a start's check killed midway leaves its staging folder beside
    // config.ini, and older builds left theirs, and their trial folders, in
    // the temporary folder; all go at the start.
    // Files the user keeps beside config.ini stay, after the close too.
    void staleTemporariesRemoved()
    {
        QDir().mkpath(workFolder());
        const QString temp = QDir::tempPath() + '/';
        const QString program = QCoreApplication::applicationName();
        const QStringList stale = { workFolder() + "config.ini.saving/aB12cD/staged.ini",
            workFolder() + "config.ini.saving/aB12cD/whole.ini",
            temp + program + "-Ab12Cd/staged.ini", temp + program + "-Ab12Cd/check.ini.x1Y2z3",
            temp + program + "-000000/",
            // QSettings' own lock, left by a kill while it wrote
            temp + program + "-Ab12Cf/staged.ini", temp + program + "-Ab12Cf/staged.ini.lock",
            // an older build's start killed while it tried config.ini
            temp + program + "-trial-Xy12Zw/staged.ini",
            temp + program + "-trial-Xy12Zw/check.ini" };
        const QStringList kept = { workFolder() + "config.ini.bak001",
            workFolder() + "config.ini.Backup", workFolder() + "config.ini.copy01",
            workFolder() + "config.ini.Ab12Cd", workFolder() + "config.ini.000000",
            workFolder() + "other.ini.Ab12Cd", temp + program + "-Ab12Ce/staged.ini",
            temp + program + "-Ab12Ce/notes.txt", temp + "other-Ab12Cd/staged.ini" };
        for (const QString &path : stale + kept) {
            QDir().mkpath(QFileInfo(path).path());
            QFile f(path);
            QVERIFY(path.endsWith('/') || f.open(QIODevice::WriteOnly));
        }
        {
            PluginMW w;
            for (const QString &path : stale)
                QVERIFY2(!QFileInfo::exists(QFileInfo(path).path()), qPrintable(path));
            QVERIFY(!QFileInfo::exists(workFolder() + "config.ini.saving"));
            w.show();
            QVERIFY(w.close());
        }
        QVERIFY(QFile::exists(settingsFile()));
        QVERIFY(!QFileInfo::exists(workFolder() + "config.ini.saving"));
        for (const QString &path : kept)
            QVERIFY2(QFile::exists(path), qPrintable(path));
        QDir(temp + program + "-Ab12Ce").removeRecursively();
        QDir(temp + "other-Ab12Cd").removeRecursively();
    }

    void closeWhileJobWindowShown_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("ends");
        QTest::newRow("send window, no") << "SendMW" << int(QMessageBox::No) << false;
        QTest::newRow("send window, yes") << "SendMW" << int(QMessageBox::Yes) << true;
        QTest::newRow("QR window, no") << "QRCodeMW" << int(QMessageBox::No) << false;
        QTest::newRow("QR window, box closed") << "QRCodeMW" << int(QMessageBox::Escape) << true;
    }

    void closeWhileJobWindowShown()
    {
        QFETCH(QString, window);
        QFETCH(int, answer);
        QFETCH(bool, ends);
        PluginMW w;
        w.show();
        topLevel(window)->show();
        rec.answer = QMessageBox::StandardButton(answer);
        const bool closed = w.close();
        QCOMPARE(rec.messages.size(), 1);
        QCOMPARE(rec.messages[0].title, QStringLiteral("Warning"));
        QCOMPARE(rec.messages[0].text,
            QStringLiteral("Close will stop all job sending, Confirm or Not?"));
        QCOMPARE(rec.messages[0].buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(closed, ends);
        QCOMPARE(rec.exits, ends ? QList<int> { 0 } : QList<int> {});
        QCOMPARE(QFile::exists(settingsFile()), ends);
        QCOMPARE(w.isVisible(), !ends);
        topLevel(window)->hide();
    }

    void languageSwitchRestarts()
    {
        PluginMW w;
        w.show();
        auto *language = child<QPushButton>(&w, "language");
        language->click();
        QCOMPARE(language->text(), QStringLiteral("ZH"));
        QCOMPARE(rec.starts.size(), 1);
        QCOMPARE(rec.starts[0],
            QStringList({ restartProgramName(), "500", QCoreApplication::applicationFilePath() }));
        QCOMPARE(rec.exits, QList<int> { 0 });
        QSettings s(settingsFile(), QSettings::IniFormat);
        QCOMPARE(s.value("PluginMW/language").toString(), QStringLiteral("ZH"));
    }

    // Without the restart program the switch would close the bar for good.
    void languageSwitchWithoutRestartProgram()
    {
        setStartDetachedHook({});
        PluginMW w;
        w.show();
        auto *language = child<QPushButton>(&w, "language");
        language->click();
        QCOMPARE(rec.messages.size(), 1);
        QCOMPARE(rec.messages[0].text,
            "The language cannot be switched: the program " + restartProgramName()
                + ", which starts this one again, is missing.");
        QVERIFY(rec.exits.isEmpty());
        QCOMPARE(language->text(), QStringLiteral("EN"));
        QVERIFY(w.isVisible());
    }

    void languageSwitchRefused()
    {
        PluginMW w;
        w.show();
        topLevel("SendMW")->show();
        rec.answer = QMessageBox::No;
        auto *language = child<QPushButton>(&w, "language");
        language->click();
        QCOMPARE(rec.messages.size(), 1);
        QVERIFY(rec.starts.isEmpty());
        QVERIFY(rec.exits.isEmpty());
        QCOMPARE(language->text(), QStringLiteral("EN"));
        QVERIFY(w.isVisible());
        // a later plain exit restarts nothing
        rec.answer = QMessageBox::Yes;
        QVERIFY(w.close());
        QVERIFY(rec.starts.isEmpty());
        QCOMPARE(rec.exits, QList<int> { 0 });
        QSettings s(settingsFile(), QSettings::IniFormat);
        QCOMPARE(s.value("PluginMW/language").toString(), QStringLiteral("EN"));
        topLevel("SendMW")->hide();
    }

    void aboutBox()
    {
        PluginMW w;
        child<QPushButton>(&w, "aboutBtn")->click();
        QCOMPARE(rec.messages.size(), 1);
        QCOMPARE(rec.messages[0].icon, QMessageBox::Information);
        QCOMPARE(rec.messages[0].title, QStringLiteral("Vemo"));
        QVERIFY(QRegularExpression("^      Release Date:\\d{8}\\n.+\\n.+$")
                    .match(rec.messages[0].text)
                    .hasMatch());
    }

    void releaseDates_data()
    {
        QTest::addColumn<QString>("compiler");
        QTest::addColumn<QString>("date");
        QTest::newRow("one-digit day") << "Dec  7 2026"
                                       << "20261207";
        QTest::newRow("two-digit day") << "Jan 15 2025"
                                       << "20250115";
        QTest::newRow("unreadable") << "someday"
                                    << "";
    }

    void releaseDates()
    {
        QFETCH(QString, compiler);
        QFETCH(QString, date);
        QCOMPARE(releaseDate(compiler), date);
    }

    void qrWindowButton()
    {
        PluginMW w;
        child<QPushButton>(&w, "qrCodeCtrl")->click();
        QVERIFY(topLevel("QRCodeMW")->isVisible());
        topLevel("QRCodeMW")->hide();
    }

    void minimise()
    {
        PluginMW w;
        w.show();
        child<QPushButton>(&w, "minBtn")->click();
        QVERIFY(w.isMinimized());
    }
};

QTEST_MAIN(TestPluginMW)
#include "tst_pluginmw.moc"
