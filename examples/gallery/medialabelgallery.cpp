// Renders media labels in their text positions into PNG files: medialabelgallery [output-directory]
#include <kelmedialabel.h>
#include <mapplication.h>
#include <mimagewidget.h>

#include "galleryrender.h"

#include <QDir>
#include <QGraphicsScene>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

#include <cstdio>

namespace {

// A picture of our own, so that the gallery needs no media files.
QImage makePicture(int side)
{
    QImage picture(side, side, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&picture);
    QLinearGradient gradient(0, 0, side, side);
    gradient.setColorAt(0, QColor(40, 150, 220));
    gradient.setColorAt(1, QColor(20, 40, 110));
    painter.fillRect(picture.rect(), gradient);
    painter.setBrush(QColor(250, 250, 250));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPointF(side * 0.5, side * 0.5), side * 0.18, side * 0.18);
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
        KelMediaLabel::TextPosition position;
        QSize size;
        bool outline;
        bool roomForMarks;
    };
    // Beside the image: one row, marks centred on it. Above or below: room for the image and
    // the two rows of text. With the texts at the right edge, a right margin keeps them clear
    // of the marks.
    const QSize row(400, 80);
    const QSize column(400, 200);
    const Shot shots[] = {
        {"media-label-text-left", KelMediaLabel::TextLeftOfImage, row, true, false},
        {"media-label-text-right", KelMediaLabel::TextRightOfImage, row, true, true},
        {"media-label-text-above", KelMediaLabel::TextAboveImage, column, true, false},
        {"media-label-text-below", KelMediaLabel::TextBelowImage, column, true, false},
        {"media-label-no-outline", KelMediaLabel::TextRightOfImage, row, false, true},
    };
    const int pictureSide = 64;
    const int margin = 8;
    const int markSide = 25;
    int failures = 0;
    for (const Shot& shot : shots) {
        auto* label = new KelMediaLabel(shot.position);
        scene.addItem(label);
        label->setText(QStringLiteral("Sunset Boulevard"), KelMediaLabel::TopLeftLabel);
        label->setText(QStringLiteral("3:45"), KelMediaLabel::TopRightLabel);
        label->setText(QStringLiteral("The Kelmora Ensemble"), KelMediaLabel::BottomLeftLabel);
        label->setText(QStringLiteral("2009"), KelMediaLabel::BottomRightLabel);
        label->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter, KelMediaLabel::TopRightLabel);
        label->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter, KelMediaLabel::BottomRightLabel);
        label->setTextElide(true, KelMediaLabel::TopLeftLabel);
        label->setTextElide(true, KelMediaLabel::BottomLeftLabel);
        label->setImage(MImageWidget(makePicture(pictureSide)));
        label->setLayoutMargins(margin, margin, shot.roomForMarks ? margin + 2 * markSide : margin,
                                margin);
        label->setFavoriteMark();
        label->setPlayStatus(KelMediaLabel::PlayStatusPlay);
        label->setOutlineVisible(shot.outline);
        label->resize(shot.size);
        // Layouts settle on the event loop.
        QCoreApplication::processEvents();
        const QString path =
            QDir(out).filePath(QString::fromLatin1(shot.name) + QStringLiteral(".png"));
        if (renderToPng(label, path, QColor(24, 24, 24))) {
            std::printf("%s\n", qPrintable(path));
        } else {
            ++failures;
        }
        delete label;
    }
    return failures;
}
