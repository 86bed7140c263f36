// The simulated host lives in the program's process, so the program's own
// restart (the language switch) would take the host's documents with it,
// where the real host runs on its own and keeps them. Just before the
// restart program starts, the host writes its documents to a file in the
// work folder and names it in the environment, which the restart program
// and the restarted copy inherit; that copy opens them in place of the
// start document and removes the file.
#include "simhost_p.h"

#include "process.h"
#include "workfolder.h"

#include <QDataStream>
#include <QFile>
#include <QSaveFile>

#include <algorithm>

namespace simhost {

namespace {

const char *const kVariable = "VEMO_SIMHOST_HANDOVER";
const quint32 kMagic = 0x53484f31; // "SHO1"

QDataStream &operator<<(QDataStream &out, const Cmyk &c)
{
    return out << qint32(c.c) << qint32(c.m) << qint32(c.y) << qint32(c.k);
}

QDataStream &operator>>(QDataStream &in, Cmyk &c)
{
    qint32 v[4] = {};
    in >> v[0] >> v[1] >> v[2] >> v[3];
    c = Cmyk { v[0], v[1], v[2], v[3] };
    return in;
}

void write(QDataStream &out, const Document &doc)
{
    out << doc.id << doc.pageSize << quint32(doc.layers.size());
    for (const Layer &l : doc.layers)
        out << l.id << l.name << l.visible << l.printable << l.editable;
    out << quint32(doc.shapes.size());
    for (const Shape &s : doc.shapes)
        out << s.id << s.layer << s.kind << s.path << s.filled << s.fill << s.outlineWidth
            << s.outline << s.dashed << s.contourOf << s.bitmap;
    out << doc.activeLayer << doc.selection << qint32(doc.referencePoint);
}

bool read(QDataStream &in, Document *doc)
{
    quint32 count = 0;
    in >> doc->id >> doc->pageSize >> count;
    for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        Layer l;
        in >> l.id >> l.name >> l.visible >> l.printable >> l.editable;
        doc->layers.push_back(l);
    }
    in >> count;
    for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        Shape s;
        in >> s.id >> s.layer >> s.kind >> s.path >> s.filled >> s.fill >> s.outlineWidth
            >> s.outline >> s.dashed >> s.contourOf >> s.bitmap;
        doc->shapes.push_back(s);
    }
    qint32 reference = 9;
    in >> doc->activeLayer >> doc->selection >> reference;
    doc->referencePoint = reference;
    return in.status() == QDataStream::Ok;
}

QString handoverFile()
{
    return workFolder() + QStringLiteral("simhost-handover.dat");
}

} // namespace

void SimHost::handOver()
{
    if (d->documents.empty())
        return;
    QSaveFile file(handoverFile());
    if (!file.open(QIODevice::WriteOnly))
        return;
    QDataStream out(&file);
    out.setVersion(QDataStream::Qt_5_15);
    out << kMagic << d->nextId << d->activeDoc << quint32(d->documents.size());
    for (const auto &doc : d->documents)
        write(out, *doc);
    if (out.status() == QDataStream::Ok && file.commit())
        qputenv(kVariable, QFile::encodeName(file.fileName()));
}

bool SimHost::takeOver()
{
    const QString name = qEnvironmentVariable(kVariable);
    if (name.isEmpty())
        return false;
    // for this copy only: its own children start afresh
    qunsetenv(kVariable);
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QDataStream in(&file);
    in.setVersion(QDataStream::Qt_5_15);
    quint32 magic = 0, count = 0;
    quint64 nextId = 0, activeDoc = 0;
    in >> magic >> nextId >> activeDoc >> count;
    std::vector<std::unique_ptr<Document>> documents;
    for (quint32 i = 0; i < count && magic == kMagic && in.status() == QDataStream::Ok; ++i) {
        auto doc = std::make_unique<Document>();
        if (read(in, doc.get()))
            documents.push_back(std::move(doc));
    }
    file.remove();
    if (magic != kMagic || in.status() != QDataStream::Ok || documents.size() != count) {
        qWarning("simulated host: the documents handed over in %s do not read", qPrintable(name));
        return false;
    }
    d->documents = std::move(documents);
    d->activeDoc = activeDoc;
    d->nextId = std::max(d->nextId, nextId);
    return true;
}

} // namespace simhost
