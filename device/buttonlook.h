#pragma once

class QAbstractButton;

// A button whose style sheet gives it colours of its own looks the same
// enabled or not; this greys it while it is disabled, whatever style sheet
// it carries then.
void greyWhenDisabled(QAbstractButton *button);

// The colours of a job window's run button: red while its run is under way,
// green otherwise.
void showRunLook(QAbstractButton *button, bool running);
