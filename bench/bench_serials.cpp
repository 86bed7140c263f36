// QR serials over a full "QR Jobs/": how long a mark holds config.ini's lock
// and how long the whole mark takes, with 0 to 250,000 jobs filed, for one
// copy of the program alone and for four copies pressing marks at once.
//   bench_serials [ROUNDS]   ROUNDS marks per copy (10)
// Each copy is a fresh process (tests/app/markcopy) on one work folder in the
// temporary folder. Times are wall-clock medians and maxima over every mark
// that drew a label; "numbers" counts the distinct labels, "refused" the
// marks that drew nothing because the serial could not be stored. "held"
// runs from the making of config.ini's lock file to its removal.

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

struct Line
{
    QList<qint64> markUs, heldUs;
    QSet<int> numbers;
    int labels = 0;
    int refused = 0;
};

qint64 median(QList<qint64> v)
{
    if (v.isEmpty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

qint64 maximum(const QList<qint64> &v)
{
    return v.isEmpty() ? 0 : *std::max_element(v.begin(), v.end());
}

void fill(const QString &jobs, int count)
{
    QDir().mkpath(jobs);
    for (int i = 1; i <= count; ++i) {
        QFile f(jobs + QString::number(10000000 + i) + QStringLiteral(".plt"));
        if (!f.open(QIODevice::WriteOnly))
            qFatal("cannot file job %d", i);
    }
}

Line run(const QString &documents, int copies, int rounds)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VEMO_PUBLIC_DOCUMENTS"), documents);
    env.insert(QStringLiteral("VEMO_USB_NO_DEFAULT"), QStringLiteral("1"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // set up first, then all press together
    const QString startAt = QString::number(QDateTime::currentMSecsSinceEpoch() + 3000);
    QList<QProcess *> running;
    for (int c = 1; c <= copies; ++c) {
        auto *p = new QProcess;
        p->setProcessEnvironment(env);
        p->start(QStringLiteral(MARKCOPY_PATH),
            { QString::number(c), QString::number(rounds), QStringLiteral("--start-at"), startAt });
        running << p;
    }
    Line line;
    for (QProcess *p : running) {
        if (!p->waitForFinished(600000) || p->exitCode() != 0)
            qFatal("a copy failed: %s", p->readAllStandardError().constData());
        const QStringList out = QString::fromUtf8(p->readAllStandardOutput()).split('\n');
        for (const QString &l : out) {
            const QStringList f = l.split(' ');
            if (l.startsWith(QLatin1String("message Could not save the QR serial number")))
                ++line.refused;
            // a refused mark held nothing and drew nothing: not in the times
            if (f.value(0) != QLatin1String("round") || f.value(3) == QLatin1String("none"))
                continue;
            line.markUs << f.value(7).toLongLong();
            line.heldUs << f.value(9).toLongLong();
            ++line.labels;
            line.numbers << f.value(1).toInt();
        }
        delete p;
    }
    return line;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    std::printf("%8s %7s %8s %8s %8s %8s %7s %8s %8s\n", "filed", "copies", "held ms", "held max",
        "mark ms", "mark max", "labels", "numbers", "refused");
    for (int filed : { 0, 10000, 100000, 250000 }) {
        QTemporaryDir documents;
        const QString work = documents.path() + QStringLiteral("/VemoCommonPlugin/");
        fill(work + QStringLiteral("QR Jobs/"), filed);
        for (int copies : { 1, 4 }) {
            const Line l = run(documents.path(), copies, rounds);
            std::printf("%8d %7d %8.2f %8.2f %8.1f %8.1f %7d %8d %8d\n", filed, copies,
                median(l.heldUs) / 1000.0, maximum(l.heldUs) / 1000.0, median(l.markUs) / 1000.0,
                maximum(l.markUs) / 1000.0, l.labels, int(l.numbers.size()), l.refused);
            std::fflush(stdout);
        }
    }
    return 0;
}
