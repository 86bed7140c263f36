#include "textfile.h"

#include <QFile>
#include <QTextCodec>
#include <QTextStream>

#include <cstring>

namespace {

// Whether the locale's codec reads every ASCII byte as itself; all the
// usual ones (UTF-8, Latin-1, the Windows code pages) do.
bool localeKeepsAscii()
{
    static const bool keeps = [] {
        QByteArray ascii;
        for (int c = 1; c < 128; ++c)
            ascii += char(c);
        const QTextCodec *codec = QTextCodec::codecForLocale();
        return codec && codec->toUnicode(ascii) == QLatin1String(ascii);
    }();
    return keeps;
}

bool isAscii(const char *s, qint64 n)
{
    quint64 any = 0;
    qint64 i = 0;
    for (; i + 8 <= n; i += 8) {
        quint64 word;
        std::memcpy(&word, s + i, 8);
        any |= word;
    }
    for (; i < n; ++i)
        any |= uchar(s[i]);
    return !(any & 0x8080808080808080ull);
}

QString readThroughStream(QFile &file)
{
    file.setTextModeEnabled(true);
    return QTextStream(&file).readAll();
}

} // namespace

QString readFile(QString path)
{
    QString text;
    if (path.isEmpty())
        return text;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return text;
    // Job files are ASCII: widened straight into the text as they are read,
    // with every CR dropped as text mode drops them. Anything else (a byte order
    // mark, a first byte of zero, any byte past ASCII) goes through the text
    // stream from the start, so that it decodes exactly as it always has.
    if (file.isSequential() || !localeKeepsAscii())
        return readThroughStream(file);
    const qint64 size = file.size();
    if (size >= (qint64(1) << 30))
        return readThroughStream(file);
    text.reserve(int(size));
    char chunk[1 << 16];
    bool first = true;
    for (;;) {
        const qint64 n = file.read(chunk, sizeof chunk);
        if (n <= 0)
            break;
        if (!isAscii(chunk, n) || (first && chunk[0] == 0)) {
            text.clear();
            file.seek(0);
            return readThroughStream(file);
        }
        first = false;
        const char *from = chunk;
        const char *const end = chunk + n;
        while (const char *cr
            = static_cast<const char *>(std::memchr(from, '\r', size_t(end - from)))) {
            text.append(QLatin1String(from, int(cr - from)));
            from = cr + 1;
        }
        text.append(QLatin1String(from, int(end - from)));
    }
    // as the stream gives it: null when there was nothing to read
    return first ? QString() : text;
}
