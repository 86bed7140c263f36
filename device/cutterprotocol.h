#pragma once

#include "cutterfirmware.h"

#include <QString>

// Texts and number formats of the cutter's command protocol, and the timed
// wait used between its steps.
namespace CutterCommand {

// Number forms of commands: whole numbers, and reals with 6 significant digits.
QString integer(int n);
QString real(double v);

// A device command: ";CMD:n;", or ";CMD:n,args;" with its arguments.
QString device(CutterFirmware::Command command, const QString &args = QString());

inline const QString busyPoll = device(CutterFirmware::BusyPoll);
inline const QString paperState = device(CutterFirmware::PaperState);
QString feed(int units); // ";CMD:20,n;"
QString moveTo(int first, int second); // "PUa,b;"
QString moveTo(double first, double second); // "PUa,b;" with reals
inline const QString origin = QStringLiteral("PU0,0;");
inline const QString scanQr = device(CutterFirmware::ScanQr);
inline const QString pageEnd = QStringLiteral("!PG;");
QString ledIntensity(int value); // ";CMD:103,v;"
inline const QString findMark = device(CutterFirmware::FindMark);
inline const QString camOffset = device(CutterFirmware::CamOffset);
QString setCamOffset(double a, double b); // ";CMD:201,a,b;"
inline const QString blankStart = device(CutterFirmware::BlankStart);

inline const QString replyFree = QStringLiteral("FREE;");
inline const QString replyOk = QStringLiteral("OK;");
inline const QString replyNoQr = QStringLiteral("NOQR;");
inline const QString replyNoMark = QStringLiteral("NOMARK;");

// The paper-state reply tells "no paper" by holding "S3:0;" anywhere.
bool noPaper(const QString &reply);

// Camera offset from the reply to ";CMD:200;" ("X=a,Y=b;"): the text from two
// characters after the first "X" to the first ",", and from two after the
// first "Y" to the first ";"; a part that is not a number gives 0. True only
// when the reply has that form and both parts are finite numbers: an offset
// read from anything else would misplace the cut.
bool camOffsetFromReply(const QString &reply, double *x, double *y);

} // namespace CutterCommand

// Waits `ms` milliseconds while the event loop runs, so the windows stay live
// and an idle wait costs no processor time. The deadline is monotonic.
void timedWait(int ms);
