#include "mafwcontent.h"
#include "mafwerror.h"
#include "mafwplaylist.h"
#include "mafwrenderer.h"

// Registered at load so that connections by signature work, queued ones included.
static void registerMafwMetaTypes()
{
    qRegisterMetaType<MafwRenderer::State>("MafwRenderer::State");
    qRegisterMetaType<MafwError>("MafwError");
    qRegisterMetaType<MafwContent>("MafwContent");
    qRegisterMetaType<MafwPlaylist*>("MafwPlaylist*");
    qRegisterMetaType<QList<QVariant>>("QList<QVariant>");
}
Q_CONSTRUCTOR_FUNCTION(registerMafwMetaTypes)
