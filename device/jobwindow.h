#pragma once

class QString;
class QWidget;

// The set-up both job windows share: slightly see-through, titled, at the
// right of the screen 120 pixels from the top, and kept on top. Their place
// lies under the bar's open panel, which stays on top: the window the bar
// opens must show in front of it.
void placeJobWindow(QWidget *window, const QString &title);
