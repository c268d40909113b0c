#ifndef MAFWPLUGIN_H
#define MAFWPLUGIN_H

#include <QtPlugin>

class MafwRegistry;

// Implemented by renderer plug-ins: initialize() adds the plug-in's renderers to the registry.
class MafwPlugin
{
public:
    virtual ~MafwPlugin() = default;
    virtual bool initialize(MafwRegistry* registry) = 0;
};

#define MafwPlugin_iid "org.kelmora.MafwPlugin/1.0"
Q_DECLARE_INTERFACE(MafwPlugin, MafwPlugin_iid)

#endif
