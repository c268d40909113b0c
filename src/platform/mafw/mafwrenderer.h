#ifndef MAFWRENDERER_H
#define MAFWRENDERER_H

#include "mafwcontent.h"
#include "mafwerror.h"
#include "mafwglobal.h"

#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>
#include <QVariant>
#include <QVariantMap>

#include <functional>

class MafwPlaylist;

// A player of media. Subclasses implement the commands; the base refuses them all.
//
// What every renderer promises (the engine relies on nothing else):
// - Commands return true when accepted; a refused command changes nothing and reports nothing.
// - States: stateChanged() comes only with a change, never the same state twice in a row.
//   Leaving Stopped always passes through Transitioning (isLegalStateChange() says which
//   changes may be reported). stop() reports Stopped before it returns. A start (play(),
//   playUri(), playPlaylistUri(), or pauseAt() while Stopped) and resume() report
//   Transitioning before they return; the running state asked for (Playing, or Paused for
//   pauseAt()) follows later, from the event loop, as does Paused after pause().
// - Items: mediaChanged(index, content) names the item that became current: its play-order
//   index in the assigned playlist (-1 for a single URI or a playlist file's entry) and its
//   URI as the content's uuid. next(), previous() and gotoIndex() report the new item before
//   they return, also when it is the current one, and keep the running state: Playing stays
//   Playing, Paused stays Paused, Stopped stays Stopped, with no stateChanged(). A command
//   that starts an item (playUri(), play() or pauseAt() while Stopped) reports it before it
//   returns, unless a move reported that item while Stopped. A playlist file's entries and
//   the later items of a playlist are reported when they start, the state staying Playing.
//   While not Stopped, an edit or shuffle that moves the current item to another
//   index reports it again under the new index. The assigned playlist's currentIndex() is
//   kept on the current item.
// - assignPlaylist() of a playlist other than the one in use (or while a URI plays) stops
//   first. It is confirmed later, never from inside the call, by playlistChanged(playlist),
//   unless another playlist was assigned meanwhile; nullptr drops the playlist and is not
//   confirmed.
// - The end of the last item reports playbackCompleted() and then Stopped (also when a
//   handler of playbackCompleted() calls stop()).
// - A failure that ends playback reports exactly one error() and then Stopped; a passing
//   problem (MafwError::TransientError) reports one error() and playback goes on.
class MAFW_EXPORT MafwRenderer : public QObject
{
    Q_OBJECT
public:
    enum State { Stopped = 0, Playing = 1, Paused = 2, Transitioning = 3 };
    Q_ENUM(State)
    enum SeekMode { SeekAbsolute = 0, SeekRelative = 1 };
    Q_ENUM(SeekMode)

    // Name of the property by which the sound policy takes playback away (true) and gives it
    // back (false).
    static const QString MAFW_RENDERER_PROPERTY_POLICY_OVERRIDE;
    // Extension: reported with mafwPropertyChanged() when the volume changes (a double).
    static const QString MAFW_RENDERER_PROPERTY_VOLUME;
    static constexpr double FullVolume = 1.0;

    MafwRenderer(const QString& uuid, const QString& name, QObject* parent = nullptr);
    ~MafwRenderer() override;

    QString uuid() const { return m_uuid; }
    QString name() const { return m_name; }

    virtual bool play();
    // content is not taken over; it may be null.
    virtual bool playUri(const QUrl& uri, const MafwContent* content = nullptr);
    virtual bool playPlaylistUri(const QUrl& url, const QString& mimeType);
    virtual bool stop();
    virtual bool pause();
    virtual bool pauseAt(uint seconds);
    virtual bool resume();
    virtual bool next();
    virtual bool previous();
    virtual bool gotoIndex(uint index);
    virtual bool seekTo(int seconds, SeekMode mode = SeekAbsolute);
    // The playlist stays owned by its creator; confirmed later with playlistChanged().
    virtual bool assignPlaylist(MafwPlaylist* playlist);
    // An accepted request is answered exactly once, later, never from inside the call, by
    // invoking member (in SLOT() encoding, e.g. "1updatePosition(uint)") on receiver with the
    // position in whole seconds.
    virtual bool requestPosition(QObject* receiver, const char* member);

    // Extension: the output volume, linear from 0 (silent) to FullVolume, kept across items.
    // A renderer without a volume control stays at FullVolume and refuses changes (false).
    // An accepted change is reported with MAFW_RENDERER_PROPERTY_VOLUME.
    virtual double volume() const;
    virtual bool setVolume(double volume);
    // Extension: the MIME types of media the renderer can decode; empty when it cannot tell.
    virtual QStringList supportedMimeTypes() const;
    // Extension: reads the tags of an item that is not playing, so that a list can show items
    // before they play: "title", "artist", "album", "image-url" and "duration" (seconds), the
    // keys of metadataChanged(). An accepted request (true) is answered exactly once, later,
    // never from inside the call, with what was read (empty when nothing could be), unless
    // context is gone by then. A renderer reads a few items at a time, each within a time
    // limit; it refuses (false) what it does not read and requests beyond its queue. The base
    // refuses all.
    using MetadataAnswer = std::function<void(const QUrl& uri, const QVariantMap& metadata)>;
    virtual bool requestMetadata(const QUrl& uri, QObject* context, MetadataAnswer answer);

    // Whether a renderer may report a change from one state to the other. Debug builds
    // check every report of every renderer against it.
    static bool isLegalStateChange(State from, State to);

    // Invokes a member given in SLOT() or SIGNAL() encoding with one uint argument.
    // False when receiver is null or has no such member.
    static bool deliverPosition(QObject* receiver, const QByteArray& member, uint seconds);

Q_SIGNALS:
    void stateChanged(MafwRenderer::State state);
    void playlistChanged(MafwPlaylist* playlist);
    void mediaChanged(int index, const MafwContent& content);
    void metadataChanged(const QString& key, const QList<QVariant>& values);
    void mafwPropertyChanged(const QString& name, const QVariant& value);
    void bufferingInfo(float status);
    void playbackCompleted();
    void error(const MafwError& error);

private:
    QString m_uuid;
    QString m_name;
    State m_reportedState = Stopped; // as checked in debug builds
};

Q_DECLARE_METATYPE(MafwRenderer::State)

#endif
