#include "mafwgstrendererplugin.h"

#include "mafwgstlogging_p.h"
#include "mafwgstrenderer.h"

#include <mafwregistry.h>

#include <gst/gst.h>
#include <gst/pbutils/pbutils.h>

bool MafwGstRendererPlugin::initialize(MafwRegistry* registry)
{
    GError* error = nullptr;
    if (!gst_init_check(nullptr, nullptr, &error)) {
        qCWarning(lcGst).noquote() << QStringLiteral("GStreamer could not be initialised: %1")
                                          .arg(QString::fromUtf8(error ? error->message : ""));
        g_clear_error(&error);
        return false;
    }
    gst_pb_utils_init();
    initGstLogging();
    // The DirectFB sink crashes its process where no DirectFB display exists (any desktop), and
    // the automatic video sink tries it last: keep it out of that choice.
    if (GstPluginFeature* directFb =
            gst_registry_lookup_feature(gst_registry_get(), "dfbvideosink")) {
        gst_plugin_feature_set_rank(directFb, GST_RANK_NONE);
        gst_object_unref(directFb);
    }
    bool added = registry->addRenderer(new MafwGstRenderer(
        QStringLiteral("mafw_gst_renderer"), QStringLiteral("GStreamer renderer"), this));
    added &= registry->addRenderer(
        new MafwGstRenderer(QStringLiteral("mafw_gst_internal_video_renderer"),
                            QStringLiteral("GStreamer internal video renderer"), this));
    return added;
}
