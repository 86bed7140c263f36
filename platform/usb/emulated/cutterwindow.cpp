#include "cutterwindow.h"

#include "dialogs.h"
#include "workfolder.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace {
constexpr double kUnitsPerMm = 40.0;

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
    const int at = text.indexOf(";CMD:20,");
    if (at < 0)
        return -1;
    const int end = text.indexOf(';', at + 8);
    return std::abs(text.mid(at + 8, end < 0 ? -1 : end - at - 8).toInt());
}
} // namespace

// The drawing: cutter frame, x across the sheet, y down it, plotter units.
class CutterWindow::Sheet : public QWidget
{
public:
    explicit Sheet(QWidget *parent)
        : QWidget(parent)
    {
        setMinimumSize(300, 380);
    }

    QSizeF size { 210 * kUnitsPerMm, 297 * kUnitsPerMm };
    QList<CutterStroke> strokes;
    QList<QLineF> moves;
    QPointF head;
    int sheets = 0;
    int jobs = 0;

    void newSheet(int length)
    {
        strokes.clear();
        moves.clear();
        if (length > 0)
            size.setHeight(length);
        ++sheets;
    }

    void draw(const CutterJob &job, const QPointF &to)
    {
        QPointF at = head;
        for (const CutterStroke &s : job.strokes) {
            if (s.points.isEmpty())
                continue;
            if (s.points.first() != at)
                moves << QLineF(at, s.points.first());
            strokes << s;
            at = s.points.last();
        }
        if (to != at)
            moves << QLineF(at, to);
        head = to;
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillRect(rect(), QColor(90, 95, 100));
        QRectF world(QPointF(0, 0), size);
        for (const CutterStroke &s : qAsConst(strokes))
            for (const QPointF &pt : s.points)
                world |= QRectF(pt, QSizeF(1, 1));
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
};

CutterWindow::CutterWindow(EmulatedCutter *cutter, QWidget *parent)
    : QWidget(parent)
    , cutter(cutter)
    , sheet(new Sheet(this))
    , status(new QLabel(this))
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
    status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    status->setWordWrap(true);
    // a long command has no place to wrap; it must not widen the window
    status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
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
            const CutterJob job = EmulatedCutter::parseJob(hpgl);
            if (!job.strokes.isEmpty() || !job.header.isEmpty())
                ++sheet->jobs;
            sheet->draw(job, e.tool);
        }
        break;
    }
    }
    showStatus();
    sheet->update();
}

void CutterWindow::showStatus()
{
    status->setText(QStringLiteral("%1\nLast command: %2\nReply: %3")
                        .arg(plugged ? QStringLiteral("Plugged in") : QStringLiteral("Unplugged"),
                            lastCommand.isEmpty() ? QStringLiteral("-") : shown(lastCommand),
                            lastReply.isEmpty() ? QStringLiteral("-") : shown(lastReply)));
}

QImage CutterWindow::picture() const
{
    return sheet->grab().toImage();
}

bool CutterWindow::savePicture(const QString &file) const
{
    return picture().save(file, "PNG");
}
