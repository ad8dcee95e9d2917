// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// An appcast with one release, its version given as the enclosure's attributes.
inline QByteArray appcastWithVersion(const QString &version, const QString &displayVersion)
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                          "<rss version=\"2.0\" "
                          "xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\">\n"
                          "<channel><title>Kinolith</title>\n"
                          "<item><title>Kinolith %2</title>\n"
                          "<link>https://nordvane.com/kinolith/download</link>\n"
                          "<description><![CDATA[<h2>New</h2><ul><li>Faster capture</li></ul>]]>"
                          "</description>\n"
                          "<enclosure url=\"https://nordvane.com/kinolith/kinolith_%2.deb\" "
                          "sparkle:version=\"%1\" sparkle:shortVersionString=\"%2\" length=\"1\" "
                          "type=\"application/octet-stream\"/>\n"
                          "</item></channel></rss>\n")
        .arg(version, displayVersion)
        .toUtf8();
}

// A test feed.
inline QByteArray feedWithThreeItems()
{
    return R"(<?xml version="1.0"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">
 <channel>
  <title>Kinolith</title>
  <item>
   <title>Version 1.9</title>
   <enclosure url="https://nordvane.com/k-1.9.deb" sparkle:version="19" sparkle:shortVersionString="1.9"/>
  </item>
  <item>
   <title>Version 1.10</title>
   <link>https://nordvane.com/kinolith/1.10</link>
   <description><![CDATA[<p>Sharper <b>previews</b>.</p><script>alert(1)</script>]]></description>
   <sparkle:version>110</sparkle:version>
   <sparkle:shortVersionString>1.10</sparkle:shortVersionString>
   <enclosure url="https://nordvane.com/k-1.10.deb"/>
  </item>
  <item><title>No version, ignored</title></item>
 </channel>
</rss>)";
}

// A test feed.
inline QByteArray feedWithUnsafeLink()
{
    return R"(<rss xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle"><channel>
  <item><link>javascript:alert(1)</link><enclosure url="https://nordvane.com/k.deb" sparkle:version="2"/></item>
</channel></rss>)";
}
