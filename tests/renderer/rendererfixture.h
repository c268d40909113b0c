#ifndef RENDERERFIXTURE_H
#define RENDERERFIXTURE_H

#include <mafwrenderer.h>

#include <QUrl>

// The renderer that a contract test runs against, with media it can play. One implementation
// is linked into each test executable.
class RendererFixture
{
public:
    virtual ~RendererFixture() = default;
    // Called before the application object exists.
    static void prepareEnvironment();
    static RendererFixture* create();

    // Registered as "mafw_gst_renderer"; owned by the fixture.
    virtual MafwRenderer* renderer() = 0;
    // Playable item i (0 to 2): a short one ends by itself within a second, a long one
    // outlasts a test.
    virtual QUrl item(int i, bool shortItem = false) const = 0;
    // An item that does not exist.
    virtual QUrl missingItem() const = 0;
    // An M3U playlist file listing the short items 0 and 1.
    virtual QUrl m3uFile() const = 0;
    // Waits until no start or seek is under way.
    virtual bool waitSettled() = 0;
};

#endif
