#pragma once

// Shared helpers of the main-window tests: a fresh work folder per test and
// recorders in place of the restart program, the process exit and the boxes.

#include "dialogs.h"
#include "process.h"
#include "workfolder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QList>
#include <QSettings>
#include <QSpinBox>
#include <QStringList>
#include <QWidget>

struct Recorder
{
    QList<int> exits;
    QList<QStringList> starts; // program, then its arguments
    QList<dialogs::Message> messages;
    QMessageBox::StandardButton answer = QMessageBox::Yes;

    void install()
    {
        setExitHook([this](int code) { exits << code; });
        setStartDetachedHook([this](const QString &program, const QStringList &args) {
            starts << (QStringList() << program << args);
            return true;
        });
        dialogs::setMessageHook([this](const dialogs::Message &m) {
            messages << m;
            return answer;
        });
    }

    static void uninstall()
    {
        setExitHook({});
        setStartDetachedHook({});
        dialogs::setMessageHook({});
    }
};

inline void freshWorkFolder()
{
    QDir(workFolder()).removeRecursively();
    QDir().mkpath(publicDocumentsFolder());
}

// Writes config.ini (creating the work folder) with the given keys.
inline void writeConfig(const QVariantMap &keys)
{
    QDir().mkpath(workFolder());
    QSettings s(settingsFile(), QSettings::IniFormat);
    for (auto it = keys.begin(); it != keys.end(); ++it)
        s.setValue(it.key(), it.value());
}

// A file's bytes as they stand (no line ends dropped), or nothing.
inline QString fileBytes(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
}

inline QWidget *topLevel(const QString &objectName)
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->objectName() == objectName)
            return w;
    }
    return nullptr;
}

template <typename T> T *child(QWidget *w, const char *name)
{
    T *c = w->findChild<T *>(QLatin1String(name));
    if (!c)
        qFatal("no child %s", name);
    return c;
}

// Sets panel widgets by object name, whatever their kind.
inline void set(QWidget *w, const QVariantMap &values)
{
    for (auto it = values.begin(); it != values.end(); ++it) {
        QWidget *c = child<QWidget>(w, it.key().toLatin1().constData());
        if (auto *box = qobject_cast<QComboBox *>(c))
            box->setCurrentIndex(it.value().toInt());
        else if (auto *check = qobject_cast<QAbstractButton *>(c))
            check->setChecked(it.value().toBool());
        else if (auto *spin = qobject_cast<QDoubleSpinBox *>(c))
            spin->setValue(it.value().toDouble());
        else
            qobject_cast<QSpinBox *>(c)->setValue(it.value().toInt());
    }
}
