// SPDX-License-Identifier: GPL-3.0-or-later
#include "VersionComparator.h"

#include <QList>

namespace {

enum class TokenKind { number, text, separator };

struct Token
{
    TokenKind kind;
    QStringView text;
};

TokenKind kindOf(QChar c)
{
    if (c.isDigit())
        return TokenKind::number;
    if (c.isLetter())
        return TokenKind::text;
    return TokenKind::separator;
}

QList<Token> tokens(QStringView version)
{
    QList<Token> result;
    qsizetype i = 0;
    while (i < version.size()) {
        const TokenKind kind = kindOf(version[i]);
        qsizetype end = i + 1;
        // Each separator character is a token of its own; digits and letters form runs.
        if (kind != TokenKind::separator) {
            while (end < version.size() && kindOf(version[end]) == kind)
                ++end;
        }
        result.append({kind, version.mid(i, end - i)});
        i = end;
    }
    return result;
}

// Compares digit runs of any length without overflow: leading zeros do not count.
int compareNumbers(QStringView a, QStringView b)
{
    while (a.size() > 1 && a.front() == u'0')
        a = a.mid(1);
    while (b.size() > 1 && b.front() == u'0')
        b = b.mid(1);
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    const int order = a.compare(b);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

} // namespace

int VersionComparator::compare(QStringView a, QStringView b)
{
    const QList<Token> left = tokens(a.trimmed());
    const QList<Token> right = tokens(b.trimmed());
    const qsizetype common = std::min(left.size(), right.size());
    for (qsizetype i = 0; i < common; ++i) {
        const Token &l = left[i];
        const Token &r = right[i];
        if (l.kind == r.kind) {
            int order = 0;
            if (l.kind == TokenKind::number)
                order = compareNumbers(l.text, r.text);
            else if (l.kind == TokenKind::text)
                order = l.text.compare(r.text, Qt::CaseInsensitive);
            if (order != 0)
                return order < 0 ? -1 : 1;
            continue;
        }
        // Different kinds at the same place: a number outranks a letter part (1.1 > 1.b), and
        // a letter part directly after the common prefix marks a pre-release (1.0 > 1.0b).
        if (l.kind == TokenKind::text)
            return -1;
        if (r.kind == TokenKind::text)
            return 1;
        // A number against a separator: the side that goes on with a number is the newer.
        return l.kind == TokenKind::number ? 1 : -1;
    }
    if (left.size() == right.size())
        return 0;
    // One version goes on: more numbers make it newer (1.0.1 > 1.0), letters a pre-release
    // (1.0b1 < 1.0). Zeros and separators decide nothing (1.0.0 == 1.0).
    const QList<Token> &longer = left.size() > right.size() ? left : right;
    const int longerSign = left.size() > right.size() ? 1 : -1;
    for (qsizetype i = common; i < longer.size(); ++i) {
        if (longer[i].kind == TokenKind::text)
            return -longerSign;
        if (longer[i].kind == TokenKind::number && compareNumbers(longer[i].text, u"0") != 0)
            return longerSign;
    }
    return 0;
}
