// Painting a scrolled window of 200 media labels (texts, marks, outlines) under an overlay
// label, against the same scene of plain QGraphicsRectItems: frame time, average and worst,
// as the view scrolls through the list. Run: paintbench [frames]
#include <kelmedialabel.h>
#include <keloverlaylabel.h>
#include <mapplication.h>
#include <mapplicationwindow.h>

#include <QElapsedTimer>
#include <QGraphicsLinearLayout>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsWidget>
#include <QScrollBar>

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

namespace {
constexpr int Labels = 200;
constexpr int Width = 480;
constexpr int Height = 720;
constexpr int OverlayHeight = 260;
constexpr int RowHeight = 76;
constexpr int DefaultFrames = 400;
constexpr int Margin = 8;
constexpr int MarkRoom = 50;
constexpr int Rounds = 4;

struct Frames
{
    double averageMs = 0;
    double worstMs = 0;
};

// Scrolls from top to bottom and back in equal steps, painting each frame on the spot.
Frames scrollAndPaint(QGraphicsView* view, int frames)
{
    QScrollBar* bar = view->verticalScrollBar();
    const int range = bar->maximum();
    std::vector<double> times;
    for (int i = 0; i < frames; ++i) {
        const int phase = i % (frames / 2);
        const int value = range * phase / (frames / 2);
        bar->setValue(i < frames / 2 ? value : range - value);
        QElapsedTimer timer;
        timer.start();
        view->viewport()->repaint();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    Frames result;
    for (double t : times) {
        result.averageMs += t / times.size();
        result.worstMs = std::max(result.worstMs, t);
    }
    return result;
}

void prepare(MApplicationWindow* window, int sceneHeight)
{
    window->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    window->setFrameShape(QFrame::NoFrame);
    window->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    window->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    window->setBackgroundBrush(QColor(16, 16, 16));
    window->scene()->setSceneRect(0, 0, Width, sceneHeight);
    window->resize(Width, Height);
    window->show();
    // Layouts and views settle on the event loop; the first paint loads theme images.
    QCoreApplication::processEvents();
    window->viewport()->repaint();
}
} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    MApplication app(argc, argv);
    const int frames = argc > 1 ? QByteArray(argv[1]).toInt() : DefaultFrames;
    const int sceneHeight = OverlayHeight + Labels * RowHeight;

    MApplicationWindow labels;
    auto* root = new QGraphicsWidget;
    auto* layout = new QGraphicsLinearLayout(Qt::Vertical, root);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* overlay = new KelOverlayLabel(KelOverlayLabel::OverlayView);
    overlay->setMinimumSize(Width, OverlayHeight);
    overlay->setMaximumSize(Width, OverlayHeight);
    overlay->setTitle(QStringLiteral("Harbour Waltz"));
    overlay->setSubtitle(QStringLiteral("The Kelmora Ensemble"));
    overlay->setImage(QStringLiteral("icon-l-album-art-default"));
    overlay->setOverlayImage(QStringLiteral("icon-m-toolbar-mediacontrol-pause"));
    layout->addItem(overlay);
    for (int i = 0; i < Labels; ++i) {
        auto* label = new KelMediaLabel(KelMediaLabel::TextRightOfImage);
        label->setMinimumSize(Width, RowHeight);
        label->setMaximumSize(Width, RowHeight);
        label->setText(QStringLiteral("Track %1").arg(i + 1), KelMediaLabel::TopLeftLabel);
        label->setText(QStringLiteral("The Kelmora Ensemble"), KelMediaLabel::BottomLeftLabel);
        label->setText(QStringLiteral("03:07"), KelMediaLabel::TopRightLabel);
        label->setIconAsImage(QStringLiteral("icon-m-content-audio"));
        label->setLayoutMargins(Margin, Margin, Margin + MarkRoom, Margin);
        label->setPlayStatus(i % 3 == 0   ? KelMediaLabel::PlayStatusPlay
                             : i % 3 == 1 ? KelMediaLabel::PlayStatusPause
                                          : KelMediaLabel::PlayStatusNone);
        if (i % 2 == 0) {
            label->setFavoriteMark();
        }
        layout->addItem(label);
    }
    root->resize(Width, sceneHeight);
    labels.scene()->addItem(root);
    prepare(&labels, sceneHeight);

    MApplicationWindow rects;
    rects.scene()->addRect(0, 0, Width, OverlayHeight, QPen(Qt::white), QBrush(Qt::darkGray));
    for (int i = 0; i < Labels; ++i) {
        rects.scene()->addRect(0, OverlayHeight + i * RowHeight, Width, RowHeight, QPen(Qt::white),
                               QBrush(Qt::black));
    }
    prepare(&rects, sceneHeight);

    scrollAndPaint(&labels, frames / Rounds); // warm-up: glyph and pixmap caches
    // In turns, so that both see the same machine load.
    Frames plain;
    Frames ours;
    for (int round = 0; round < Rounds; ++round) {
        for (auto [view, total] : {std::pair{&rects, &plain}, std::pair{&labels, &ours}}) {
            const Frames part = scrollAndPaint(view, frames / Rounds);
            total->averageMs += part.averageMs / Rounds;
            total->worstMs = std::max(total->worstMs, part.worstMs);
        }
    }
    std::printf("paint, %d frames scrolling %d media labels and an overlay label: average "
                "%.3f ms, worst %.3f ms; plain rectangles: average %.3f ms, worst %.3f ms; "
                "ratio average %.1f, worst %.1f\n",
                frames, Labels, ours.averageMs, ours.worstMs, plain.averageMs, plain.worstMs,
                plain.averageMs > 0 ? ours.averageMs / plain.averageMs : 0.0,
                plain.worstMs > 0 ? ours.worstMs / plain.worstMs : 0.0);
    return 0;
}
