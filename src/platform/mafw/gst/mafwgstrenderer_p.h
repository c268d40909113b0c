#ifndef MAFWGSTRENDERER_P_H
#define MAFWGSTRENDERER_P_H

#include "mafwgstrenderer.h"

#include <QEvent>

#include <gst/gst.h>

// The items that follow the current one, offered for the gapless hand-over; owned by
// whoever took it from the renderer.
struct MafwGstNextItem
{
    QList<QByteArray> uris;
    QList<int> indexes;
    int generation;
};

// A bus message brought to the renderer's thread, tagged with the pipeline generation.
class MafwGstBusEvent : public QEvent
{
public:
    static QEvent::Type eventType();
    MafwGstBusEvent(GstMessage* busMessage, int busGeneration)
        : QEvent(eventType()), message(gst_message_ref(busMessage)), generation(busGeneration)
    {
    }
    ~MafwGstBusEvent() override { gst_message_unref(message); }
    GstMessage* const message;
    const int generation;
};

// The streaming thread took the next item: it starts at the next stream start.
class MafwGstHandOverEvent : public QEvent
{
public:
    static QEvent::Type eventType();
    MafwGstHandOverEvent(const QByteArray& nextUri, int nextIndex, int nextGeneration)
        : QEvent(eventType()), uri(nextUri), index(nextIndex), generation(nextGeneration)
    {
    }
    const QByteArray uri;
    const int index;
    const int generation;
};

// Callbacks GStreamer calls, on streaming threads unless said otherwise.
struct MafwGstRendererHooks
{
    static GstBusSyncReply busSync(GstBus* bus, GstMessage* message, gpointer renderer);
    static void aboutToFinish(GstElement* playbin, gpointer renderer);
    static void deepElementAdded(GstBin* bin, GstBin* subBin, GstElement* element,
                                 gpointer renderer);
};

#endif
