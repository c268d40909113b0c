#ifndef MAFWGSTTAGREADER_H
#define MAFWGSTTAGREADER_H

#include <mafwrenderer.h>

#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QVariantMap>

typedef struct _GMainContext GMainContext;
typedef struct _GstDiscoverer GstDiscoverer;
typedef struct _GstDiscovererInfo GstDiscovererInfo;

// Reads the tags and length of items that are not playing, for lists that show them ahead.
// At most Readers items are read at once, each within TimeoutSeconds, and at most MaxQueued
// wait; only regular local files and http(s) URLs are read. The readers run on a private
// GLib context that a timer polls while there is work, so nothing depends on Qt's event
// dispatcher and nothing blocks the main thread.
class MafwGstTagReader : public QObject
{
    Q_OBJECT
public:
    static constexpr int Readers = 2;
    static constexpr int TimeoutSeconds = 5;
    static constexpr int MaxQueued = 64;

    explicit MafwGstTagReader(QObject* parent = nullptr);
    ~MafwGstTagReader() override;

    // As MafwRenderer::requestMetadata(): false when uri cannot be read or the queue is full.
    bool request(const QUrl& uri, QObject* context, MafwRenderer::MetadataAnswer answer);

private:
    struct Request
    {
        QUrl uri; // empty for none
        QPointer<QObject> context;
        MafwRenderer::MetadataAnswer answer;
    };
    struct Reader
    {
        GstDiscoverer* discoverer = nullptr;
        Request request; // its uri is empty while idle
    };

    void startNext();
    void poll();
    void onDiscovered(GstDiscoverer* discoverer, GstDiscovererInfo* info);
    static QVariantMap metadataOf(GstDiscovererInfo* info);
    static void discovered(GstDiscoverer* discoverer, GstDiscovererInfo* info, void* error,
                           void* self);

    GMainContext* m_context;
    Reader m_readers[Readers];
    QList<Request> m_queue;
    QList<QPair<Request, QVariantMap>> m_answers; // given after the GLib dispatch
    QTimer m_poll;
};

#endif
