#ifndef PLAYBACKFIXTURE_H
#define PLAYBACKFIXTURE_H

#include "recordinghandler.h"
#include "scriptedrenderer.h"

#include <kelplaycontrols.h>

#include <QPointer>
#include <QStringList>

class MafwPlaylist;

// A fresh facade per test, optionally initialised, with a scripted "mafw_gst_renderer", and
// one journal of what happens in order: the facade's signals ("state1", "pos(5,-2)",
// "err322", "media", "done", ...; "lost" when the engine loses the renderer), the renderer's
// commands (">play", ">gotoIndex(2)") and the calls of handlers made by handler() ("h:set(2,l2)").
class PlaybackFixture
{
protected:
    void setUpControls(bool initialise = true, bool withRenderer = true);
    void tearDownControls();
    ScriptedRenderer* addRenderer();
    RecordingHandler* handler(KelPlayControls::ContentType type);
    // A shared playlist of items "file:///<name><i>".
    static MafwPlaylist* makePlaylist(const QString& name, int items, bool permanent = false);
    QStringList takeJournal() { return std::exchange(journal, {}); }
    // Takes the journal, returning the renderer's commands without the '>' ("gotoIndex(2)").
    QStringList takeCommands();
    // A timer of the engine behind the facade, by name: "positionPoll", "positionStop",
    // "errorGate".
    QTimer* engineTimer(const char* name) const;
    // Does now what that timer is due to do later; nothing when it is not running.
    void fire(const char* name) const;

    KelPlayControls* controls = nullptr;
    QPointer<ScriptedRenderer> renderer;
    QStringList journal;
};

#endif
