#include "pluginmw.h"

#include "formsettings.h"
#include "pluginmw_p.h"
#include "settingscheck.h"
#include "ui_pluginmw.h"
#include "workfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QSettings>
#include <QTranslator>

#include <climits>

namespace {
QString serialKey()
{
    return QStringLiteral("PluginMW/qrCodeStr");
}

// The highest number that a "qrCodeStr=" line of the file's bytes starts
// with, whatever follows its digits: a line QSettings cannot read whole (a
// tail of NULs, a stray letter, a line joined to the one before it by a
// "\") still tells numbers that were drawn; 0 when none does.
int serialInBytes(const QByteArray &bytes)
{
    qint64 highest = 0;
    const QByteArray key("qrCodeStr");
    for (const QByteArray &line : bytes.split('\n')) {
        const QByteArray text = line.trimmed();
        if (!text.startsWith(key))
            continue;
        const QByteArray value = text.mid(key.size()).trimmed();
        if (!value.startsWith('='))
            continue;
        const QByteArray digits = value.mid(1).trimmed();
        qint64 number = 0;
        for (int i = 0; i < digits.size() && digits[i] >= '0' && digits[i] <= '9'; ++i)
            number = qMin<qint64>(number * 10 + (digits[i] - '0'), INT_MAX);
        highest = qMax(highest, number);
    }
    return int(highest);
}

// The stored serial held to the box's range; 0 when there is none. What
// the file's bytes tell is a floor to what QSettings reads of them.
int storedSerial(const QSettings &s, const QByteArray &bytes, const QSpinBox *box)
{
    int serial = 0;
    const bool read = readSettingInt(s, serialKey(), &serial);
    const int onDisk = serialInBytes(bytes);
    if (!read && onDisk == 0)
        return 0;
    return qBound(box->minimum(), read ? qMax(serial, onDisk) : onDisk, box->maximum());
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
    const QString file = settingsFile();
    // One that does not read back whole is set aside, and a whole new one
    // with what could be read of it put in its place, in one hold of its
    // lock: saving over it would fail for good.
    // The set-aside keeps the serial, also where its own line was damaged.
    const auto keepSerial = [this](const QSettings &old, const QByteArray &bytes) {
        const int serial = storedSerial(old, bytes, ui->qrCodeStr);
        return serial > 0 ? SettingValues { { serialKey(), serial } } : SettingValues();
    };
    const SettingsCheck check = checkSettings(file, settingsLockMs, keepSerial);
    const bool readable
        = check.found.ok() || check.found.cause == SaveResult::NotWhole || check.replaced();
    QStringList noNumber;
    if (readable && QFileInfo(file).isFile()) {
        const QSettings s(file, QSettings::IniFormat);
        for (const FormSetting &setting : settingsTable()) {
            if (setting.unreadable(s))
                noNumber << setting.key;
            if (setting.widget == ui->language)
                loadLanguage(s.value(setting.key).toString());
            else if (setting.widget == ui->qrCodeStr)
                loadSerial(s);
            else
                setting.load(s);
            // The check boxes' own slots set the enabled states of what hangs
            // on them; the keys after them may set those states again.
            auto *box = qobject_cast<QAbstractButton *>(setting.widget);
            if (box && ruleBoxes().contains(box))
                applyRule(box);
        }
    } else {
        // The first start shows what every later one shows.
        for (QAbstractButton *box : ruleBoxes())
            applyRule(box);
    }
    // Then both windows' forms, as any save writes them; one that fails
    // now is told by the save at the close.
    if (check.replaced())
        saveGroups(true);
    tellUnreadableSettings(check, noNumber);
}

QList<QAbstractButton *> PluginMW::ruleBoxes() const
{
    return { ui->isSegment, ui->useQRCode };
}

void PluginMW::applyRule(QAbstractButton *box)
{
    emit box->clicked(box->isChecked());
}

void PluginMW::tellUnreadableSettings(const SettingsCheck &check, const QStringList &noNumber)
{
    const QString file = QDir::toNativeSeparators(settingsFile());
    QStringList said;
    if (!check.found.ok()) {
        QString text = check.found.cause == SaveResult::NotWhole
            ? tr("The settings file %1 does not read back whole: %2. The settings that could be "
                 "read are used.")
            : tr("The settings file %1 could not be read: %2. The form's own settings are used.");
        text = text.arg(file, describeFailure(check.found));
        if (check.replaced())
            text += QLatin1Char(' ')
                + tr("It was set aside as %1, and a new one is written in its place.")
                      .arg(QDir::toNativeSeparators(check.setAside));
        else if (!check.setAside.isEmpty())
            text += QLatin1Char(' ')
                + tr("It was set aside as %1; a new one could not be written: %2.")
                      .arg(QDir::toNativeSeparators(check.setAside),
                          describeFailure(check.asideWhy));
        else if (!check.asideWhy.ok())
            text += QLatin1Char(' ')
                + tr("It could not be set aside: %1.").arg(describeFailure(check.asideWhy));
        said << text;
    }
    if (!noNumber.isEmpty())
        said << tr("The settings file %1 holds no number for %2; those settings keep the form's "
                   "own values.")
                    .arg(file, noNumber.join(QStringLiteral(", ")));
    if (!said.isEmpty())
        warn(said.join(QStringLiteral("\n\n")));
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
    return saveGroups(false);
}

SaveResult PluginMW::saveGroups(bool sendWindowToo)
{
    // Another copy may have counted on since this one loaded: the stored
    // serial never goes back.
    return updateSettings(
        settingsFile(),
        [this, sendWindowToo](const QSettings &stored, const QByteArray &bytes) {
            SettingValues values = formValues(settingsTable());
            for (auto &v : values) {
                if (v.first == serialKey())
                    v.second = serialToStore(stored, bytes);
            }
            if (sendWindowToo)
                values += sendMW.settingValues();
            return values;
        },
        settingsLockMs);
}

SaveResult PluginMW::saveSerial()
{
    return updateSettings(
        settingsFile(),
        [this](const QSettings &stored, const QByteArray &bytes) {
            return SettingValues { { serialKey(), serialToStore(stored, bytes) } };
        },
        settingsLockMs);
}

int PluginMW::serialToStore(const QSettings &stored, const QByteArray &bytes) const
{
    return qMax(ui->qrCodeStr->value(), storedSerial(stored, bytes, ui->qrCodeStr));
}

int PluginMW::highestFiledSerial() const
{
    // Unsorted and without patterns: "QR Jobs/" may hold a few hundred
    // thousand jobs, and each mark looks.
    int highest = 0;
    QDirIterator it(qrJobsPath, QDir::Files);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        if (name.size() != 12 || !name.endsWith(QLatin1String(".plt"), Qt::CaseInsensitive))
            continue;
        int number = 0;
        for (int i = 0; i < 8 && number >= 0; ++i) {
            const ushort c = name.at(i).unicode();
            number = c >= '0' && c <= '9' ? number * 10 + (c - '0') : -1;
        }
        highest = qMax(highest, number);
    }
    return highest;
}

int PluginMW::nextSerial(int stored, int filed) const
{
    return qMax(qMax(stored, ui->qrCodeStr->value()), filed) + 1;
}

int PluginMW::peekSerial(int filed) const
{
    QFile file(settingsFile());
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    const QSettings s(settingsFile(), QSettings::IniFormat);
    return nextSerial(storedSerial(s, bytes, ui->qrCodeStr), filed);
}

int PluginMW::takeSerial(int filed, SaveResult *saved)
{
    // Taken and stored in one hold of the lock: two copies marking at once
    // get two numbers. The hold is short: the filed jobs were looked at
    // before it.
    int next = 0;
    *saved = updateSettings(
        settingsFile(),
        [&](const QSettings &stored, const QByteArray &bytes) {
            next = nextSerial(storedSerial(stored, bytes, ui->qrCodeStr), filed);
            return SettingValues { { serialKey(), qMin(next, ui->qrCodeStr->maximum()) } };
        },
        settingsLockMs);
    return saved->ok() ? next : 0;
}
