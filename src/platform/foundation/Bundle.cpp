// SPDX-License-Identifier: GPL-3.0-or-later
#include "Bundle.h"

#include <QFileInfo>

namespace {

const QString missingText = QStringLiteral("\u2014");

Bundle &mainBundleStorage()
{
    static Bundle bundle = Bundle::builtIn();
    return bundle;
}

} // namespace

Bundle::Bundle(std::optional<QString> identifier, QVariantMap infoDictionary, QString resourceRoot)
    : m_identifier(std::move(identifier)), m_infoDictionary(std::move(infoDictionary)),
      m_resourceRoot(std::move(resourceRoot))
{}

const Bundle &Bundle::main()
{
    return mainBundleStorage();
}

void Bundle::setMain(Bundle bundle)
{
    mainBundleStorage() = std::move(bundle);
}

Bundle Bundle::builtIn()
{
    return Bundle(QStringLiteral(KINOLITH_BUNDLE_IDENTIFIER),
                  {{QStringLiteral("CFBundleShortVersionString"), QStringLiteral(KINOLITH_VERSION)},
                   {QStringLiteral("CFBundleVersion"), QStringLiteral(KINOLITH_BUILD_NUMBER)}});
}

QString Bundle::infoText(const QString &key) const
{
    const auto it = m_infoDictionary.constFind(key);
    if (it == m_infoDictionary.constEnd() || it->typeId() != QMetaType::QString)
        return missingText;
    return it->toString();
}

std::optional<QString> Bundle::pathForResource(const QString &name, const QString &extension) const
{
    const QString fileName = extension.isEmpty() ? name : name + u'.' + extension;
    const QString path = m_resourceRoot + u'/' + fileName;
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    return path;
}

std::optional<QUrl> Bundle::urlForResource(const QString &name, const QString &extension) const
{
    const auto path = pathForResource(name, extension);
    if (!path)
        return std::nullopt;
    if (path->startsWith(u':'))
        return QUrl(QStringLiteral("qrc") + *path);
    return QUrl::fromLocalFile(*path);
}

const QString &Bundle::appVersion()
{
    static const QString version = main().infoText(QStringLiteral("CFBundleShortVersionString"));
    return version;
}

const QString &Bundle::appBuild()
{
    static const QString build = main().infoText(QStringLiteral("CFBundleVersion"));
    return build;
}

QString Bundle::loggingSubsystem()
{
    const auto &identifier = main().identifier();
    return identifier && !identifier->isEmpty() ? *identifier : QStringLiteral("Kinolith");
}
