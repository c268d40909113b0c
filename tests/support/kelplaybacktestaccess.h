#ifndef KELPLAYBACKTESTACCESS_H
#define KELPLAYBACKTESTACCESS_H

#include <kelinternalplaycontrols.h>
#include <kelplaycontrols.h>
#include <mafwplaylist.h>

// Reads the engine's inner state and fires its timers for tests.
class KelPlaybackTestAccess
{
public:
    static KelInternalPlayControls* engine(KelPlayControls* facade) { return facade->engine; }

    static int pendingRequests(KelPlayControls* f) { return f->engine->pendingPositionRequests; }
    static int repliesToSkip(KelPlayControls* f) { return f->engine->positionRepliesToSkip; }
    static bool errorsAllowed(KelPlayControls* f) { return f->engine->errorsAllowed; }
    static QUrl pendingUri(KelPlayControls* f) { return f->engine->pendingUri; }
    static MafwPlaylist* pendingPlaylist(KelPlayControls* f) { return f->engine->pendingPlaylist; }
    static bool hasRenderer(KelPlayControls* f)
    {
        return f->engine->renderers.contains(KelPlayControls::PlaylistContent);
    }

    static QTimer* positionTimer(KelPlayControls* f) { return f->engine->positionTimer; }
    static QTimer* positionStopTimer(KelPlayControls* f) { return f->engine->positionStopTimer; }
    static QTimer* allowErrorsTimer(KelPlayControls* f) { return &f->engine->allowErrorsTimer; }

    // Fire a timer's work now instead of waiting for it.
    static void firePositionPoll(KelPlayControls* f) { f->engine->getPosition(); }
    static void firePositionStop(KelPlayControls* f)
    {
        f->engine->positionStopTimer->stop();
        f->engine->stopPositionTimer();
    }
    static void fireAllowErrors(KelPlayControls* f)
    {
        f->engine->allowErrorsTimer.stop();
        f->engine->allowErrors();
    }
};

#endif
