#pragma once

#include "simhost.h"

#include <QWidget>

namespace simhost {

// The simulated host's own window: the active page as the host shows it, so
// that a person running the program here sees what the actions do.
class SimWindow : public QWidget
{
    Q_OBJECT
public:
    explicit SimWindow(QWidget *parent = nullptr);

    // Shows or hides the window of the host; without a widget application
    // (command-line tools, tests without widgets) there is nothing to show.
    static void setShown(SimHost::Private *d, bool shown);

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace simhost
