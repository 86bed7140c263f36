#include "dialogs.h"

#include <QFileDialog>

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
    if (fileHook())
        return fileHook()({ true, parent, caption, dir, filter });
    return QFileDialog::getSaveFileName(parent, caption, dir, filter);
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
