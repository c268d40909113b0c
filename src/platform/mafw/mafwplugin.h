#ifndef MAFWPLUGIN_H
#define MAFWPLUGIN_H

#include <QtPlugin>

class MafwRegistry;

/// Implemented by renderer plug-ins: initialize() adds the plug-in's renderers to the registry.
///
/// A plug-in is a Qt plug-in declaring MafwPlugin_iid, loaded by MafwPluginControl::loadPlugin()
/// on the main thread. It stays loaded for the life of the process.
class MafwPlugin
{
public:
    /// Virtual so that a plug-in can clean up; the loader never unloads a plug-in early.
    virtual ~MafwPlugin() = default;
    /// Adds the plug-in's renderers to \a registry (which does not own them: the plug-in
    /// does). False when the plug-in cannot work here. Called once, on the main thread.
    virtual bool initialize(MafwRegistry* registry) = 0;
};

/// The interface id a renderer plug-in declares in Q_PLUGIN_METADATA.
#define MafwPlugin_iid "org.kelmora.MafwPlugin/1.0"
Q_DECLARE_INTERFACE(MafwPlugin, MafwPlugin_iid)

#endif
