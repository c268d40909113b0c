#ifndef MAFWPLUGINCONTROL_H
#define MAFWPLUGINCONTROL_H

#include "mafwglobal.h"

#include <QObject>
#include <QStringList>

class MafwRegistry;
class QPluginLoader;

// Loads one renderer plug-in by name from the plug-in path into the registry that owns it.
class MAFW_EXPORT MafwPluginControl : public QObject
{
    Q_OBJECT
public:
    MafwPluginControl(const QString& pluginName, MafwRegistry* registry);
    ~MafwPluginControl() override;

    QString pluginName() const { return m_pluginName; }
    // Loads the plug-in once; later calls give the first call's result without trying again.
    bool loadPlugin();
    bool isLoaded() const { return m_state == Loaded; }

    // Directories searched, in order: those of KELMORA_MAFW_PLUGIN_PATH (colon-separated)
    // when it is set, else defaultPluginDir().
    static QStringList pluginPath();
    // The install location of the plug-ins, found relative to this library's file unless it
    // was configured as an absolute path.
    static QString defaultPluginDir();

private:
    enum LoadState { NotTried, Loaded, Failed };
    QString m_pluginName;
    MafwRegistry* m_registry;
    LoadState m_state = NotTried;
    QPluginLoader* m_loader = nullptr;
};

#endif
