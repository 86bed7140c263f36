#pragma once

#include "qrcodemw.h"
#include "sendmw.h"

#include <QList>
#include <QPoint>
#include <QString>
#include <QWidget>

#include <memory>

class CdrOperate;
struct FormSetting;
struct SaveResult;
struct SettingsCheck;
class QAbstractButton;
class QLocalServer;
class QLocalSocket;
class QSettings;

namespace Ui {
class PluginMW;
}

// The always-on-top button bar with its fold-out settings panel. One class in
// several files: pluginmw.cpp (building, window events), pluginmw_server.cpp,
// pluginmw_settings.cpp, pluginmw_panel.cpp, pluginmw_actions.cpp.
class PluginMW : public QWidget
{
    Q_OBJECT

public:
    explicit PluginMW(QWidget *parent = nullptr);
    ~PluginMW() override;

    // Name of the local server through which a caller brings the bar to view.
    static QString serverName();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private slots:
    void on_genMark_clicked();
    void on_genOutline_clicked();
    void on_setPrint_clicked();
    void on_setCut_clicked();
    void on_saveFile_clicked();
    void on_qrCodeCtrl_clicked();
    void on_aboutBtn_clicked();
    void on_configBtn_clicked();
    void on_minBtn_clicked();
    void on_exitBtn_clicked();
    void on_markSelect_currentIndexChanged(int index);
    void on_outlineSelect_currentIndexChanged(int index);
    void on_printSelect_currentIndexChanged(int index);
    void on_cutSelect_currentIndexChanged(int index);
    void on_painter_configChanged();
    void on_language_clicked();
    void on_isSegment_clicked(bool checked);
    void on_bySegPieces_clicked(bool checked);
    void on_bySegLength_clicked(bool checked);
    void on_useQRCode_clicked(bool checked);
    void on_qrPreStr_valueChanged(int value);
    void on_localSocket_newConnection();
    // "recieved" stays: callers name the slot so
    void on_localSocket_recieved();

private:
    QList<FormSetting> settingsTable() const;
    void loadSettings();
    void loadLanguage(const QString &language);
    void loadSerial(const QSettings &s);
    // The check boxes whose slots set other widgets' enabled states, and
    // running one box's slot as a click would.
    QList<QAbstractButton *> ruleBoxes() const;
    void applyRule(QAbstractButton *box);
    void tellUnreadableSettings(const SettingsCheck &check, const QStringList &noNumber);
    // The group "PluginMW/" into config.ini, whole or not at all.
    SaveResult saveSettings();
    // The same, with the send window's group too where config.ini is new.
    SaveResult saveGroups(bool sendWindowToo);
    // The QR serial alone, as a mark run stores it.
    SaveResult saveSerial();
    // What a save writes for the serial: never below the one stored.
    int serialToStore(const QSettings &stored, const QByteArray &bytes) const;
    // The highest serial filed in "QR Jobs/" as "<8 digits>.plt", or 0.
    int highestFiledSerial() const;
    // One more than the highest of `stored`, this copy's serial and `filed`.
    int nextSerial(int stored, int filed) const;
    // The number the next label would get, as config.ini stands now.
    int peekSerial(int filed) const;
    // The next label's number, taken and stored under config.ini's lock,
    // `filed` the highest filed job as looked up before; 0, and *saved says
    // why, when it could not be stored.
    int takeSerial(int filed, SaveResult *saved);
    void startLocalServer();
    void readMessages(QLocalSocket *socket);
    void bringToView();
    // The host link of one action, or none after the warning that the host
    // cannot be reached (the action's button enabled again before it).
    std::unique_ptr<CdrOperate> openHost(QAbstractButton *button);
    void warn(const QString &text);
    QString serialNotSavedText(const SaveResult &why) const;
    void fitMask();
    void spreadPanel();
    void foldPanel();

    Ui::PluginMW *ui;
    QString basePath;
    QString qrJobsPath;
    QString qrPageinfoPath;
    QString tempPltPath;
    double mmPerInch;
    double unitsPerMm;
    QLocalServer *localServer;
    QLocalSocket *localSocket;
    QPoint pressPos;
    bool dragging;
    // Set by the language switch; the restart program starts only once the
    // close it asks for is accepted.
    bool restartPending;
    QString languageBeforeSwitch;
    SendMW sendMW;
    QRCodeMW qrCodeMW;
};
