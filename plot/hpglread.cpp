#include "hpgltool.h"
#include "wholeunits.h"

#include <climits>
#include <cmath>
#include <vector>

namespace {

using wholeunits::isDegenerate;

// Whether s, which starts where t ends, runs on in t's direction. The
// exact test takes two arc tangents; segments that clearly turn (more than
// 1e-6 rad, far above the threshold) are refused without them. Both must be
// of a length whose square the fast test can hold, as the reader's whole,
// never degenerate segments are.
Q_ALWAYS_INLINE bool continues(const QLineF &t, const QLineF &s)
{
    const double tx = t.dx(), ty = t.dy(), sx = s.dx(), sy = s.dy();
    const double dot = tx * sx + ty * sy;
    const double cross = tx * sy - ty * sx;
    if (dot <= 0 || cross * cross > 1e-12 * (tx * tx + ty * ty) * (sx * sx + sy * sy))
        return false;
    // One direction exactly; the arc tangents would agree to the last bits.
    if (cross == 0)
        return true;
    return t.angleTo(s) < double(1e-5f);
}

// Whether s continues t in the same direction, so that t can absorb it.
bool joins(const QLineF &t, const QLineF &s)
{
    if (!(t.p2() == s.p1()))
        return false;
    const double tt = t.dx() * t.dx() + t.dy() * t.dy(), ss = s.dx() * s.dx() + s.dy() * s.dy();
    if (tt > 1e-100 && tt < 1e100 && ss > 1e-100 && ss < 1e100 && !t.isNull() && !s.isNull())
        return continues(t, s);
    return t.angleTo(s) < double(1e-5f);
}

// Collects the segments of one path, merging each into the one before it
// where they run on in one direction. They gather in a buffer that is kept
// from path to path, so each path's list is allocated once, at its size.
class MergingPath
{
public:
    template <bool (*Joins)(const QLineF &, const QLineF &) = joins> void add(const QLineF &s)
    {
        if (!m_hasLast) {
            m_last = s;
            m_hasLast = true;
        } else if (Joins(m_last, s)) {
            m_last.setP2(s.p2());
        } else {
            m_lines.push_back(m_last);
            m_last = s;
        }
    }
    QList<QLineF> take()
    {
        if (m_hasLast)
            m_lines.push_back(m_last);
        m_hasLast = false;
        QList<QLineF> out;
        out.reserve(int(m_lines.size()));
        for (const QLineF &s : m_lines)
            out.append(s);
        m_lines.clear();
        return out;
    }

private:
    std::vector<QLineF> m_lines;
    QLineF m_last;
    bool m_hasLast = false;
};

inline bool isDigit(ushort c)
{
    return unsigned(c - '0') < 10u;
}

constexpr qint64 kDigitCap = qint64(1) << 40; // well past the int range

// Reads a run of digits into v, which stops growing past the cap; returns
// where the run ends.
inline const ushort *digitRun(const ushort *p, const ushort *end, qint64 &v)
{
    for (; p != end && isDigit(*p); ++p) {
        if (v <= kDigitCap)
            v = v * 10 + (*p - '0');
    }
    return p;
}

// The int a sign and a run of digits stand for, as QString::toInt gives it:
// 0 outside the int range.
inline int intValue(bool negative, qint64 v)
{
    if (negative)
        v = -v;
    return v < INT_MIN || v > INT_MAX ? 0 : int(v);
}

// Reads an optional "-" and a run of at least one digit at p, in a text
// that ends with a null character; returns where it ends, or nullptr when
// there is no digit.
inline const ushort *signedRun(const ushort *p, int &value)
{
    const bool negative = *p == '-';
    if (negative)
        ++p;
    if (!isDigit(*p))
        return nullptr;
    const ushort *q = p;
    quint64 v = 0;
    do {
        v = v * 10 + (*q++ - '0');
    } while (isDigit(*q));
    // Twelve digits stay below the cap; a longer run is read again with it.
    qint64 capped = 0;
    if (q - p <= 12)
        capped = qint64(v);
    else
        digitRun(p, q, capped);
    value = intValue(negative, capped);
    return q;
}

// The pair of an export, "x,y" ended by "," or ";", read at once from p in
// a null-terminated text; returns where its end mark is, or nullptr when the
// text there is of any other form, which the states then read character by
// character.
inline const ushort *plainPair(const ushort *p, int &x, int &y)
{
    p = signedRun(p, x);
    if (!p || *p != ',')
        return nullptr;
    p = signedRun(p + 1, y);
    if (!p || (*p != ',' && *p != ';'))
        return nullptr;
    return p;
}

// A number being read, converted as QString::toInt would convert its text:
// an optional leading "-" and at least one digit, inside the int range; 0
// for anything else.

class IntBuffer
{
public:
    bool isEmpty() const { return !m_any; }
    void clear() { m_any = m_negative = m_bad = m_digits = false, m_value = 0; }
    void pushMinus()
    {
        if (m_any)
            m_bad = true;
        m_negative = m_any = true;
    }
    // Takes the run of digits that starts at p; returns where it ends.
    const ushort *pushDigits(const ushort *p, const ushort *end)
    {
        m_any = m_digits = true;
        return digitRun(p, end, m_value);
    }
    int value() const { return m_bad || !m_digits ? 0 : intValue(m_negative, m_value); }

private:
    qint64 m_value = 0;
    bool m_any = false, m_negative = false, m_bad = false, m_digits = false;
};

enum class State
{
    Command,
    AfterP,
    AfterS,
    AfterL,
    X,
    Y,
    PenNumber,
    LineType
};

class Reader
{
public:
    QList<CutPath> read(const QString &text);

private:
    Q_ALWAYS_INLINE void applyPair(int x, int y);
    void closePath();
    void lineTypeSeparator();
    void lineTypeEnd();

    bool m_penDown = false;
    int m_curX = 0, m_curY = 0;
    bool m_hasPrev = false;
    int m_prevX = 0, m_prevY = 0;
    // The pen and line type in force, and those of the open path; their
    // lines stay empty.
    CutPath m_current;
    CutPath m_open;
    MergingPath m_path;
    QList<CutPath> m_result;
    QString m_penBuf, m_ltBuf;
    int m_k = 0;
};

QList<CutPath> Reader::read(const QString &text)
{
    State state = State::Command;
    IntBuffer xBuf, yBuf;
    int x = 0;
    const ushort *p = text.utf16(); // null-terminated, which plainPair relies on
    const ushort *const end = p + text.size();
    for (; p != end; ++p) {
        const ushort c = *p;
        switch (state) {
        case State::X:
            if (xBuf.isEmpty()) {
                int y = 0;
                if (const ushort *mark = plainPair(p, x, y)) {
                    applyPair(x, y);
                    state = *mark == ',' ? State::X : State::Command;
                    p = mark;
                    break;
                }
            }
            if (isDigit(c)) {
                p = xBuf.pushDigits(p, end) - 1;
            } else if (c == ',' || c == ' ') {
                if (!xBuf.isEmpty()) {
                    x = xBuf.value();
                    xBuf.clear();
                    state = State::Y;
                }
            } else if (c == '-') {
                xBuf.pushMinus();
            } else if (c == ';') {
                // an x without its y: its digits must not reach the next x
                xBuf.clear();
                state = State::Command;
            }
            break;
        case State::Y:
            if (isDigit(c)) {
                p = yBuf.pushDigits(p, end) - 1;
            } else if (c == ',' || c == ';') {
                applyPair(x, yBuf.value());
                yBuf.clear();
                state = c == ',' ? State::X : State::Command;
            } else if (c == '-') {
                yBuf.pushMinus();
            }
            break;
        case State::Command:
            if (c == 'P')
                state = State::AfterP;
            else if (c == 'S')
                state = State::AfterS;
            else if (c == 'L')
                state = State::AfterL;
            break;
        case State::AfterP:
            state = State::X;
            if (c == 'U')
                m_penDown = false;
            else if (c == 'D')
                m_penDown = true;
            else if (c != 'A')
                state = State::Command;
            break;
        case State::AfterS:
            state = c == 'P' ? State::PenNumber : State::Command;
            break;
        case State::AfterL:
            state = c == 'T' ? State::LineType : State::Command;
            break;
        case State::PenNumber:
            if (c == ';') {
                m_current.pen = m_penBuf.toInt();
                m_penBuf.clear();
                state = State::Command;
            } else if (isDigit(c)) {
                m_penBuf.append(QChar(c));
            }
            break;
        case State::LineType:
            if (c == ' ' || c == ',') {
                lineTypeSeparator();
            } else if (c == ';') {
                lineTypeEnd();
                state = State::Command;
            } else if (c == '-' || c == '.' || isDigit(c)) {
                m_ltBuf.append(QChar(c));
            }
            break;
        }
    }
    closePath();
    return m_result;
}

void Reader::lineTypeSeparator()
{
    if (m_k == 0) {
        m_current.lineType = m_ltBuf.toInt();
        m_ltBuf.clear();
        m_k = 1;
    } else if (m_k == 1) {
        m_current.patternLength = m_ltBuf.toDouble();
        m_ltBuf.clear();
        m_k = 2;
    }
}

void Reader::lineTypeEnd()
{
    if (m_k == 0 && m_ltBuf.isEmpty())
        m_current.lineType = 0, m_current.patternLength = 0.0, m_current.lineTypeMode = 0;
    else if (m_k == 0)
        m_current.lineType = m_ltBuf.toInt();
    else if (m_k == 1)
        m_current.patternLength = m_ltBuf.toDouble();
    else
        m_current.lineTypeMode = m_ltBuf.toInt();
    m_ltBuf.clear();
    m_k = 0;
}

void Reader::applyPair(int x, int y)
{
    if (!m_penDown) {
        m_curX = x, m_curY = y;
        return;
    }
    // Whole coordinates: Qt's fuzzy point comparison and the whole-unit
    // degeneracy rule are both plain equality here.
    if (!m_hasPrev || m_curX != m_prevX || m_curY != m_prevY) {
        if (m_hasPrev)
            closePath();
        m_open = m_current;
    }
    if (m_curX != x || m_curY != y)
        m_path.add<continues>(QLineF(m_curX, m_curY, x, y)); // starts at the last end
    m_prevX = x, m_prevY = y;
    m_hasPrev = true;
    m_curX = x, m_curY = y;
}

void Reader::closePath()
{
    QList<QLineF> lines = m_path.take();
    if (lines.isEmpty())
        return;
    CutPath path = m_open;
    path.lines = std::move(lines);
    m_result.append(std::move(path));
}

CutPath emptyLike(const CutPath &path)
{
    CutPath out;
    out.pen = path.pen;
    out.lineType = path.lineType;
    out.patternLength = path.patternLength;
    out.lineTypeMode = path.lineTypeMode;
    return out;
}

} // namespace

QList<CutPath> HpglTool::readPlt(QString text)
{
    // Dropping and merging work path by path, so they are done while each
    // path is read; the result equals mergeCollinear(dropDegenerate(paths)).
    return Reader().read(text);
}

QList<CutPath> HpglTool::dropDegenerate(QList<CutPath> paths)
{
    QList<CutPath> result;
    result.reserve(paths.size());
    for (const CutPath &path : qAsConst(paths)) {
        CutPath out = emptyLike(path);
        out.lines.reserve(path.lines.size());
        for (const QLineF &s : path.lines) {
            if (!isDegenerate(s))
                out.lines.append(s);
        }
        if (!out.lines.isEmpty())
            result.append(std::move(out));
    }
    return result;
}

QList<CutPath> HpglTool::mergeCollinear(QList<CutPath> paths)
{
    QList<CutPath> result;
    result.reserve(paths.size());
    MergingPath merged;
    for (const CutPath &path : qAsConst(paths)) {
        CutPath out = emptyLike(path);
        for (const QLineF &s : path.lines)
            merged.add(s);
        out.lines = merged.take();
        if (!out.lines.isEmpty())
            result.append(std::move(out));
    }
    return result;
}
