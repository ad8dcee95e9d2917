// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppcastParser.h"

#include "platform/updates/VersionComparator.h"

#include <QRegularExpression>
#include <QXmlStreamReader>
#include <optional>

namespace {

const QString sparkleNamespace =
    QStringLiteral("http://www.andymatuschak.org/xml-namespaces/sparkle");

Error malformed(const QString &why)
{
    return Error{QStringLiteral("Updates"), AppcastParser::malformedFeed,
                 QStringLiteral("The update feed could not be read: %1").arg(why)};
}

// Only addresses a browser may open without surprise.
QUrl webAddress(const QString &text)
{
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || (url.scheme() != u"https" && url.scheme() != u"http"))
        return {};
    return url;
}

// Release notes come as HTML. They are shown as plain text, so nothing in them is fetched or run:
// block ends become line breaks, list items bullets, scripts and styles vanish, tags are dropped
// and the common entities decoded.
QString plainTextFromHtml(QString html)
{
    static const QRegularExpression hidden(QStringLiteral("<(script|style)\\b[^>]*>.*?</\\1\\s*>"),
                                           QRegularExpression::CaseInsensitiveOption |
                                               QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression lineBreak(
        QStringLiteral("<br\\s*/?>|</(p|div|h[1-6]|li|ul|ol|tr)\\s*>"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression listItem(QStringLiteral("<li\\b[^>]*>"),
                                             QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    static const QRegularExpression numericEntity(QStringLiteral("&#(x?)([0-9a-fA-F]+);"));
    static const QRegularExpression blankLines(QStringLiteral("\\n[ \\t]*(\\n[ \\t]*)+"));

    html.replace(u'\r', QString()).replace(u'\n', u' ');
    html.remove(hidden);
    html.replace(listItem, QStringLiteral("\u2022 "));
    html.replace(lineBreak, QStringLiteral("\n"));
    html.remove(tag);
    QString text;
    qsizetype last = 0;
    for (auto it = numericEntity.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        text += QStringView(html).mid(last, match.capturedStart() - last);
        bool ok = false;
        const uint code = match.captured(2).toUInt(&ok, match.captured(1).isEmpty() ? 10 : 16);
        if (ok && code > 0 && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF))
            text += QString::fromUcs4(reinterpret_cast<const char32_t *>(&code), 1);
        last = match.capturedEnd();
    }
    text += QStringView(html).mid(last);
    text.replace(QStringLiteral("&nbsp;"), QStringLiteral(" "))
        .replace(QStringLiteral("&lt;"), QStringLiteral("<"))
        .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
        .replace(QStringLiteral("&quot;"), QStringLiteral("\""))
        .replace(QStringLiteral("&#39;"), QStringLiteral("'"))
        .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    QStringList lines = text.split(u'\n');
    for (QString &line : lines)
        line = line.simplified();
    return lines.join(u'\n').replace(blankLines, QStringLiteral("\n\n")).trimmed();
}

AppcastItem readItem(QXmlStreamReader &xml)
{
    AppcastItem item;
    QString enclosureUrl;
    QString descriptionHtml;
    while (xml.readNextStartElement()) {
        const bool sparkle = xml.namespaceUri() == sparkleNamespace;
        const QStringView name = xml.name();
        if (name == u"enclosure" && xml.namespaceUri().isEmpty()) {
            const QXmlStreamAttributes attributes = xml.attributes();
            if (attributes.hasAttribute(sparkleNamespace, QStringLiteral("version")))
                item.version =
                    attributes.value(sparkleNamespace, QStringLiteral("version")).toString();
            if (attributes.hasAttribute(sparkleNamespace, QStringLiteral("shortVersionString")))
                item.displayVersion =
                    attributes.value(sparkleNamespace, QStringLiteral("shortVersionString"))
                        .toString();
            enclosureUrl = attributes.value(QStringLiteral("url")).toString();
            xml.skipCurrentElement();
        } else if (sparkle && name == u"version") {
            item.version = xml.readElementText();
        } else if (sparkle && name == u"shortVersionString") {
            item.displayVersion = xml.readElementText();
        } else if (!sparkle && name == u"title") {
            item.title = xml.readElementText(QXmlStreamReader::IncludeChildElements);
        } else if (!sparkle && name == u"link") {
            item.downloadPage = webAddress(xml.readElementText());
        } else if (!sparkle && name == u"description") {
            descriptionHtml = xml.readElementText(QXmlStreamReader::IncludeChildElements);
        } else {
            xml.skipCurrentElement();
        }
    }
    item.version = item.version.trimmed();
    item.displayVersion = item.displayVersion.trimmed();
    if (item.displayVersion.isEmpty())
        item.displayVersion = item.version;
    if (item.downloadPage.isEmpty())
        item.downloadPage = webAddress(enclosureUrl);
    // The notes are shown as plain text: nothing in them is fetched or run.
    item.releaseNotes = plainTextFromHtml(descriptionHtml);
    return item;
}

} // namespace

Expected<AppcastItem> AppcastParser::newestItem(const QByteArray &document)
{
    QXmlStreamReader xml(document);
    if (!xml.readNextStartElement() || xml.name() != u"rss")
        return malformed(QStringLiteral("it is not an RSS feed."));

    std::optional<AppcastItem> newest;
    bool sawChannel = false;
    while (xml.readNextStartElement()) {
        if (xml.name() != u"channel") {
            xml.skipCurrentElement();
            continue;
        }
        sawChannel = true;
        while (xml.readNextStartElement()) {
            if (xml.name() != u"item") {
                xml.skipCurrentElement();
                continue;
            }
            AppcastItem item = readItem(xml);
            if (item.version.isEmpty())
                continue;
            if (!newest || VersionComparator::compare(item.version, newest->version) > 0)
                newest = std::move(item);
        }
    }
    if (xml.hasError())
        return malformed(xml.errorString());
    if (!sawChannel)
        return malformed(QStringLiteral("it has no channel."));
    if (!newest)
        return malformed(QStringLiteral("no release in it names its version."));
    return *newest;
}
