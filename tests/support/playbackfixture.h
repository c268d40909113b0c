#ifndef PLAYBACKFIXTURE_H
#define PLAYBACKFIXTURE_H

#include "kelplaybacktestaccess.h"
#include "recordinghandler.h"
#include "scriptedrenderer.h"

#include <kelplaycontrols.h>

#include <QPointer>
#include <QStringList>

class MafwPlaylist;

// Records every facade signal as text, e.g. "stateChanged(1)", in emission order.
class SignalLog : public QObject
{
    Q_OBJECT
public:
    explicit SignalLog(KelPlayControls* controls);
    QStringList entries;
    QStringList take();
    // Entries whose text starts with prefix.
    QStringList only(const QString& prefix) const;
};

// A fresh facade per test, optionally initialised, with a scripted "mafw_gst_renderer".
class PlaybackFixture
{
protected:
    void setUpControls(bool initialise = true, bool withRenderer = true);
    void tearDownControls();
    ScriptedRenderer* addRenderer();
    static MafwPlaylist* makePlaylist(const QString& name, int items, bool permanent = false);
    // Sets the playlist and confirms it from the renderer, as a renderer does later.
    MafwPlaylist* installPlaylist(const QString& name, int items, bool deleteOnComplete = true);
    // Emits a state from the renderer and forgets its commands.
    void rendererState(MafwRenderer::State state);

    KelPlayControls* controls = nullptr;
    QPointer<ScriptedRenderer> renderer;
    SignalLog* log = nullptr;
};

#endif
