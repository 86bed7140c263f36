#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>

class QWidget;

// Modal boxes and file dialogs of the program. They show the real Qt dialogs
// unless a test has set a hook, which then answers in their place.
namespace dialogs {

QMessageBox::StandardButton warning(QWidget *parent, const QString &title, const QString &text,
    QMessageBox::StandardButtons buttons = QMessageBox::Ok,
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
QMessageBox::StandardButton information(QWidget *parent, const QString &title, const QString &text,
    QMessageBox::StandardButtons buttons = QMessageBox::Ok,
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
QString getSaveFileName(
    QWidget *parent, const QString &caption, const QString &dir, const QString &filter);
QString getOpenFileName(
    QWidget *parent, const QString &caption, const QString &dir, const QString &filter);

// One question put to a hook.
struct Message
{
    QMessageBox::Icon icon;
    QWidget *parent;
    QString title;
    QString text;
    QMessageBox::StandardButtons buttons;
};

struct FileRequest
{
    bool save;
    QWidget *parent;
    QString caption;
    QString dir;
    QString filter;
};

using MessageHook = std::function<QMessageBox::StandardButton(const Message &)>;
using FileHook = std::function<QString(const FileRequest &)>;

// An empty hook brings back the real dialogs.
void setMessageHook(MessageHook hook);
void setFileHook(FileHook hook);

} // namespace dialogs
