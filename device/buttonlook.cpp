#include "buttonlook.h"

#include <QAbstractButton>
#include <QEvent>
#include <QGraphicsColorizeEffect>

namespace {
class DisabledLook : public QObject
{
public:
    explicit DisabledLook(QAbstractButton *button)
        : QObject(button)
    {
        button->installEventFilter(this);
        follow(button);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::EnabledChange)
            follow(static_cast<QAbstractButton *>(watched));
        return false;
    }

private:
    static void follow(QAbstractButton *button)
    {
        if (button->isEnabled()) {
            button->setGraphicsEffect(nullptr);
        } else if (!button->graphicsEffect()) {
            auto *grey = new QGraphicsColorizeEffect;
            grey->setColor(QColor(150, 150, 150));
            button->setGraphicsEffect(grey);
        }
    }
};
} // namespace

void greyWhenDisabled(QAbstractButton *button)
{
    new DisabledLook(button);
}

void showRunLook(QAbstractButton *button, bool running)
{
    button->setStyleSheet(running ? QStringLiteral("color:Black;background-color:Red")
                                  : QStringLiteral("color:Blue;background-color:lightGreen"));
}
