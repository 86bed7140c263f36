#pragma once

// Checks the fuzz targets share: each stops the run on the first fault.
#include <QString>

#include <cstdio>
#include <cstdlib>

inline void fail(const char *what)
{
    std::fprintf(stderr, "fuzz: %s\n", what);
    std::abort();
}

// Upper-case letters, digits and , ; - ! are all the writers may produce.
inline void checkJobText(const QString &text)
{
    for (const QChar c : text) {
        const ushort u = c.unicode();
        const bool ok = (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == ',' || u == ';'
            || u == '-' || u == '!';
        if (!ok)
            fail("writer output holds a character HPGL does not use");
    }
}
