#include "formsettings.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QSettings>
#include <QSpinBox>

#include <cmath>

bool readSettingInt(const QSettings &s, const QString &key, int *out)
{
    bool ok = false;
    const int v = s.value(key).toInt(&ok);
    if (ok)
        *out = v;
    return ok;
}

bool readSettingDouble(const QSettings &s, const QString &key, double *out)
{
    bool ok = false;
    const double v = s.value(key).toDouble(&ok);
    ok = ok && std::isfinite(v);
    if (ok)
        *out = v;
    return ok;
}

FormSetting::FormSetting(const QString &key, QComboBox *list)
    : FormSetting(key, list, Index)
{
}

FormSetting::FormSetting(const QString &key, QAbstractButton *box)
    : FormSetting(key, box, Checked)
{
}

FormSetting::FormSetting(const QString &key, QSpinBox *spin)
    : FormSetting(key, spin, IntValue)
{
}

FormSetting::FormSetting(const QString &key, QDoubleSpinBox *spin)
    : FormSetting(key, spin, DoubleValue)
{
}

FormSetting::FormSetting(const QString &key, QWidget *widget, Kept kept)
    : key(key)
    , widget(widget)
    , kept(kept)
{
}

void FormSetting::load(const QSettings &s) const
{
    int i = 0;
    double d = 0.0;
    switch (kept) {
    case Index: {
        auto *list = static_cast<QComboBox *>(widget);
        if (readSettingInt(s, key, &i) && i >= 0 && i < list->count())
            list->setCurrentIndex(i);
        break;
    }
    case Checked:
        if (s.contains(key))
            static_cast<QAbstractButton *>(widget)->setChecked(s.value(key).toBool());
        break;
    case IntValue:
        if (readSettingInt(s, key, &i))
            static_cast<QSpinBox *>(widget)->setValue(i);
        break;
    case DoubleValue:
        if (readSettingDouble(s, key, &d))
            static_cast<QDoubleSpinBox *>(widget)->setValue(d);
        break;
    case Enabled:
        if (s.contains(key))
            widget->setEnabled(s.value(key).toBool());
        break;
    case Text: {
        const QVariant text = s.value(key);
        if (!text.isValid())
            break;
        if (auto *list = qobject_cast<QComboBox *>(widget))
            list->setCurrentText(text.toString());
        else if (auto *button = qobject_cast<QAbstractButton *>(widget))
            button->setText(text.toString());
        break;
    }
    }
}

bool FormSetting::unreadable(const QSettings &s) const
{
    if (!s.contains(key))
        return false;
    int i = 0;
    double d = 0.0;
    switch (kept) {
    case Index:
    case IntValue:
        return !readSettingInt(s, key, &i);
    case DoubleValue:
        return !readSettingDouble(s, key, &d);
    case Checked:
    case Enabled:
    case Text:
        break;
    }
    return false;
}

QVariant FormSetting::value() const
{
    switch (kept) {
    case Index:
        return static_cast<QComboBox *>(widget)->currentIndex();
    case Checked:
        return static_cast<QAbstractButton *>(widget)->isChecked();
    case IntValue:
        return static_cast<QSpinBox *>(widget)->value();
    case DoubleValue:
        return static_cast<QDoubleSpinBox *>(widget)->value();
    case Enabled:
        return widget->isEnabled();
    case Text:
        if (auto *list = qobject_cast<QComboBox *>(widget))
            return list->currentText();
        if (auto *button = qobject_cast<QAbstractButton *>(widget))
            return button->text();
        break;
    }
    return QVariant();
}

void loadForm(const QSettings &s, const QList<FormSetting> &table)
{
    for (const FormSetting &setting : table)
        setting.load(s);
}

SettingValues formValues(const QList<FormSetting> &table)
{
    SettingValues values;
    for (const FormSetting &setting : table)
        values.append({ setting.key, setting.value() });
    return values;
}

SaveResult saveForm(const QString &iniFile, const QList<FormSetting> &table)
{
    return saveSettings(iniFile, formValues(table), settingsLockMs);
}
