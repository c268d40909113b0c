#ifndef MAFWPLUGINCONTROL_H
#define MAFWPLUGINCONTROL_H

#include "mafw_export.h"

#include <QObject>
#include <QStringList>

class MafwRegistry;
class QPluginLoader;

/// Loads one renderer plug-in by name from the plug-in path into the registry that owns it.
///
/// Obtained from MafwRegistry::pluginControlInterface(). The plug-in is the file
/// pluginName() + ".so" in the first directory of pluginPath() that holds it. Main thread only;
/// loading a GStreamer plug-in initialises GStreamer, whose threads stay inside the plug-in.
class MAFW_EXPORT MafwPluginControl : public QObject
{
    Q_OBJECT
public:
    /// A control for the plug-in \a pluginName (a file name without ".so" or folder);
    /// nothing is loaded yet. \a registry owns it and receives the plug-in's renderers.
    MafwPluginControl(const QString& pluginName, MafwRegistry* registry);
    /// The plug-in stays loaded: its renderers may still be in use.
    ~MafwPluginControl() override;

    /// The name given at construction.
    QString pluginName() const { return m_pluginName; }
    /// Loads the plug-in once and lets it add its renderers to the registry (rendererAdded()
    /// comes from inside this call). Later calls give the first call's result without trying
    /// again. Each failure is logged with its reason.
    bool loadPlugin();
    /// Whether loadPlugin() succeeded.
    bool isLoaded() const { return m_state == Loaded; }

    /// Directories searched, in order: those of KELMORA_MAFW_PLUGIN_PATH (colon-separated)
    /// when it is set, else defaultPluginDir().
    static QStringList pluginPath();
    /// The install location of the plug-ins, found relative to this library's file unless it
    /// was configured as an absolute path.
    static QString defaultPluginDir();

private:
    enum LoadState { NotTried, Loaded, Failed };
    QString m_pluginName;
    MafwRegistry* m_registry;
    LoadState m_state = NotTried;
    QPluginLoader* m_loader = nullptr;
};

#endif
