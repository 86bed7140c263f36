#include "dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

namespace dialogs {
namespace {
MessageHook &messageHook()
{
    static MessageHook hook;
    return hook;
}

FileHook &fileHook()
{
    static FileHook hook;
    return hook;
}

// The extension a name filter stands for: "HPGL File(*.plt)" gives "plt";
// one for every file ("*", "*.*") gives none.
QString filterSuffix(const QString &filter)
{
    QString patterns = filter;
    const int open = filter.lastIndexOf(QLatin1Char('('));
    const int close = filter.lastIndexOf(QLatin1Char(')'));
    if (open >= 0 && close > open)
        patterns = filter.mid(open + 1, close - open - 1);
    static const QRegularExpression plainSuffix(QStringLiteral("^\\*\\.([^*?\\[\\]]+)$"));
    const QStringList list = patterns.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString &pattern : list) {
        if (pattern == QLatin1String("*") || pattern == QLatin1String("*.*"))
            continue;
        const QRegularExpressionMatch m = plainSuffix.match(pattern);
        return m.hasMatch() ? m.captured(1) : QString();
    }
    return QString();
}

// As the file dialog does with its default suffix: a name typed without an
// extension gets the filter's.
QString withSuffix(const QString &file, const QString &suffix)
{
    const QString name = QFileInfo(file).fileName();
    if (suffix.isEmpty() || name.isEmpty() || name.contains(QLatin1Char('.')))
        return file;
    return file + QLatin1Char('.') + suffix;
}
} // namespace

QMessageBox::StandardButton warning(QWidget *parent, const QString &title, const QString &text,
    QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton)
{
    if (messageHook())
        return messageHook()({ QMessageBox::Warning, parent, title, text, buttons });
    return QMessageBox::warning(parent, title, text, buttons, defaultButton);
}

QMessageBox::StandardButton information(QWidget *parent, const QString &title, const QString &text,
    QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton)
{
    if (messageHook())
        return messageHook()({ QMessageBox::Information, parent, title, text, buttons });
    return QMessageBox::information(parent, title, text, buttons, defaultButton);
}

QString getSaveFileName(
    QWidget *parent, const QString &caption, const QString &dir, const QString &filter)
{
    // the first filter is the one chosen until the user picks another
    const QString firstFilter = filter.section(QStringLiteral(";;"), 0, 0);
    if (fileHook())
        return withSuffix(
            fileHook()({ true, parent, caption, dir, filter }), filterSuffix(firstFilter));
    QFileDialog dialog(parent, caption, dir, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(filterSuffix(firstFilter));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
        [&dialog](const QString &chosen) { dialog.setDefaultSuffix(filterSuffix(chosen)); });
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.selectedFiles().value(0);
}

QString getOpenFileName(
    QWidget *parent, const QString &caption, const QString &dir, const QString &filter)
{
    if (fileHook())
        return fileHook()({ false, parent, caption, dir, filter });
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

void setMessageHook(MessageHook hook)
{
    messageHook() = std::move(hook);
}

void setFileHook(FileHook hook)
{
    fileHook() = std::move(hook);
}

} // namespace dialogs
