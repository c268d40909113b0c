#ifndef MAFWGSTRENDERERPLUGIN_H
#define MAFWGSTRENDERERPLUGIN_H

#include <mafwplugin.h>

#include <QObject>

// Initialises GStreamer and adds "mafw_gst_renderer" and "mafw_gst_internal_video_renderer"
// to the registry. The renderers belong to the plug-in object.
class MafwGstRendererPlugin : public QObject, public MafwPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID MafwPlugin_iid)
    Q_INTERFACES(MafwPlugin)
public:
    bool initialize(MafwRegistry* registry) override;
};

#endif
