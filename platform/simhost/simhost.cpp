// The simulated host as the tests and the program see it: start and reset,
// fault injection and what it recorded.
#include "simhost_server.h"
#include "simwindow.h"

namespace simhost {

SimHost::SimHost()
    : d(new Private)
{
    d->server = std::make_shared<Server>(d.get());
}

SimHost::~SimHost() = default;

SimHost &SimHost::instance()
{
    // Deliberately never destroyed: the host outlives every wrapper.
    static SimHost *host = new SimHost;
    return *host;
}

QStringList SimHost::progIds()
{
    QStringList ids;
    for (int v = 14; v <= 24; ++v)
        ids << QStringLiteral("CorelDraw.Application.%1").arg(v);
    return ids;
}

void SimHost::install()
{
    SimHost &h = instance();
    for (const QString &id : progIds())
        ax::registerServer(id, h.d->server);
}

void SimHost::reset()
{
    SimWindow::setShown(d.get(), false);
    d->documents.clear();
    d->activeDoc = 0;
    d->handles.clear();
    d->errors.clear();
    d->calls.clear();
    d->faults.clear();
    d->optimization = false;
    d->visible = false;
    d->printAnswer = true;
    d->exportFilter = nullptr;
    d->fileDelayMs = 0;
    d->callObserver = nullptr;
    d->imports.clear();
    d->exports.clear();
    d->pdfs.clear();
    d->printJobs.clear();
    d->startDocumentLoaded = true; // a reset host starts empty
    install();
}

void SimHost::setExportFilter(std::function<QByteArray(const QByteArray &)> filter)
{
    d->exportFilter = std::move(filter);
}

void SimHost::setFileDelay(int ms)
{
    d->fileDelayMs = ms;
}

void SimHost::setCallObserver(std::function<void(const Call &)> observer)
{
    d->callObserver = std::move(observer);
}

void SimHost::setRegistered(const QString &progId, bool registered)
{
    if (registered)
        ax::registerServer(progId, d->server);
    else
        ax::unregisterServer(progId);
}

void SimHost::failMember(const QByteArray &member, int skip, int count)
{
    d->faults << Fault { ax::normalizeMember(member.constData()), skip, count };
}

void SimHost::setPrintDialogAnswer(bool answer)
{
    d->printAnswer = answer;
}

QStringList SimHost::errors() const
{
    return d->errors;
}

const QList<Call> &SimHost::calls() const
{
    return d->calls;
}

QList<Call> SimHost::callsOf(const QByteArray &member) const
{
    const QByteArray m = ax::normalizeMember(member.constData());
    QList<Call> out;
    for (const Call &c : d->calls)
        if (c.member == m)
            out << c;
    return out;
}

void SimHost::clearCalls()
{
    d->calls.clear();
}

bool SimHost::optimization() const
{
    return d->optimization;
}

bool SimHost::windowVisible() const
{
    return d->visible;
}

int SimHost::liveHandles() const
{
    return d->handles.size();
}

const QList<ExportRecord> &SimHost::exports() const
{
    return d->exports;
}

const QList<PdfRecord> &SimHost::pdfs() const
{
    return d->pdfs;
}

const QList<PrintJob> &SimHost::printJobs() const
{
    return d->printJobs;
}

const QList<QImage> &SimHost::importedPictures() const
{
    return d->imports;
}

Document *SimHost::activeDocument()
{
    return d->doc(d->activeDoc);
}

int SimHost::documentCount() const
{
    return int(d->documents.size());
}

} // namespace simhost
