// Start-up with the stored language "ZH" and the built-in catalogue. Once
// installed the catalogue stays for the whole process, hence a test of its own.
#include "apptestkit.h"
#include "pluginmw.h"
#include "vemoresources.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>
#include <QtTest>

namespace {
const QString tip = QStringLiteral("<font size=4><font color=blue>");
}

class TestPluginMWChinese : public QObject
{
    Q_OBJECT

private slots:
    void catalogue_data()
    {
        QTest::addColumn<QString>("context");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("chinese");
        QTest::newRow("cut tooltip") << "PluginMW" << tip + "By Path & Marks" << tip + "直接输出";
        QTest::newRow("blank tooltip") << "PluginMW" << tip + "Blank Paper" << tip + "空白切割";
        QTest::newRow("spread") << "PluginMW" << tip + "Spread Settings" << tip + "展开设置";
        QTest::newRow("segment") << "PluginMW"
                                 << "Segement:"
                                 << "分段:";
        QTest::newRow("pieces") << "PluginMW"
                                << "Pieces for:"
                                << "每段长:";
        QTest::newRow("inkjet") << "PluginMW"
                                << "InkJet Printer"
                                << "喷墨打印机优化";
        QTest::newRow("version") << "PluginMW"
                                 << "CorelDraw Version:"
                                 << "CorelDraw 版本:";
        QTest::newRow("warning") << "PluginMW"
                                 << "Warning"
                                 << "警告";
        QTest::newRow("pdf caption") << "PluginMW"
                                     << "SavePDF"
                                     << "保存为PDF";
        QTest::newRow("job file") << "PluginMW"
                                  << "Could not write %1: %2."
                                  << "无法写入%1:%2。";
        QTest::newRow("nothing to cut") << "CutJob"
                                        << "No Cutting Paths!"
                                        << "没有切割路径!";
        QTest::newRow("cause") << "SaveFile"
                               << "the disk is full"
                               << "磁盘已满";
        QTest::newRow("not a lock file") << "SaveFile"
                                         << "%1 is not a lock file: remove it to go on"
                                         << "%1不是锁文件:请将其删除后继续";
        QTest::newRow("not a folder of the program")
            << "SaveFile"
            << "%1 is not a folder of this program: remove it to go on"
            << "%1不是本程序的文件夹:请将其删除后继续";
        QTest::newRow("the line named") << "SaveFile"
                                        << "line %1, \"%2\""
                                        << "第%1行“%2”";
        QTest::newRow("settings set aside")
            << "PluginMW"
            << "It was set aside as %1, and a new one is written in its place."
            << "原文件已另存为%1,并在原处写入新文件。";
        QTest::newRow("stale export") << "CutJob"
                                      << "The host did not write its export to %1. Nothing was "
                                         "cut or saved."
                                      << "宿主程序未将导出写入%1。未切割也未保存任何内容。";
        QTest::newRow("send title") << "SendMW"
                                    << "Send To Device"
                                    << "发送至设备";
        QTest::newRow("close offset") << "SendMW"
                                      << "Close Offset:"
                                      << "闭合补偿";
        QTest::newRow("qr title") << "QRCodeMW"
                                  << "QR Code Controller"
                                  << "二维码控制器";
        QTest::newRow("qr status") << "QRCodeMW"
                                   << "<font color=red>Scan QR Code Failed!"
                                   << "<font color=red>扫描二维码失败!";
        QTest::newRow("qr no job size") << "QRCodeMW"
                                        << "<font color=red>The File Holds No Job Size!"
                                        << "<font color=red>文件中没有作业尺寸!";
        QTest::newRow("qr folder") << "QRCodeMW"
                                   << "The QR job folder could not be opened. Please open it "
                                      "yourself:\n%1"
                                   << "无法打开二维码文件目录,请手动打开:\n%1";
        QTest::newRow("Y: stays") << "PluginMW"
                                  << "Y:"
                                  << "";
        QTest::newRow("language code stays") << "PluginMW"
                                             << "EN"
                                             << "";
        QTest::newRow("X: stays in the send window") << "SendMW"
                                                     << "X:"
                                                     << "";
    }

    void catalogue()
    {
        QFETCH(QString, context);
        QFETCH(QString, source);
        QFETCH(QString, chinese);
        initVemoResources();
        QTranslator t;
        QVERIFY(t.load(":/Chinese.qm"));
        QCOMPARE(t.translate(context.toLatin1().constData(), source.toUtf8().constData()), chinese);
    }

    void chineseStartUp()
    {
        freshWorkFolder();
        Recorder rec;
        rec.install();
        writeConfig({ { "PluginMW/language", "ZH" }, { "PluginMW/outlineSelect", 1 },
            { "PluginMW/printSelect", 0 } });
        PluginMW w;
        QCOMPARE(child<QPushButton>(&w, "language")->text(), QStringLiteral("ZH"));
        QCOMPARE(child<QLabel>(&w, "languageLbl")->text(), QStringLiteral("语言:"));
        QCOMPARE(child<QCheckBox>(&w, "isSegment")->text(), QStringLiteral("分段:"));
        QCOMPARE(child<QLabel>(&w, "ySegLbl")->text(), QStringLiteral("Y:"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Vemo"));
        QCOMPARE(child<QPushButton>(&w, "setCut")->toolTip(), tip + "直接输出");
        QCOMPARE(child<QPushButton>(&w, "configBtn")->toolTip(), tip + "展开设置");
        // the tooltips the lists chose survive the re-translation
        QCOMPARE(child<QPushButton>(&w, "genOutline")->toolTip(), tip + "创建边界");
        QCOMPARE(child<QPushButton>(&w, "setPrint")->toolTip(), tip + "仅调整可打印图层");
        QCOMPARE(child<QComboBox>(&w, "useCDRVersion")->itemText(0),
            QStringLiteral("CorelDraw.Application.14"));
        QCOMPARE(topLevel("SendMW")->windowTitle(), QStringLiteral("发送至设备"));
        QCOMPARE(topLevel("QRCodeMW")->windowTitle(), QStringLiteral("二维码控制器"));
        QCOMPARE(
            child<QPushButton>(topLevel("QRCodeMW"), "startBtn")->text(), QStringLiteral("开始"));

        // the switch back to English goes through a restart
        child<QPushButton>(&w, "language")->click();
        QCOMPARE(rec.starts.size(), 1);
        QSettings s(settingsFile(), QSettings::IniFormat);
        QCOMPARE(s.value("PluginMW/language").toString(), QStringLiteral("EN"));
        Recorder::uninstall();
    }

    // Qt's own buttons follow the language where Qt's catalogue is installed.
    void qtButtons()
    {
        const QString folder = QLibraryInfo::location(QLibraryInfo::TranslationsPath);
        if (!QFile::exists(folder + "/qtbase_zh_CN.qm"))
            QSKIP("Qt's Chinese catalogue is not installed");
        freshWorkFolder();
        Recorder rec;
        rec.install();
        writeConfig({ { "PluginMW/language", "ZH" } });
        PluginMW w;
        Recorder::uninstall();
        QMessageBox box;
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Yes)->text(), QStringLiteral("是(&Y)"));
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("取消"));
    }
};

QTEST_MAIN(TestPluginMWChinese)
#include "tst_pluginmw_zh.moc"
