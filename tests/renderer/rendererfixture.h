#ifndef RENDERERFIXTURE_H
#define RENDERERFIXTURE_H

#include <mafwrenderer.h>

#include <QTemporaryDir>
#include <QUrl>

#include <functional>
#include <memory>

// The renderer a contract test runs against, registered as "mafw_gst_renderer", and the media
// it plays by name: "long0.wav" to "long2.wav" outlast a test, "short0.wav" to "short2.wav"
// end by themselves within a second, "two.m3u" lists short0 and short1, "missing.wav" does
// not exist. Each test executable links one of the two makers.
struct RendererFixture
{
    static void prepareEnvironment(); // before the application object exists
    static RendererFixture* make();

    MafwRenderer* renderer = nullptr;
    std::function<QUrl(const QString& name)> item;
    // Waits until no start or seek is under way.
    std::function<bool()> waitSettled;
    QTemporaryDir dir;
    std::unique_ptr<QObject> owned;
};

#endif
