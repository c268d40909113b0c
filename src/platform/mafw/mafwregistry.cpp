#include "mafwregistry.h"

#include "mafwlogging_p.h"
#include "mafwplugincontrol.h"
#include "mafwrenderer.h"
#include "mafwshared.h"

MafwRegistry* MafwRegistry::instance()
{
    static MafwRegistry* registry = new MafwRegistry;
    return registry;
}

MafwRegistry::MafwRegistry() = default;
MafwRegistry::~MafwRegistry() = default;

MafwRenderer* MafwRegistry::findRenderer(const QString& uuid) const
{
    return m_renderers.value(uuid).renderer.data();
}

QList<MafwRenderer*> MafwRegistry::renderers() const
{
    QList<MafwRenderer*> result;
    for (const Entry& entry : m_renderers) {
        if (entry.renderer) {
            result.append(entry.renderer.data());
        }
    }
    return result;
}

MafwPlaylist* MafwRegistry::findPlaylist(const QString& id) const
{
    return MafwShared::instance()->findPlaylist(id);
}

MafwPluginControl* MafwRegistry::pluginControlInterface(const QString& pluginName)
{
    if (pluginName.isEmpty()) {
        return nullptr;
    }
    MafwPluginControl*& control = m_plugins[pluginName];
    if (!control) {
        control = new MafwPluginControl(pluginName, this);
    }
    return control;
}

bool MafwRegistry::addRenderer(MafwRenderer* renderer)
{
    if (!renderer) {
        return false;
    }
    const QString uuid = renderer->uuid();
    if (m_renderers.contains(uuid)) {
        qCWarning(lcMafw).noquote()
            << QStringLiteral("a renderer with id \"%1\" is already registered").arg(uuid);
        return false;
    }
    Entry entry;
    entry.renderer = renderer;
    entry.name = renderer->name();
    entry.destroyedConnection =
        connect(renderer, &QObject::destroyed, this, [this, uuid]() { removeRenderer(uuid); });
    m_renderers.insert(uuid, entry);
    Q_EMIT rendererAdded(uuid, entry.name);
    return true;
}

bool MafwRegistry::removeRenderer(const QString& uuid)
{
    const auto it = m_renderers.find(uuid);
    if (it == m_renderers.end()) {
        return false;
    }
    const Entry entry = it.value();
    m_renderers.erase(it);
    disconnect(entry.destroyedConnection);
    Q_EMIT rendererRemoved(uuid, entry.name);
    return true;
}
