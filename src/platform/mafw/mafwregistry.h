#ifndef MAFWREGISTRY_H
#define MAFWREGISTRY_H

#include "mafwglobal.h"

#include <QHash>
#include <QObject>
#include <QPointer>

class MafwPlaylist;
class MafwPluginControl;
class MafwRenderer;

// The process-wide directory of renderers, shared playlists and renderer plug-ins.
class MAFW_EXPORT MafwRegistry : public QObject
{
    Q_OBJECT
public:
    // Never null; created on first use and kept for the life of the process.
    static MafwRegistry* instance();

    MafwRenderer* findRenderer(const QString& uuid) const;
    QList<MafwRenderer*> renderers() const;
    // A shared playlist by id (its name), or null.
    MafwPlaylist* findPlaylist(const QString& id) const;
    // The control object of a plug-in, owned by the registry; null for an empty name.
    MafwPluginControl* pluginControlInterface(const QString& pluginName);

    // The registry does not take the renderer over. A renderer destroyed while registered is
    // removed (with rendererRemoved) as it goes. False for null or an id already registered.
    bool addRenderer(MafwRenderer* renderer);
    bool removeRenderer(const QString& uuid);

Q_SIGNALS:
    void rendererAdded(const QString& uuid, const QString& name);
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
