// Renders overlay labels in their states into PNG files: gallery [output-directory]
#include <keloverlaylabel.h>
#include <mapplication.h>

#include "galleryrender.h"

#include <QDir>
#include <QGraphicsScene>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QStyleOptionGraphicsItem>
#include <QTimer>

#include <cstdio>

namespace {

// A picture of our own, so that the gallery needs no media files.
QImage makePicture()
{
    QImage picture(160, 160, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&picture);
    QLinearGradient gradient(0, 0, 160, 160);
    gradient.setColorAt(0, QColor(230, 120, 40));
    gradient.setColorAt(1, QColor(90, 20, 90));
    painter.fillRect(picture.rect(), gradient);
    painter.setBrush(QColor(255, 230, 120));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPointF(110, 50), 22, 22);
    return picture;
}

} // namespace

int main(int argc, char** argv)
{
    useOffscreenUnlessSet();
    MApplication app(argc, argv);
    const QString out = outputDirectory(argc, argv);
    QGraphicsScene scene;

    struct Shot
    {
        const char* name;
        bool pressed;
        bool loading;
        KelOverlayLabel::ViewType view;
    };
    const Shot shots[] = {{"overlay-label", false, false, KelOverlayLabel::OverlayView},
                          {"overlay-label-pressed", true, false, KelOverlayLabel::OverlayView},
                          {"overlay-label-loading", false, true, KelOverlayLabel::OverlayView},
                          {"overlay-label-normal-view", false, false, KelOverlayLabel::NormalView}};
    int failures = 0;
    for (const Shot& shot : shots) {
        auto* label = new KelOverlayLabel(shot.view);
        scene.addItem(label);
        label->setTitle(QStringLiteral("Sunset Boulevard"));
        label->setSubtitle(QStringLiteral("The Kelmora Ensemble"));
        label->setImage(makePicture());
        label->setSmallImage(QStringLiteral("icon-m-content-audio"));
        label->setOverlayImage(QStringLiteral("icon-m-toolbar-mediacontrol-play"));
        label->resize(shot.view == KelOverlayLabel::NormalView ? QSizeF(400, 96)
                                                               : QSizeF(200, 200));
        // The views finish their set-up on the first event-loop turn.
        QCoreApplication::processEvents();
        if (shot.loading) {
            label->setLoading(true);
        }
        if (shot.pressed) {
            QMetaObject::invokeMethod(label, "setPressedState");
        }
        QCoreApplication::processEvents();
        const QString path =
            QDir(out).filePath(QString::fromLatin1(shot.name) + QStringLiteral(".png"));
        if (renderToPng(label, path, QColor(Qt::black))) {
            std::printf("%s\n", qPrintable(path));
        } else {
            ++failures;
        }
        delete label;
    }
    return failures;
}
