#pragma once

// Creates the cutter the program finds by default, once, unless a test built
// its own or VEMO_USB_NO_DEFAULT is set. Called by every entry point of the
// stand-ins before it takes its own lock.
void ensureDefaultCutter();
