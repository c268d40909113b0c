#include "mafwplugincontrol.h"

#include "mafwlogging_p.h"
#include "mafwplugin.h"
#include "mafwregistry.h"

#include <QDir>
#include <QFileInfo>
#include <QPluginLoader>

#include <dlfcn.h>

MafwPluginControl::MafwPluginControl(const QString& pluginName, MafwRegistry* registry)
    : QObject(registry), m_pluginName(pluginName), m_registry(registry)
{
}

// The plug-in stays loaded for the life of the process: its renderers may still be in use.
MafwPluginControl::~MafwPluginControl() = default;

QStringList MafwPluginControl::pluginPath()
{
    const QString fromEnv = qEnvironmentVariable("KELMORA_MAFW_PLUGIN_PATH");
    if (!fromEnv.isEmpty()) {
        return fromEnv.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    }
    return {defaultPluginDir()};
}

QString MafwPluginControl::defaultPluginDir()
{
    const QString dir = QStringLiteral(KELMORA_MAFW_PLUGIN_LOOKUP);
    if (QDir::isAbsolutePath(dir)) {
        return dir;
    }
    // Relative to this library's own file, so that an install to any prefix works.
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&MafwPluginControl::defaultPluginDir), &info) ||
        !info.dli_fname) {
        return dir;
    }
    const QFileInfo library(QFile::decodeName(info.dli_fname));
    return QDir::cleanPath(library.absoluteDir().filePath(dir));
}

bool MafwPluginControl::loadPlugin()
{
    if (m_state != NotTried) {
        return m_state == Loaded;
    }
    m_state = Failed;
    if (m_pluginName.isEmpty() || m_pluginName.contains(QLatin1Char('/'))) {
        qCWarning(lcMafw).noquote()
            << QStringLiteral("invalid plug-in name \"%1\"").arg(m_pluginName);
        return false;
    }
    const QStringList dirs = pluginPath();
    QString file;
    for (const QString& dir : dirs) {
        const QFileInfo candidate(QDir(dir), m_pluginName + QStringLiteral(".so"));
        if (candidate.isFile()) {
            file = candidate.absoluteFilePath();
            break;
        }
    }
    if (file.isEmpty()) {
        qCWarning(lcMafw).noquote() << QStringLiteral("plug-in \"%1\" not found in %2")
                                           .arg(m_pluginName, dirs.join(QLatin1Char(':')));
        return false;
    }
    m_loader = new QPluginLoader(file, this);
    auto* plugin = qobject_cast<MafwPlugin*>(m_loader->instance());
    if (!plugin) {
        qCWarning(lcMafw).noquote() << QStringLiteral("plug-in \"%1\" could not be loaded: %2")
                                           .arg(file, m_loader->errorString());
        return false;
    }
    if (!plugin->initialize(m_registry)) {
        qCWarning(lcMafw).noquote()
            << QStringLiteral("plug-in \"%1\" failed to initialise").arg(file);
        return false;
    }
    m_state = Loaded;
    return true;
}
