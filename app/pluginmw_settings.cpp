#include "pluginmw.h"

#include "formsettings.h"
#include "pluginmw_p.h"
#include "ui_pluginmw.h"
#include "workfolder.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QSettings>
#include <QTranslator>

namespace {
QString serialKey()
{
    return QStringLiteral("PluginMW/qrCodeStr");
}
} // namespace

// The group "PluginMW/" in the order it is written; loading goes the same
// way. Beside the table, loadSettings() loads the language and the serial
// itself, and runs the slots of isSegment and useQRCode once they are loaded.
QList<FormSetting> PluginMW::settingsTable() const
{
    return {
        { QStringLiteral("PluginMW/markSelect"), ui->markSelect },
        { QStringLiteral("PluginMW/outlineSelect"), ui->outlineSelect },
        { QStringLiteral("PluginMW/printSelect"), ui->printSelect },
        { QStringLiteral("PluginMW/cutSelect"), ui->cutSelect },
        { QStringLiteral("PluginMW/language"), ui->language, FormSetting::Text },
        { QStringLiteral("PluginMW/genCrease"), ui->genCrease },
        { QStringLiteral("PluginMW/byFigure"), ui->byFigure },
        { QStringLiteral("PluginMW/topRev"), ui->topRev },
        { QStringLiteral("PluginMW/leftRev"), ui->leftRev },
        { QStringLiteral("PluginMW/rightRev"), ui->rightRev },
        // "buttomRev" stays: every stored config.ini has the key so
        { QStringLiteral("PluginMW/buttomRev"), ui->bottomRev },
        { QStringLiteral("PluginMW/markWidth"), ui->markWidth },
        { QStringLiteral("PluginMW/markHeight"), ui->markHeight },
        { QStringLiteral("PluginMW/markWeight"), ui->markWeight },
        { QStringLiteral("PluginMW/markDiameter"), ui->markDiameter },
        { QStringLiteral("PluginMW/markColor"), ui->markColor },
        { QStringLiteral("PluginMW/isSegment"), ui->isSegment },
        { QStringLiteral("PluginMW/bySegPieces"), ui->bySegPieces },
        { QStringLiteral("PluginMW/bySegLength"), ui->bySegLength },
        { QStringLiteral("PluginMW/ySegPieces"), ui->ySegPieces },
        { QStringLiteral("PluginMW/ySegPiecesEn"), ui->ySegPieces, FormSetting::Enabled },
        { QStringLiteral("PluginMW/ySegLength"), ui->ySegLength },
        { QStringLiteral("PluginMW/ySegLengthEn"), ui->ySegLength, FormSetting::Enabled },
        { QStringLiteral("PluginMW/useQRCode"), ui->useQRCode },
        { QStringLiteral("PluginMW/isInkJet"), ui->isInkJet },
        { QStringLiteral("PluginMW/qrCodeSize"), ui->qrCodeSize },
        { serialKey(), ui->qrCodeStr },
        { QStringLiteral("PluginMW/useCDRVersion"), ui->useCDRVersion, FormSetting::Text },
    };
}

void PluginMW::loadSettings()
{
    if (!QFile(settingsFile()).exists())
        return;
    const QSettings s(settingsFile(), QSettings::IniFormat);
    for (const FormSetting &setting : settingsTable()) {
        if (setting.widget == ui->language)
            loadLanguage(s.value(setting.key).toString());
        else if (setting.widget == ui->qrCodeStr)
            loadSerial(s);
        else
            setting.load(s);
        // The check boxes' own slots set the enabled states of what hangs on
        // them; the keys after them may set those states again.
        if (setting.widget == ui->isSegment)
            emit ui->isSegment->clicked(ui->isSegment->isChecked());
        else if (setting.widget == ui->useQRCode)
            emit ui->useQRCode->clicked(ui->useQRCode->isChecked());
    }
}

namespace {
// Qt's own texts (message box buttons, file dialogs) come from Qt's catalogue:
// where Qt keeps it, else where windeployqt puts it beside the program (merged
// into qt_zh_CN there). Without it they stay English.
void loadQtChinese()
{
    static QTranslator translator;
    const QString folders[] = { QLibraryInfo::location(QLibraryInfo::TranslationsPath),
        QCoreApplication::applicationDirPath() + QStringLiteral("/translations") };
    for (const QString &folder : folders) {
        for (const char *name : { "qtbase_zh_CN", "qt_zh_CN" }) {
            if (translator.load(QLatin1String(name), folder)) {
                QCoreApplication::installTranslator(&translator);
                return;
            }
        }
    }
    qCDebug(lcApp, "Qt's Chinese catalogue did not load");
}
} // namespace

void PluginMW::loadLanguage(const QString &language)
{
    // Anything but "ZH" is English, an empty or unknown code included.
    if (language == QLatin1String("ZH")) {
        loadQtChinese();
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
}

void PluginMW::loadSerial(const QSettings &s)
{
    // The serial's leading digit goes to qrPreStr first; its slot rewrites
    // the serial, so the stored one is set again after it.
    int serial = 0;
    if (readSettingInt(s, serialKey(), &serial)) {
        ui->qrPreStr->setValue(serial / 10000000);
        ui->qrCodeStr->setValue(serial);
    }
}

SaveResult PluginMW::saveSettings()
{
    return saveForm(settingsFile(), settingsTable());
}

SaveResult PluginMW::saveSerial()
{
    return ::saveSettings(
        settingsFile(), { { serialKey(), ui->qrCodeStr->value() } }, settingsLockMs);
}
