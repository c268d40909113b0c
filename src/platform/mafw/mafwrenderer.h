#ifndef MAFWRENDERER_H
#define MAFWRENDERER_H

#include "mafwcontent.h"
#include "mafwerror.h"
#include "mafwglobal.h"

#include <QList>
#include <QObject>
#include <QUrl>
#include <QVariant>

class MafwPlaylist;

// A player of media. Subclasses implement the commands; the base refuses them all.
// Commands return true when accepted; what follows is reported through the signals.
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
};

Q_DECLARE_METATYPE(MafwRenderer::State)

#endif
