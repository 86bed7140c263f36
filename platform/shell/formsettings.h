#pragma once

#include "savefile.h"

#include <QList>
#include <QString>
#include <QVariant>

class QAbstractButton;
class QComboBox;
class QDoubleSpinBox;
class QSettings;
class QSpinBox;
class QWidget;

// How the windows keep their forms in config.ini: a table of settings, each a
// key and the widget that shows it, drives both loading and saving.

// Saving waits this long for the settings file's lock, then gives up.
constexpr int settingsLockMs = 3000;

// Settings readers: false, and *out untouched, for a key that is missing or
// does not convert. "nan" and "inf" convert, but are no values for a spin box
// (one would show its maximum).
bool readSettingInt(const QSettings &s, const QString &key, int *out);
bool readSettingDouble(const QSettings &s, const QString &key, double *out);

struct FormSetting
{
    enum Kept
    {
        Index, // a list's current index
        Checked,
        IntValue,
        DoubleValue,
        Enabled,
        Text, // a list's current text, a button's text
    };

    FormSetting(const QString &key, QComboBox *list);
    FormSetting(const QString &key, QAbstractButton *box);
    FormSetting(const QString &key, QSpinBox *spin);
    FormSetting(const QString &key, QDoubleSpinBox *spin);
    // Enabled or Text
    FormSetting(const QString &key, QWidget *widget, Kept kept);

    // Sets the widget from the file. A key that is missing or holds no value
    // for the widget (an index the list does not have) leaves it as it is.
    void load(const QSettings &s) const;
    // The key is there but holds no number where the widget needs one.
    bool unreadable(const QSettings &s) const;
    QVariant value() const;

    QString key;
    QWidget *widget;
    Kept kept;
};

// Every setting of the table, in its order.
void loadForm(const QSettings &s, const QList<FormSetting> &table);
// The table's keys with the widgets' values, in its order.
SettingValues formValues(const QList<FormSetting> &table);
// The table's keys into the file, whole or not at all, written in its order.
SaveResult saveForm(const QString &iniFile, const QList<FormSetting> &table);
