// The reference line of bench_process: about the least a program can do to
// turn an export into the same job text as HpglTool::writePens, in plain
// C++ without Qt.
//   process_reference IN OUT
// It reads the file at once, keeps whole points in one array (a path is a
// range of it), and writes the text into one buffer. It knows only what the
// generated export holds: "PU", "PD", "PA" with pairs, "SP" with a pen.
// Segments of zero length are dropped and runs in one direction merged, by
// the reader's rule, so the text is the same.

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

struct Point
{
    int x, y;
};

struct Path
{
    int pen;
    size_t first; // index of the start point in the point array
    size_t count; // points, the start included
};

std::vector<char> readAll(const char *name)
{
    std::vector<char> data;
    FILE *f = std::fopen(name, "rb");
    if (!f)
        return data;
    if (std::fseek(f, 0, SEEK_END) == 0) {
        const long size = std::ftell(f);
        std::rewind(f);
        if (size > 0) {
            data.resize(size_t(size));
            data.resize(std::fread(data.data(), 1, data.size(), f));
        }
    }
    std::fclose(f);
    return data;
}

// Whether the segment b to c runs on from a to b: within 1e-5 degrees (as
// a float), the angles measured as QLineF measures them.
bool continues(Point a, Point b, Point c)
{
    const double tx = b.x - a.x, ty = b.y - a.y, sx = c.x - b.x, sy = c.y - b.y;
    const double dot = tx * sx + ty * sy, cross = tx * sy - ty * sx;
    if (dot <= 0)
        return false;
    if (cross == 0)
        return true;
    if (cross * cross > 1e-12 * (tx * tx + ty * ty) * (sx * sx + sy * sy))
        return false;
    const double rad = 57.29577951308232;
    double ta = std::atan2(-ty, tx) * rad, sa = std::atan2(-sy, sx) * rad;
    if (ta < 0)
        ta += 360;
    if (sa < 0)
        sa += 360;
    double delta = sa - ta;
    if (delta < 0)
        delta += 360;
    if (std::fabs(delta - 360) * 1e12 <= 360)
        delta = 0;
    return delta < double(1e-5f);
}

char *putInt(char *out, int v)
{
    unsigned u = unsigned(v);
    if (v < 0) {
        *out++ = '-';
        u = 0u - u;
    }
    char digits[12];
    int n = 0;
    do {
        digits[n++] = char('0' + u % 10);
        u /= 10;
    } while (u);
    while (n)
        *out++ = digits[--n];
    return out;
}

char *putPoint(char *out, Point p)
{
    out = putInt(out, p.y);
    *out++ = ',';
    return putInt(out, p.x);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: process_reference IN OUT\n");
        return 2;
    }
    const std::vector<char> text = readAll(argv[1]);
    if (text.empty()) {
        std::fprintf(stderr, "process_reference: cannot read %s\n", argv[1]);
        return 1;
    }

    std::vector<Point> points;
    std::vector<Path> paths;
    points.reserve(text.size() / 8);
    bool down = false, open = false;
    int pen = 0;
    Point at { 0, 0 };
    const char *p = text.data();
    const char *const end = p + text.size();
    auto number = [&](int &v) {
        bool negative = false;
        if (p != end && *p == '-')
            negative = true, ++p;
        if (p == end || unsigned(*p - '0') > 9)
            return false;
        int n = 0;
        while (p != end && unsigned(*p - '0') <= 9)
            n = n * 10 + (*p++ - '0');
        v = negative ? -n : n;
        return true;
    };
    while (p != end) {
        const char c = *p++;
        if (c == 'S' && p != end && *p == 'P') {
            ++p;
            int v = 0;
            if (number(v))
                pen = v;
        } else if (c == 'P' && p != end && (*p == 'U' || *p == 'D' || *p == 'A')) {
            if (*p != 'A')
                down = *p == 'D';
            ++p;
            Point q;
            while (number(q.x) && p != end && *p == ',' && (++p, number(q.y))) {
                if (!down) {
                    open = false;
                } else if (q.x != at.x || q.y != at.y) {
                    if (!open) {
                        paths.push_back({ pen, points.size(), 1 });
                        points.push_back(at);
                        open = true;
                    }
                    const size_t n = points.size();
                    if (paths.back().count > 1 && continues(points[n - 2], points[n - 1], q)) {
                        points[n - 1] = q;
                    } else {
                        points.push_back(q);
                        ++paths.back().count;
                    }
                }
                at = q;
                if (p == end || *p != ',')
                    break;
                ++p;
            }
        }
    }

    // Pen 1 first, then the others, each in file order.
    std::vector<char> out(points.size() * 24 + paths.size() * 40 + 64);
    char *o = out.data();
    std::memcpy(o, "IN;PA;", 6);
    o += 6;
    int lastPen = 0;
    for (int pass = 0; pass < 2; ++pass) {
        for (const Path &path : paths) {
            if ((path.pen == 1) != (pass == 0))
                continue;
            if (path.pen != lastPen) {
                *o++ = 'S', *o++ = 'P';
                o = putInt(o, path.pen);
                *o++ = ';';
                lastPen = path.pen;
            }
            const Point *q = points.data() + path.first;
            *o++ = 'P', *o++ = 'U';
            o = putPoint(o, q[0]);
            *o++ = ';', *o++ = 'P', *o++ = 'D';
            for (size_t i = 1; i < path.count; ++i) {
                o = putPoint(o, q[i]);
                *o++ = ',';
            }
            o[-1] = ';';
        }
    }
    std::memcpy(o, "PU;!PG;", 7);
    o += 7;

    FILE *f = std::fopen(argv[2], "wb");
    const size_t n = size_t(o - out.data());
    if (!f || std::fwrite(out.data(), 1, n, f) != n || std::fclose(f) != 0) {
        std::fprintf(stderr, "process_reference: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
