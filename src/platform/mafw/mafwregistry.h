#ifndef MAFWREGISTRY_H
#define MAFWREGISTRY_H

#include "mafw_export.h"

#include <QHash>
#include <QObject>
#include <QPointer>

class MafwPlaylist;
class MafwPluginControl;
class MafwRenderer;

/// The process-wide directory of renderers, shared playlists and renderer plug-ins.
///
/// Renderers are found by id ("mafw_gst_renderer" once the GStreamer plug-in is loaded through
/// pluginControlInterface("libqmafw_gst_renderer_plugin")). The registry owns its plug-in
/// controls but never a renderer. Main thread only.
class MAFW_EXPORT MafwRegistry : public QObject
{
    Q_OBJECT
public:
    /// Never null; created on first use and kept for the life of the process.
    static MafwRegistry* instance();

    /// The registered renderer of id \a uuid, or null. Not owned by the caller.
    MafwRenderer* findRenderer(const QString& uuid) const;
    /// Every registered renderer, in no particular order.
    QList<MafwRenderer*> renderers() const;
    /// A shared playlist by id (its name), or null; the same as MafwShared::findPlaylist().
    MafwPlaylist* findPlaylist(const QString& id) const;
    /// The control object of a plug-in, owned by the registry and the same for every call of
    /// one name; null for an empty name. Nothing is loaded until MafwPluginControl::loadPlugin().
    MafwPluginControl* pluginControlInterface(const QString& pluginName);

    /// Registers \a renderer under its uuid() and emits rendererAdded() before returning. The
    /// registry does not take the renderer over. A renderer destroyed while registered is
    /// removed (with rendererRemoved) as it goes. False for null or an id already registered.
    bool addRenderer(MafwRenderer* renderer);
    /// Unregisters the renderer of id \a uuid (without deleting it) and emits rendererRemoved()
    /// before returning. False when no renderer has that id.
    bool removeRenderer(const QString& uuid);

Q_SIGNALS:
    /// A renderer was registered (from inside addRenderer()).
    void rendererAdded(const QString& uuid, const QString& name);
    /// A renderer was unregistered, by removeRenderer() or while being destroyed; \a name is the
    /// one it had when added.
    void rendererRemoved(const QString& uuid, const QString& name);

private:
    MafwRegistry();
    ~MafwRegistry() override;

    struct Entry
    {
        QPointer<MafwRenderer> renderer;
        QString name;
        QMetaObject::Connection destroyedConnection;
    };
    QHash<QString, Entry> m_renderers;
    QHash<QString, MafwPluginControl*> m_plugins;
};

#endif
