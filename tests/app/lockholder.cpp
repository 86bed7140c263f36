// Holds a work file's lock as a copy of the program holds it (Qt's lock
// file), then empties the file and dates it back: what a copy stopped
// between making its lock file and writing its process id into it leaves.
// Prints "held" and waits to be killed.
//
//   lockholder LOCKFILE AGE_SECONDS

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QLockFile>
#include <QThread>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: lockholder LOCKFILE AGE_SECONDS\n");
        return 2;
    }
    const QString path = QFile::decodeName(argv[1]);
    QLockFile lock(path);
    if (!lock.tryLock(0))
        return 1;
    QFile file(path);
    if (!file.resize(0) || !file.open(QIODevice::Append)
        || !file.setFileTime(QDateTime::currentDateTime().addSecs(-QByteArray(argv[2]).toInt()),
            QFileDevice::FileModificationTime))
        return 1;
    file.close();
    std::printf("held\n");
    std::fflush(stdout);
    for (;;)
        QThread::sleep(60);
}
