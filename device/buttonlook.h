#pragma once

class QAbstractButton;

// A button whose style sheet gives it colours of its own looks the same
// enabled or not; this greys it while it is disabled, whatever style sheet
// it carries then.
void greyWhenDisabled(QAbstractButton *button);
