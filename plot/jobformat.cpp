#include "jobformat.h"

QString jobHeader(int a, int b, JobKind kind)
{
    return QLatin1String("MD0,0,") + QString::number(a) + QLatin1Char(',') + QString::number(b)
        + QLatin1Char(',') + QString::number(static_cast<int>(kind)) + QLatin1Char(';');
}

JobSize readJobSize(const QString &text)
{
    // Fields after "MD" are contiguous runs between separators, so only the
    // bounds of the third and fourth are kept. An "M" not followed by "D"
    // takes the next character with it, so "MMD" is no header.
    int state = 0;
    int f3Begin = -1, f3End = -1, f4Begin = -1, f4End = -1;
    const int n = text.size();
    const QChar *s = text.constData();
    int i = 0;
    for (; i < n; ++i) {
        const QChar c = s[i];
        bool done = false;
        switch (state) {
        case 0:
            if (c == QLatin1Char('M'))
                state = 1;
            break;
        case 1:
            state = c == QLatin1Char('D') ? 2 : 0;
            break;
        case 2:
            if (c == QLatin1Char(','))
                state = 3;
            break;
        case 3:
            if (c == QLatin1Char(',')) {
                state = 4;
                f3Begin = i + 1;
            }
            break;
        case 4:
            if (c == QLatin1Char(',')) {
                f3End = i;
                f4Begin = i + 1;
                state = 5;
            }
            break;
        case 5:
            if (c == QLatin1Char(',') || c == QLatin1Char(';')) {
                f4End = i;
                state = 6;
                done = c == QLatin1Char(';');
            }
            break;
        default:
            done = c == QLatin1Char(';');
            break;
        }
        if (done)
            break;
    }
    if (state == 4)
        f3End = n;
    if (state == 5)
        f4End = n;

    JobSize size;
    if (f3Begin >= 0)
        size.height = text.midRef(f3Begin, f3End - f3Begin).toInt();
    if (f4Begin >= 0)
        size.width = text.midRef(f4Begin, f4End - f4Begin).toInt();
    return size;
}

QString rewriteJobKind(QString text)
{
    // Only a real header is touched: any other text would be corrupted by
    // overwriting the character before its first ";".
    if (!text.startsWith(QLatin1String("MD")))
        return text;
    const int semi = text.indexOf(QLatin1Char(';'));
    if (semi < 4)
        return text;
    const QChar kind = text.at(semi - 1);
    if (text.at(semi - 2) != QLatin1Char(',') || kind < QLatin1Char('3') || kind > QLatin1Char('5'))
        return text;
    text[semi - 1] = QLatin1Char('4');
    return text;
}
