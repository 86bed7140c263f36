#include "cutterwindow.h"

#include "cutterfirmware.h"
#include "dialogs.h"
#include "units.h"
#include "workfolder.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {
constexpr double kUnitsPerMm = Units::plotterUnitsPerMm;

// The picture keeps a stroke's points a quarter millimetre apart at the
// least, finer than a pixel of the sheet as the window shows it, and at most
// this many points a sheet, dropping its oldest strokes past them: a job of
// millions of points costs the window a few megabytes.
constexpr double kKeepApart = 0.25 * kUnitsPerMm;
constexpr int kSheetPoints = 500000;

CutterStroke thinned(const CutterStroke &s)
{
    if (s.points.size() <= 2)
        return s;
    CutterStroke out { s.pen, {} };
    QPointF last = s.points.first();
    out.points << last;
    for (int i = 1; i + 1 < s.points.size(); ++i) {
        const QPointF d = s.points[i] - last;
        if (std::abs(d.x()) + std::abs(d.y()) >= kKeepApart)
            out.points << (last = s.points[i]);
    }
    out.points << s.points.last();
    out.points.squeeze();
    return out;
}

QColor penColor(int pen)
{
    static const QColor colours[] = { Qt::black, QColor(30, 90, 220), QColor(220, 30, 30),
        QColor(20, 150, 60), QColor(200, 0, 200), QColor(230, 130, 0) };
    return colours[pen >= 0 && pen < 6 ? pen : 0];
}

// One line of status text: printable as it is, the rest as dots, cut short.
QString shown(const QByteArray &bytes)
{
    QString s;
    for (const char ch : bytes.left(60))
        s += uchar(ch) >= 0x20 && uchar(ch) < 0x7f ? QChar(ch) : QChar('.');
    if (bytes.size() > 60)
        s += QStringLiteral("... (%1 bytes)").arg(bytes.size());
    return s;
}

int feedLength(const QByteArray &text)
{
    static const QByteArray feed = ";CMD:" + QByteArray::number(CutterFirmware::Feed) + ',';
    const int at = text.indexOf(feed);
    if (at < 0)
        return -1;
    const int from = at + feed.size();
    const int end = text.indexOf(';', from);
    return std::abs(text.mid(from, end < 0 ? -1 : end - from).toInt());
}
} // namespace

// Three lines that keep their height whatever they say: a long command is
// cut short in its middle to the width there is, so the picture above never
// moves.
class CutterWindow::StatusLines : public QLabel
{
public:
    explicit StatusLines(QWidget *parent)
        : QLabel(parent)
    {
        setTextFormat(Qt::PlainText);
        setTextInteractionFlags(Qt::TextSelectableByMouse);
        setText(QStringLiteral("-\n-\n-"));
        setFixedHeight(sizeHint().height());
        // a long command must not widen the window either
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    }

    void setLines(const QStringList &lines)
    {
        full = lines;
        fit();
    }

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        QLabel::resizeEvent(event);
        fit();
    }

private:
    void fit()
    {
        QStringList shown;
        for (const QString &line : qAsConst(full))
            shown << fontMetrics().elidedText(line, Qt::ElideMiddle, contentsRect().width());
        setText(shown.join('\n'));
    }

    QStringList full;
};

// The drawing: cutter frame, x across the sheet, y down it, plotter units.
// What the cutter was sent is drawn as it works it off: each move and stroke
// shows over the time the cutter is busy with it, at its speeds.
class CutterWindow::Sheet : public QWidget
{
public:
    explicit Sheet(QWidget *parent)
        : QWidget(parent)
    {
        setMinimumSize(300, 380);
        clock.setInterval(30);
        QObject::connect(&clock, &QTimer::timeout, this, [this] {
            advance(usbClockMs());
            update();
        });
    }

    QSizeF size { 210 * kUnitsPerMm, 297 * kUnitsPerMm };
    QList<CutterStroke> strokes;
    QList<QLineF> moves;
    int points = 0; // in strokes
    QPointF head;
    int sheets = 0;
    int jobs = 0;

    void newSheet(int length)
    {
        strokes.clear();
        moves.clear();
        if (!steps.isEmpty())
            head = steps.last().path.points.last();
        steps.clear();
        points = 0;
        if (length > 0)
            size.setHeight(length);
        ++sheets;
    }

    // Queues the strokes of `job` and the moves between them, from where the
    // last queued step ends, with the cutter's timing; `to` is where the tool
    // stands after it.
    void draw(const CutterJob &job, const QPointF &to, const CutterTiming &timing, qint64 atMs)
    {
        const bool cuts = !job.strokes.isEmpty() || !job.header.isEmpty();
        qint64 at = std::max(atMs, steps.isEmpty() ? atMs : steps.last().endMs)
            + (cuts ? timing.jobOverheadMs : timing.moveOverheadMs);
        QPointF from = steps.isEmpty() ? head : steps.last().path.points.last();
        auto queue = [&](const CutterStroke &path, bool cut) {
            const double length = path.length();
            const double speed = cut ? timing.cutUnitsPerMs : timing.moveUnitsPerMs;
            const qint64 ms = speed > 0 ? qint64(length / speed) : 0;
            steps.append(Step { path, cut, length, at, at + ms });
            at += ms;
            from = path.points.last();
        };
        for (const CutterStroke &s : job.strokes) {
            if (s.points.isEmpty())
                continue;
            if (s.points.first() != from)
                queue(CutterStroke { 0, { from, s.points.first() } }, false);
            queue(s, true);
        }
        if (to != from)
            queue(CutterStroke { 0, { from, to } }, false);
        advance(usbClockMs());
        if (!steps.isEmpty())
            clock.start();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillRect(rect(), QColor(90, 95, 100));
        // the frame holds every move and what is still to come, so it keeps
        // its scale while the tool goes
        QRectF world(QPointF(0, 0), size);
        for (const CutterStroke &s : qAsConst(strokes))
            world |= QPolygonF(s.points).boundingRect().adjusted(0, 0, 1, 1);
        for (const QLineF &m : qAsConst(moves))
            world |= QRectF(m.p1(), m.p2()).normalized().adjusted(0, 0, 1, 1);
        for (const Step &s : qAsConst(steps))
            world |= QPolygonF(s.path.points).boundingRect().adjusted(0, 0, 1, 1);
        world |= QRectF(head, QSizeF(1, 1));
        const QRectF area = QRectF(rect()).adjusted(12, 12, -12, -24);
        const double k = std::min(area.width() / world.width(), area.height() / world.height());
        QTransform t;
        t.translate(area.left() - world.left() * k, area.top() - world.top() * k);
        t.scale(k, k);

        p.fillRect(t.mapRect(QRectF(QPointF(0, 0), size)), Qt::white);
        QPen dashed(QColor(150, 150, 150), 1, Qt::DashLine);
        p.setPen(dashed);
        for (const QLineF &m : qAsConst(moves))
            p.drawLine(t.map(m));
        for (const CutterStroke &s : qAsConst(strokes)) {
            p.setPen(QPen(penColor(s.pen), 1.5));
            p.drawPolyline(t.map(QPolygonF(s.points)));
        }
        if (busy.points.size() > 1) {
            p.setPen(busyCut ? QPen(penColor(busy.pen), 1.5) : dashed);
            p.drawPolyline(t.map(QPolygonF(busy.points)));
        }
        const QPointF h = t.map(head);
        p.setPen(QPen(QColor(230, 0, 0), 2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(h, 6, 6);
        p.drawLine(h - QPointF(10, 0), h + QPointF(10, 0));
        p.drawLine(h - QPointF(0, 10), h + QPointF(0, 10));

        p.setPen(Qt::white);
        p.drawText(QRectF(rect()).adjusted(12, 0, -12, -4), Qt::AlignBottom | Qt::AlignLeft,
            QStringLiteral("sheet %1 x %2 mm, sheets fed %3, jobs %4")
                .arg(size.width() / kUnitsPerMm, 0, 'f', 0)
                .arg(size.height() / kUnitsPerMm, 0, 'f', 0)
                .arg(sheets)
                .arg(jobs));
    }

private:
    struct Step
    {
        CutterStroke path;
        bool cut = false; // a stroke; otherwise a move with the tool up
        double length = 0;
        qint64 startMs = 0;
        qint64 endMs = 0;
    };

    // Steps whose time has passed are drawn whole, the one under way as far
    // as the tool has come.
    void advance(qint64 now)
    {
        busy = CutterStroke();
        while (!steps.isEmpty() && steps.first().endMs <= now) {
            const Step s = steps.takeFirst();
            if (s.cut) {
                strokes << s.path;
                points += s.path.points.size();
            } else {
                moves << QLineF(s.path.points.first(), s.path.points.last());
            }
            head = s.path.points.last();
        }
        while (points > kSheetPoints && strokes.size() > 1)
            points -= strokes.takeFirst().points.size();
        while (moves.size() > kSheetPoints / 2)
            moves.removeFirst();
        if (steps.isEmpty()) {
            clock.stop();
            return;
        }
        const Step &s = steps.first();
        if (now <= s.startMs)
            return;
        double left = s.length * double(now - s.startMs) / double(s.endMs - s.startMs);
        busy.pen = s.path.pen;
        busyCut = s.cut;
        busy.points << s.path.points.first();
        for (int i = 1; i < s.path.points.size(); ++i) {
            const QLineF piece(s.path.points[i - 1], s.path.points[i]);
            if (piece.length() >= left) {
                busy.points << piece.pointAt(piece.length() > 0 ? left / piece.length() : 1.0);
                break;
            }
            busy.points << s.path.points[i];
            left -= piece.length();
        }
        head = busy.points.last();
    }

    QList<Step> steps; // queued, in the order the cutter works them off
    CutterStroke busy; // the part of the first step done so far
    bool busyCut = false;
    QTimer clock;
};

CutterWindow::CutterWindow(EmulatedCutter *cutter, QWidget *parent)
    : QWidget(parent)
    , cutter(cutter)
    , sheet(new Sheet(this))
    , status(new StatusLines(this))
{
    setWindowTitle(QStringLiteral("Emulated cutter - %1").arg(cutter->instanceName()));
    auto *save = new QPushButton(QStringLiteral("Save PNG..."), this);
    connect(save, &QPushButton::clicked, this, [this] {
        const QString file = dialogs::getSaveFileName(this, QStringLiteral("Save picture"),
            workFolder() + QStringLiteral("cutter.png"), QStringLiteral("PNG (*.png)"));
        if (!file.isEmpty() && !savePicture(file))
            dialogs::warning(
                this, QStringLiteral("Warning"), QStringLiteral("Cannot write %1").arg(file));
    });
    auto *row = new QHBoxLayout;
    row->addWidget(status, 1);
    row->addWidget(save);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(sheet, 1);
    layout->addLayout(row);
    resize(460, 640);

    plugged = cutter->isPlugged();
    sheet->head = cutter->toolPosition();
    showStatus();
    cutter->setObserver([this](const CutterEvent &e) {
        QMetaObject::invokeMethod(
            this, [this, e] { take(e); }, Qt::QueuedConnection);
    });
}

CutterWindow::~CutterWindow()
{
    cutter->setObserver({});
}

void CutterWindow::take(const CutterEvent &e)
{
    switch (e.kind) {
    case CutterEvent::Plugged:
    case CutterEvent::Unplugged:
        plugged = e.kind == CutterEvent::Plugged;
        break;
    case CutterEvent::Replied:
        lastReply = e.bytes;
        break;
    case CutterEvent::Wrote: {
        lastCommand = e.bytes;
        lastReply.clear();
        const int feed = feedLength(e.bytes);
        if (feed >= 0)
            sheet->newSheet(feed);
        // Anything but device commands moves the tool or cuts.
        QByteArray hpgl = e.bytes;
        for (int at; (at = hpgl.indexOf(";CMD:")) >= 0;) {
            const int end = hpgl.indexOf(';', at + 5);
            hpgl.remove(at, end < 0 ? hpgl.size() - at : end - at + 1);
        }
        if (!hpgl.trimmed().isEmpty()) {
            QList<CutterStroke> strokes;
            CutterJob job = EmulatedCutter::parseJob(
                hpgl, [&strokes](CutterStroke &&s) { strokes << thinned(s); });
            job.strokes = std::move(strokes);
            if (!job.strokes.isEmpty() || !job.header.isEmpty())
                ++sheet->jobs;
            sheet->draw(job, e.tool, cutter->timing(), e.atMs);
        }
        break;
    }
    }
    showStatus();
    sheet->update();
}

void CutterWindow::showStatus()
{
    status->setLines({ plugged ? QStringLiteral("Plugged in") : QStringLiteral("Unplugged"),
        QStringLiteral("Last command: ")
            + (lastCommand.isEmpty() ? QStringLiteral("-") : shown(lastCommand)),
        QStringLiteral("Reply: ")
            + (lastReply.isEmpty() ? QStringLiteral("-") : shown(lastReply)) });
}

QImage CutterWindow::picture() const
{
    return sheet->grab().toImage();
}

bool CutterWindow::savePicture(const QString &file) const
{
    return picture().save(file, "PNG");
}
