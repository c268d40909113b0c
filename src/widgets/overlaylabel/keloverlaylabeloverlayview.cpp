#include "keloverlaylabeloverlayview.h"

#include "../kelthemepixmap_p.h"
#include "keloverlaylabel.h"
#include "keloverlaylabelmodel.h"
#include "keloverlaylabelstyle.h"

#include <mimagewidget.h>
#include <mlabel.h>
#include <mprogressindicator.h>
#include <mstylablewidget.h>
#include <mtheme.h>

#include <QGraphicsLinearLayout>
#include <QGraphicsScene>
#include <QPainter>
#include <QTimer>

namespace {
// A theme icon is drawn at this size in the middle of an image-less label.
const int IconSide = 64;
// Half-transparent white laid over the label while it is pressed.
const QColor PressedVeil(255, 255, 255, 127);

void drawWhole(QPainter* painter, const QRectF& target, const QPixmap& pixmap)
{
    painter->setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter->drawPixmap(target, pixmap, QRectF(pixmap.rect()));
    painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
}
} // namespace

KelOverlayLabelOverlayView::KelOverlayLabelOverlayView(KelOverlayLabel* labelController)
    : KelOverlayLabelView(labelController), overlayBackground(new MStylableWidget(labelController)),
      spinnerContainer(new MStylableWidget(labelController)),
      backgroundLayout(new QGraphicsLinearLayout(Qt::Horizontal)),
      spinnerLayout(new QGraphicsLinearLayout(Qt::Horizontal)), overlayTextLabel(new MLabel),
      smallImageWidget(new MImageWidget), pressed(false)
{
    controller->setStyleName(controller->constructionStyleName());
    backgroundLayout->setContentsMargins(0, 0, 0, 0);
    backgroundLayout->setSpacing(0);
    overlayTextLabel->setTextElide(true);
    overlayTextLabel->setStyleName(QStringLiteral("OverlayText"));
    overlayTextLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    backgroundLayout->addItem(overlayTextLabel);
    backgroundLayout->setStretchFactor(overlayTextLabel, 1);
    smallImageWidget->hide();
    smallImageWidget->setStyleName(QStringLiteral("OverlaySmallImage"));
    overlayBackground->setStyleName(QStringLiteral("OverlayBackground"));
    overlayBackground->setLayout(backgroundLayout);
    overlayBackground->hide();
    QTimer::singleShot(0, this, &KelOverlayLabelOverlayView::resizeOverlayBox);
}

KelOverlayLabelOverlayView::~KelOverlayLabelOverlayView()
{
    // Outside the layout it has no parent item: nothing else deletes it.
    if (!smallImageWidget->parentItem()) {
        smallImageWidget->deleteLater();
    }
    // The spinner belongs to the model: out of the holder and out of the scene (where it would
    // turn on, unseen by the next view, and be deleted a second time with the scene).
    if (MProgressIndicator* spinner = labelModel()->spinner()) {
        spinnerLayout->removeItem(spinner);
        spinner->setParentItem(nullptr);
        if (QGraphicsScene* scene = spinner->scene()) {
            scene->removeItem(spinner);
        }
    }
    if (spinnerContainer->layout() != spinnerLayout) {
        delete spinnerLayout;
    }
    // Gone with the view, so that a view installed later starts from a clean label.
    delete spinnerContainer;
    delete overlayBackground;
}

void KelOverlayLabelOverlayView::setupModel()
{
    KelOverlayLabelView::setupModel();
    // Installed while loading: the spinner comes here.
    if (labelModel()->spinner()) {
        setLoadingGraphics(false);
    }
}

void KelOverlayLabelOverlayView::setPressedState(bool isPressed)
{
    pressed = isPressed;
}

void KelOverlayLabelOverlayView::setSmallImageStyleName(const QString& name)
{
    smallImageWidget->setStyleName(name);
}

void KelOverlayLabelOverlayView::setOverlayTextLabelStyleName(const QString& name)
{
    overlayTextLabel->setStyleName(name);
}

void KelOverlayLabelOverlayView::setOverlayBackgroundStyleName(const QString& name)
{
    overlayBackground->setStyleName(name);
}

void KelOverlayLabelOverlayView::updateData(const QList<const char*>& modifications)
{
    const KelOverlayLabelModel* m = labelModel();
    for (const char* name : modifications) {
        if (name == KelOverlayLabelModel::Title) {
            overlayTextLabel->setText(m->title());
        } else if (name == KelOverlayLabelModel::SmallImageId) {
            smallImageWidget->setImage(m->smallImageId());
            const bool inLayout = smallImageWidget->parentLayoutItem() == backgroundLayout;
            if (!m->smallImageId().isEmpty()) {
                if (!inLayout) {
                    backgroundLayout->insertItem(0, smallImageWidget);
                }
                smallImageWidget->show();
            } else {
                // Out of the text box, but still under the label so that it goes with it.
                if (inLayout) {
                    backgroundLayout->removeItem(smallImageWidget);
                }
                smallImageWidget->hide();
            }
        }
    }
    overlayBackground->setVisible(!m->title().isEmpty());
    updateGeometry();
    update();
}

void KelOverlayLabelOverlayView::resizeOverlayBox()
{
    const MWidgetStyle* s = labelStyle();
    const int width = s->preferredSize().width();
    controller->setPreferredSize(width, width);
    const QSizeF box(width - s->marginLeft() - s->marginRight(), labelStyle()->overlayHeight());
    overlayBackground->setMinimumSize(box);
    overlayBackground->setMaximumSize(box);
    overlayBackground->setPreferredSize(box);
    overlayBackground->resize(box);
    overlayBackground->setPos(s->marginLeft(),
                              rect().height() - overlayBackground->size().height() +
                                  s->marginTop() - labelStyle()->overlayBottomMargin());
}

void KelOverlayLabelOverlayView::resizeEvent(QGraphicsSceneResizeEvent* event)
{
    resizeOverlayBox();
    MWidgetView::resizeEvent(event);
}

void KelOverlayLabelOverlayView::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    drawImage(painter);
    drawOverlayIcon(painter);
    if (pressed) {
        drawPressedState(painter);
    }
}

void KelOverlayLabelOverlayView::drawImage(QPainter* painter)
{
    const KelOverlayLabelModel* m = labelModel();
    if (m->loading()) {
        return;
    }
    const MWidgetStyle* s = labelStyle();
    const QRectF r = rect();
    if (m->image()) {
        drawWhole(painter, QRectF(s->marginLeft(), s->marginTop(), r.width(), r.height()),
                  *m->image());
    } else if (!m->iconId().isEmpty()) {
        const KelThemePixmap icon(m->iconId(), QSize(IconSide, IconSide));
        drawWhole(painter,
                  QRectF(s->marginLeft() + (r.width() - IconSide) / 2,
                         s->marginTop() + (r.height() - IconSide) / 2, IconSide, IconSide),
                  *icon);
    } else if (!m->imageId().isEmpty()) {
        const QSize whole(int(r.width()), int(r.height()));
        const KelThemePixmap picture(m->imageId(), whole);
        drawWhole(painter, QRectF(r.topLeft(), QSizeF(whole)), *picture);
    }
}

void KelOverlayLabelOverlayView::drawOverlayIcon(QPainter* painter)
{
    const QString id = labelModel()->overlayImageId();
    if (id.isEmpty()) {
        return;
    }
    const MWidgetStyle* s = labelStyle();
    const QRectF r = rect();
    const KelThemePixmap icon(id, QSize(int(r.width() * 0.5), int(r.height() * 0.5)));
    drawWhole(painter,
              QRectF(s->marginLeft() + r.width() * 0.25, s->marginTop() + r.height() * 0.25,
                     r.width() * 0.5, r.height() * 0.5),
              *icon);
}

void KelOverlayLabelOverlayView::drawPressedState(QPainter* painter)
{
    const MWidgetStyle* s = labelStyle();
    const QRectF r = rect();
    painter->setPen(Qt::NoPen);
    painter->setBrush(PressedVeil);
    painter->drawRect(QRectF(s->marginLeft(), s->marginTop(), r.width(), r.height()));
}

void KelOverlayLabelOverlayView::setLoadingGraphics(bool marginShift)
{
    MProgressIndicator* spinner = labelModel()->spinner();
    if (!spinner) {
        return;
    }
    QSizeF spinnerSize(-1, -1);
    if (const MStyle* spinnerStyle = MTheme::style("MSpinnerStyle", QString())) {
        const QVariant preferred = spinnerStyle->property("preferredSize");
        if (preferred.canConvert<QSizeF>()) {
            spinnerSize = preferred.toSizeF();
        }
        MTheme::releaseStyle(spinnerStyle);
    }
    const MWidgetStyle* s = labelStyle();
    const qreal shift = marginShift ? s->marginLeft() : 0;
    const QSizeF area = size();
    const qreal x = (area.width() - s->marginRight()) / 2 - spinnerSize.width() / 2 - shift;
    const qreal y = (area.height() - s->marginBottom()) / 2 - spinnerSize.height() / 2 - shift;
    spinnerContainer->setLayout(spinnerLayout);
    spinner->setStyleName(QStringLiteral("CommonLargeSpinnerInverted"));
    spinnerContainer->setPos(x, y);
    overlayBackground->hide();
    spinnerLayout->addItem(spinner);
    // Outside any layout the holder keeps the size it is given: give it room for the spinner.
    spinnerContainer->resize(spinnerContainer->effectiveSizeHint(Qt::PreferredSize));
}
