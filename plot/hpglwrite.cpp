#include "hpgltool.h"
#include "prefetch.h"
#include "wholeunits.h"

#include <QPoint>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

enum class Joint
{
    Integer, // rounded end of one segment equals rounded start of the next
    Fuzzy, // unrounded ends equal under Qt's fuzzy point comparison
};

struct Style
{
    const char *opening;
    const char *closing;
    bool penOrder; // pen-1 paths first, "SP" on every pen change
    bool dashed; // paths with a line type cut as dashes
    Joint joint;
    bool xFirst;
};

const Style kPen1 { "IN;PA;SP1;", "PU;", false, false, Joint::Integer, false };
const Style kPen2 { "SP2;", "PU;!PG;", false, false, Joint::Integer, false };
const Style kPen2Dashed { "SP2;", "PU;!PG;", false, true, Joint::Integer, false };
const Style kPens { "IN;PA;", "PU;!PG;", true, false, Joint::Fuzzy, false };
const Style kPensDashed { "IN;PA;", "PU;!PG;", true, true, Joint::Fuzzy, false };
const Style kPlain { "IN;PA;", "PU;", false, false, Joint::Integer, true };

// Room for one segment at most: ";PU" + point + ";PD" + point + ",".
constexpr int kSegmentRoom = 3 + 23 + 3 + 23 + 1;

// "00" to "99" as text, copied two characters at a time.
struct DigitPairs
{
    ushort c[200];
};

constexpr DigitPairs makeDigitPairs()
{
    DigitPairs pairs {};
    for (int i = 0; i < 100; ++i) {
        pairs.c[2 * i] = ushort('0' + i / 10);
        pairs.c[2 * i + 1] = ushort('0' + i % 10);
    }
    return pairs;
}

constexpr DigitPairs kDigitPairs = makeDigitPairs();

Q_ALWAYS_INLINE int digitCount(quint32 u)
{
    if (u < 100000)
        return u < 100 ? (u < 10 ? 1 : 2) : u < 1000 ? 3 : u < 10000 ? 4 : 5;
    return u < 10000000 ? (u < 1000000 ? 6 : 7) : u < 100000000 ? 8 : u < 1000000000 ? 9 : 10;
}

// Appends ASCII into a QString grown ahead of time, without re-checking the
// size for every character.
class TextBuffer
{
public:
    explicit TextBuffer(int expected) { grow(expected); }

    void reserve(int n)
    {
        if (m_pos + n > m_cap)
            grow(n);
    }
    void put(char c) { m_data[m_pos++] = ushort(c); }
    void put(const char *s)
    {
        while (*s)
            m_data[m_pos++] = ushort(*s++);
    }
    Q_ALWAYS_INLINE void putInt(int v)
    {
        quint32 u = v < 0 ? 0u - quint32(v) : quint32(v);
        if (v < 0)
            m_data[m_pos++] = '-';
        m_pos += digitCount(u);
        ushort *p = m_data + m_pos;
        while (u >= 100) {
            const quint32 r = u % 100;
            u /= 100;
            p -= 2;
            std::memcpy(p, &kDigitPairs.c[2 * r], 2 * sizeof(ushort));
        }
        if (u >= 10) {
            p -= 2;
            std::memcpy(p, &kDigitPairs.c[2 * u], 2 * sizeof(ushort));
        } else {
            *--p = ushort('0' + u);
        }
    }
    void unput() { --m_pos; }
    QString take()
    {
        m_text.truncate(m_pos);
        return std::move(m_text);
    }

private:
    void grow(int n)
    {
        m_cap = qMax(m_cap * 2, m_pos + n + 1024);
        // Exactly this much: resize alone rounds a growing block up to a power
        // of two, which for a large job lands just past the size the allocator
        // still recycles, so every call would start on untouched memory.
        m_text.reserve(m_cap);
        m_text.resize(m_cap);
        m_data = reinterpret_cast<ushort *>(m_text.data());
    }

    QString m_text;
    ushort *m_data = nullptr;
    int m_pos = 0;
    int m_cap = 0;
};

bool isFinite(const QLineF &s)
{
    return std::isfinite(s.x1()) && std::isfinite(s.y1()) && std::isfinite(s.x2())
        && std::isfinite(s.y2());
}

bool inIntRange(const QLineF &s)
{
    const double lim = 2147483647.0;
    return std::fabs(s.x1()) <= lim && std::fabs(s.y1()) <= lim && std::fabs(s.x2()) <= lim
        && std::fabs(s.y2()) <= lim;
}

Q_ALWAYS_INLINE QPoint wholeUnits(const QPointF &p)
{
    using wholeunits::saturatingRound;
    return QPoint(saturatingRound(p.x()), saturatingRound(p.y()));
}

Q_ALWAYS_INLINE void putPoint(TextBuffer &out, const QPoint &p, bool xFirst)
{
    out.putInt(xFirst ? p.x() : p.y());
    out.put(',');
    out.putInt(xFirst ? p.y() : p.x());
}

// One path: a pen-up move to its start, then its segment ends after "PD";
// every break turns into a pen-up move to the start of the next piece.
// Segments with a coordinate that is not a number are left out, as if the
// path had never held them; lines[first] is the first finite one. Each end
// is rounded once, and a start only where it differs from the end before it.
template <typename Lines>
void writeBody(TextBuffer &out, const Lines &lines, int first, const Style &style)
{
    const int n = int(lines.size());
    QLineF prev = lines[first];
    QPoint prevEnd = wholeUnits(prev.p2());
    out.reserve(kSegmentRoom);
    out.put("PU");
    putPoint(out, wholeUnits(prev.p1()), style.xFirst);
    out.put(";PD");
    putPoint(out, prevEnd, style.xFirst);
    out.put(',');
    for (int i = first + 1; i < n; ++i) {
        if (i + 8 < n)
            prefetch(&lines[i + 8]);
        const QLineF s = lines[i];
        if (!isFinite(s))
            continue;
        out.reserve(kSegmentRoom);
        // Equal doubles round alike and are equal under the fuzzy test too.
        const bool same = s.x1() == prev.x2() && s.y1() == prev.y2();
        if (!same) {
            const QPoint start = wholeUnits(s.p1());
            const bool connected
                = style.joint == Joint::Integer ? start == prevEnd : prev.p2() == s.p1();
            if (!connected) {
                out.unput();
                out.put(";PU");
                putPoint(out, start, style.xFirst);
                out.put(";PD");
            }
        }
        prevEnd = wholeUnits(s.p2());
        putPoint(out, prevEnd, style.xFirst);
        out.put(',');
        prev = s;
    }
    out.unput();
    out.put(';');
}

bool isDashed(const CutPath &path)
{
    return path.lineType != 0 || path.patternLength != 0.0 || path.lineTypeMode != 0;
}

constexpr double kMaxDashesPerJob = 1e7;

// Dashes the walk makes of a path: one per period of its length. Splits at
// corners add at most one piece per segment, which the input already holds.
double dashCount(const QList<QLineF> &lines, double period)
{
    double length = 0;
    for (const QLineF &s : lines)
        if (inIntRange(s))
            length += s.length();
    return length / period;
}

// Cuts a path into dashes of posLen with gaps of negLen, starting with a
// dash; the pattern runs on across corners.
std::vector<QLineF> dashWalk(const QList<QLineF> &lines, double posLen, double negLen)
{
    std::vector<QLineF> dashes;
    dashes.reserve(size_t(lines.size()) * 2);
    bool dash = true;
    double remaining = posLen;
    for (QLineF s : lines) {
        // Lengths far below the resolution of the coordinates cannot move the
        // split point; after a dash and a gap that both stood still the rest
        // of the segment is taken whole so the walk ends.
        int stalled = 0;
        // Beyond the int range a segment could not be printed as it is and
        // might hold more dashes than memory: it is left out, like one whose
        // length is not a number. So is one that is not finite, which the
        // test refuses too.
        if (!inIntRange(s))
            continue;
        for (;;) {
            const double length = s.length();
            if (std::isnan(length) || std::isnan(remaining))
                break;
            if (stalled >= 2) {
                if (dash)
                    dashes.push_back(s);
                break;
            }
            if (remaining > length) {
                if (dash)
                    dashes.push_back(s);
                remaining -= length;
                break;
            }
            if (remaining == length) {
                if (dash)
                    dashes.push_back(s);
                dash = !dash;
                remaining = dash ? posLen : negLen;
                break;
            }
            const QPointF p = s.p1() + (s.p2() - s.p1()) * (remaining / length);
            if (dash)
                dashes.push_back(QLineF(s.p1(), p));
            stalled = p.x() == s.x1() && p.y() == s.y1() ? stalled + 1 : 0;
            s.setP1(p);
            dash = !dash;
            remaining = dash ? posLen : negLen;
        }
    }
    return dashes;
}

QString write(const QList<CutPath> &paths, const Style &style, double posLen = 0, double negLen = 0)
{
    // Without positive, finite lengths the walk would never end: write solid.
    const bool dashes = style.dashed && std::isfinite(posLen) && std::isfinite(negLen) && posLen > 0
        && negLen > 0;

    QVector<int> order;
    order.reserve(paths.size());
    if (style.penOrder) {
        for (int i = 0; i < paths.size(); ++i)
            if (paths[i].pen == 1)
                order << i;
        for (int i = 0; i < paths.size(); ++i)
            if (paths[i].pen != 1)
                order << i;
    } else {
        for (int i = 0; i < paths.size(); ++i)
            order << i;
    }

    qint64 segments = 0;
    for (const CutPath &p : paths)
        segments += p.lines.size();
    // Dashes grow with the length cut, not with the input: a few paths
    // spanning the coordinate range would ask for more text than a string
    // holds. Past this budget (ten kilometres of millimetre dashes, far
    // beyond any roll) the remaining dashed paths are written solid. Deciding
    // up front also sizes the text once, dashes included.
    QVector<bool> asDashes(paths.size(), false);
    double dashTotal = 0;
    if (dashes) {
        double budget = kMaxDashesPerJob;
        for (int index : qAsConst(order)) {
            if (!isDashed(paths[index]))
                continue;
            const double count = dashCount(paths[index].lines, posLen + negLen);
            if (count <= budget) {
                budget -= count;
                dashTotal += count;
                asDashes[index] = true;
            }
        }
    }

    const qint64 expected = segments * 16 + paths.size() * 16 + qint64(dashTotal) * 32 + 64;
    TextBuffer out(int(qMin<qint64>(expected, 1 << 28)));
    out.put(style.opening);

    int lastPen = 0;
    for (int index : qAsConst(order)) {
        const CutPath &path = paths[index];
        const QList<QLineF> &lines = path.lines;
        const int first = int(std::find_if(lines.begin(), lines.end(), isFinite) - lines.begin());
        if (first == lines.size())
            continue;
        std::vector<QLineF> cut;
        if (asDashes[index]) {
            cut = dashWalk(lines, posLen, negLen);
            if (cut.empty())
                continue;
        }
        if (style.penOrder && path.pen != lastPen) {
            out.reserve(16);
            out.put("SP");
            out.putInt(path.pen);
            out.put(';');
            lastPen = path.pen;
        }
        if (asDashes[index])
            writeBody(out, cut, 0, style);
        else
            writeBody(out, lines, first, style);
    }
    out.reserve(16);
    out.put(style.closing);
    return out.take();
}

} // namespace

QString HpglTool::writePen1(QList<CutPath> paths)
{
    return write(paths, kPen1);
}

QString HpglTool::writePen2(QList<CutPath> paths)
{
    return write(paths, kPen2);
}

QString HpglTool::writePen2Dashed(QList<CutPath> paths, double posLen, double negLen)
{
    return write(paths, kPen2Dashed, posLen, negLen);
}

QString HpglTool::writePens(QList<CutPath> paths)
{
    return write(paths, kPens);
}

QString HpglTool::writePensDashed(QList<CutPath> paths, double posLen, double negLen)
{
    return write(paths, kPensDashed, posLen, negLen);
}

QString HpglTool::writePlain(QList<CutPath> paths)
{
    return write(paths, kPlain);
}
