#ifndef MAFWGSTLOGGING_P_H
#define MAFWGSTLOGGING_P_H

#include <QLoggingCategory>

#include <gst/gst.h>

// kelmora.mafw.gst: what the application should hear of (warnings by default).
Q_DECLARE_LOGGING_CATEGORY(lcGst)
// "kelmora" in GST_DEBUG: the pipeline's own trace, interleaved with GStreamer's.
GST_DEBUG_CATEGORY_EXTERN(kelmora_gst_debug);

// Sets up the GStreamer category; GStreamer must be initialised.
void initGstLogging();

#endif
