#include "mafwgstlogging_p.h"

Q_LOGGING_CATEGORY(lcGst, "kelmora.mafw.gst", QtWarningMsg)
GST_DEBUG_CATEGORY(kelmora_gst_debug);

void initGstLogging()
{
    GST_DEBUG_CATEGORY_INIT(kelmora_gst_debug, "kelmora", 0, "kelmora renderer pipeline");
}
