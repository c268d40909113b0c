#ifndef MAFWPLUGINCONTROL_H
#define MAFWPLUGINCONTROL_H

#include "mafwglobal.h"

#include <QObject>
#include <QStringList>

class QPluginLoader;

// Loads one renderer plug-in by name from the plug-in path. Owned by the registry.
class MAFW_EXPORT MafwPluginControl : public QObject
{
    Q_OBJECT
public:
    explicit MafwPluginControl(const QString& pluginName, QObject* parent = nullptr);
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
    LoadState m_state = NotTried;
    QPluginLoader* m_loader = nullptr;
};

#endif
