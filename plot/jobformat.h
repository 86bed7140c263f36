#pragma once

#include <QString>

// The job header that precedes the HPGL bodies of a job: "MD0,0,a,b,k;",
// sizes in whole plotter units written y first (a) then x (b).
enum class JobKind
{
    BlankPaper = 3, // page height, page width
    PathAndMarks = 4, // dy, dx from the first to the last registration mark
    QrJob = 5, // as PathAndMarks, stored in the QR job folder
};

QString jobHeader(int a, int b, JobKind kind);

struct JobSize
{
    int height = 0;
    int width = 0;
};

// Height and width from the header of a job text; 0 and 0 when it has none.
JobSize readJobSize(const QString &text);

// A stored QR job is sent as a path-and-marks job: the kind digit of its
// header becomes 4. Text that does not begin with a job header is returned
// unchanged.
QString rewriteJobKind(QString text);
