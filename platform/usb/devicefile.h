#pragma once

#include <QtGlobal>

// Stand-in for the Win32 device-file calls the cutter link makes: open a
// device interface path, read up to a packet with an overlapped record and an
// auto-reset event, wait on that event with a time-out, fetch the result,
// cancel a pending read, write, close. The backend a program links defines
// them; here that is the emulated cutter (emulated/). Every call is safe from
// any thread.

using DevHandle = qintptr;
constexpr DevHandle InvalidDevHandle = -1;

enum DevOpenFlags
{
    DevOpenPlain = 0,
    DevOpenOverlapped = 1, // reads may stay pending
};

enum DevIoStatus
{
    DevIoDone, // completed at once
    DevIoPending, // under way; wait on the record's event
    DevIoFailed, // did not start (bad handle, device gone)
};

// The overlapped record with its event. Zero-initialise, hand to devRead,
// and keep it alive until the read is no longer pending (completed, failed,
// or cancelled and its result fetched).
struct DevOverlapped
{
    int state = 0; // internal
    int transferred = 0; // bytes placed in the buffer
    bool signalled = false;
    char *buffer = nullptr;
    int size = 0;
    DevHandle handle = InvalidDevHandle;
};

// Opens a device path, e.g. "\??\USB#VID_0483&PID_5750#<instance>#{a5dcbf10-...}".
// Returns InvalidDevHandle when no plugged-in device answers to the path.
DevHandle devOpen(const wchar_t *path, int flags);
bool devClose(DevHandle handle);

// Starts a read of at most `size` bytes (one reply of the device per read).
DevIoStatus devRead(DevHandle handle, char *buffer, int size, DevOverlapped *ov);

// Waits until the record's event is signalled (true, and the event resets)
// or `timeoutMs` passes (false); -1 waits without limit. Blocks the thread.
bool devWaitEvent(DevOverlapped *ov, int timeoutMs);

// Result of a read: true when it completed with data; false when it failed,
// was cancelled or (wait false) is still pending.
bool devOverlappedResult(DevHandle handle, DevOverlapped *ov, int *transferred, bool wait);

// Cancels the read if it is still pending: once this returns, the device
// never writes into its buffer. Returns false when nothing was pending.
bool devCancelIo(DevHandle handle, DevOverlapped *ov);

// Writes `size` bytes in one transfer; *written gets the bytes the device
// took. False when the device did not take the write at all.
bool devWrite(DevHandle handle, const char *data, int size, int *written);
