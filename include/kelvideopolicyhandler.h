#ifndef KELVIDEOPOLICYHANDLER_H
#define KELVIDEOPOLICYHANDLER_H

#include "kelmora_export.h"

#include <mafwrenderer.h>

#include <QObject>
#include <QPointer>

/// Tells whether the internal video renderer is playing. Listens for the renderer from the
/// moment it is constructed: a renderer announced earlier is not heard of.
class KELMORA_EXPORT KelVideoPolicyHandler : public QObject
{
    Q_OBJECT
public:
    /// Starts listening to the registry for the renderer "mafw_gst_internal_video_renderer".
    explicit KelVideoPolicyHandler(QObject* parent = nullptr);
    /// The renderer is not owned and stays.
    ~KelVideoPolicyHandler() override;

Q_SIGNALS:
    /// Emitted for every state report of the renderer: true while playing or transitioning.
    void videoPlayStateChanged(bool playing);

private Q_SLOTS:
    void handleVideoStateChange(MafwRenderer::State newState);
    void connectRendererSignals(const QString& id, const QString& name);

private:
    QString m_videoRendererId;
    QPointer<MafwRenderer> m_videoRenderer; // not owned
};

#endif
