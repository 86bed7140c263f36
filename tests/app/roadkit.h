#pragma once

// Shared by the suites that drive the bar and its job windows, as a user
// presses them, against the simulated host's sample artwork and one
// emulated cutter.

#include "apptestkit.h"
#include "cuttertestkit.h"
#include "emulatedcutter.h"
#include "hosttestutil.h"
#include "pluginmw.h"
#include "registry.h"

#include <QPushButton>
#include <QtTest>

#include <memory>

// A fresh work folder and a host with the sample artwork open.
inline void openSample()
{
    freshWorkFolder();
    simhost::SimHost::instance().reset();
    QString error;
    if (!simhost::SimHost::instance().loadDocument(QStringLiteral(SIMHOST_SAMPLE), &error))
        qFatal("sample artwork: %s", qPrintable(error));
    writeConfig({ { "PluginMW/useCDRVersion", v24 } });
}

inline void press(QWidget *window, const char *button)
{
    child<QPushButton>(window, button)->click();
    flushDeletes();
}

inline QWidget *sendWindow()
{
    return topLevel(QStringLiteral("SendMW"));
}

// The send window's finishing options as a user who never touched them.
inline void finishingOff()
{
    set(sendWindow(),
        { { "knifeOffsetChk", false }, { "closeOffsetChk", false }, { "backlash", false },
            { "autoSort", false } });
}

// Send and every bar button usable again, Send with its idle caption.
inline void verifyIdle(QWidget *bar)
{
    auto *send = child<QPushButton>(sendWindow(), "send");
    QCOMPARE(send->text(), QStringLiteral("Send"));
    QVERIFY(send->isEnabled());
    QCOMPARE(send->styleSheet(), QStringLiteral("color:Blue;background-color:lightGreen"));
    QVERIFY(bar->isVisible() && sendWindow()->isVisible());
    for (const char *b : { "genMark", "genOutline", "setPrint", "setCut", "saveFile" })
        QVERIFY2(child<QPushButton>(bar, b)->isEnabled(), b);
}

// What a run wrote outside the work folder's own files.
inline QStringList strayFiles()
{
    QStringList stray;
    for (const QString &e :
        QDir(publicDocumentsFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot))
        if (e != "VemoCommonPlugin")
            stray << e;
    const QStringList own = { "config.ini", "ABDOPQR.plt", "QR Jobs", "QR Pageinfo" };
    for (const QString &e : QDir(workFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot))
        if (!own.contains(e))
            stray << e;
    return stray;
}

// The bar and one emulated cutter, as a suite's cases share them.
struct Road
{
    std::unique_ptr<EmulatedCutter> cutter;
    std::unique_ptr<PluginMW> bar;

    void open(const QString &cutterName, const CutterTiming &timing = fastTiming())
    {
        qputenv("VEMO_USB_NO_DEFAULT", "1");
        cutter.reset(new EmulatedCutter(cutterName));
        cutter->setTiming(timing);
        bar.reset(new PluginMW);
        bar->show();
    }
    // Marks (circles) and contours on the open artwork, "By Path & Marks" chosen.
    void marksAndContour(bool qrLabel = false)
    {
        set(bar.get(),
            { { "useQRCode", qrLabel }, { "outlineSelect", 2 }, { "genCrease", false },
                { "cutSelect", 1 } });
        press(bar.get(), "genMark");
        press(bar.get(), "genOutline");
    }
    // The QR window opened from the bar with the size of a job filed under
    // `code` taken, Auto-Next on for `sheets` sheets.
    QWidget *qrWindowOn(const QString &code, int sheets)
    {
        const QString job = qrJobsFolder() + code + ".plt";
        QFile f(job);
        if (!f.open(QIODevice::WriteOnly))
            qFatal("cannot file %s", qPrintable(job));
        f.write("MD0,0,8000,6000,5;IN;PA;SP2;PU0,0;PD0,500;PU;!PG;");
        f.close();
        dialogs::setFileHook([job](const dialogs::FileRequest &) { return job; });
        press(bar.get(), "qrCodeCtrl");
        QWidget *qr = topLevel("QRCodeMW");
        press(qr, "selectFile");
        dialogs::setFileHook({});
        set(qr, { { "conSend", true }, { "sendCount", sheets } });
        return qr;
    }
    void close()
    {
        bar.reset();
        cutter.reset();
        regRemoveKey(cutterRegistryKey());
    }
};

// What the road suites hold: the boxes' recorder, the bar and its cutter.
class RoadSuite : public QObject
{
protected:
    Recorder rec;
    Road road;
    std::unique_ptr<EmulatedCutter> &cutter = road.cutter;
    std::unique_ptr<PluginMW> &bar = road.bar;
};
