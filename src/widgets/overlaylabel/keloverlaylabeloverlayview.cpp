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
    : KelOverlayLabelView(labelController),
      m_overlayBackground(new MStylableWidget(labelController)),
      m_spinnerContainer(new MStylableWidget(labelController)),
      m_backgroundLayout(new QGraphicsLinearLayout(Qt::Horizontal)),
      m_spinnerLayout(new QGraphicsLinearLayout(Qt::Horizontal)), m_overlayTextLabel(new MLabel),
      m_smallImageWidget(new MImageWidget), m_pressed(false)
{
    controller->setStyleName(controller->constructionStyleName());
    m_backgroundLayout->setContentsMargins(0, 0, 0, 0);
    m_backgroundLayout->setSpacing(0);
    m_overlayTextLabel->setTextElide(true);
    m_overlayTextLabel->setStyleName(QStringLiteral("OverlayText"));
    m_overlayTextLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_backgroundLayout->addItem(m_overlayTextLabel);
    m_backgroundLayout->setStretchFactor(m_overlayTextLabel, 1);
    m_smallImageWidget->hide();
    m_smallImageWidget->setStyleName(QStringLiteral("OverlaySmallImage"));
    m_overlayBackground->setStyleName(QStringLiteral("OverlayBackground"));
    m_overlayBackground->setLayout(m_backgroundLayout);
    m_overlayBackground->hide();
    QTimer::singleShot(0, this, &KelOverlayLabelOverlayView::resizeOverlayBox);
}

KelOverlayLabelOverlayView::~KelOverlayLabelOverlayView()
{
    // Outside the layout it has no parent item: nothing else deletes it.
    if (!m_smallImageWidget->parentItem()) {
        m_smallImageWidget->deleteLater();
    }
    // The spinner belongs to the model: out of the holder and out of the scene (where it would
    // turn on, unseen by the next view, and be deleted a second time with the scene).
    if (MProgressIndicator* spinner = labelModel()->spinner()) {
        m_spinnerLayout->removeItem(spinner);
        spinner->setParentItem(nullptr);
        if (QGraphicsScene* scene = spinner->scene()) {
            scene->removeItem(spinner);
        }
    }
    if (m_spinnerContainer->layout() != m_spinnerLayout) {
        delete m_spinnerLayout;
    }
    // Gone with the view, so that a view installed later starts from a clean label.
    delete m_spinnerContainer;
    delete m_overlayBackground;
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
    m_pressed = isPressed;
}

void KelOverlayLabelOverlayView::setSmallImageStyleName(const QString& name)
{
    m_smallImageWidget->setStyleName(name);
}

void KelOverlayLabelOverlayView::setOverlayTextLabelStyleName(const QString& name)
{
    m_overlayTextLabel->setStyleName(name);
}

void KelOverlayLabelOverlayView::setOverlayBackgroundStyleName(const QString& name)
{
    m_overlayBackground->setStyleName(name);
}

void KelOverlayLabelOverlayView::updateData(const QList<const char*>& modifications)
{
    const KelOverlayLabelModel* m = labelModel();
    for (const char* name : modifications) {
        if (name == KelOverlayLabelModel::Title) {
            m_overlayTextLabel->setText(m->title());
        } else if (name == KelOverlayLabelModel::SmallImageId) {
            m_smallImageWidget->setImage(m->smallImageId());
            const bool inLayout = m_smallImageWidget->parentLayoutItem() == m_backgroundLayout;
            if (!m->smallImageId().isEmpty()) {
                if (!inLayout) {
                    m_backgroundLayout->insertItem(0, m_smallImageWidget);
                }
                m_smallImageWidget->show();
            } else {
                // Out of the text box, but still under the label so that it goes with it.
                if (inLayout) {
                    m_backgroundLayout->removeItem(m_smallImageWidget);
                }
                m_smallImageWidget->hide();
            }
        }
    }
    m_overlayBackground->setVisible(!m->title().isEmpty());
    updateGeometry();
    update();
}

void KelOverlayLabelOverlayView::resizeOverlayBox()
{
    const MWidgetStyle* s = labelStyle();
    const int width = s->preferredSize().width();
    controller->setPreferredSize(width, width);
    const QSizeF box(width - s->marginLeft() - s->marginRight(), labelStyle()->overlayHeight());
    m_overlayBackground->setMinimumSize(box);
    m_overlayBackground->setMaximumSize(box);
    m_overlayBackground->setPreferredSize(box);
    m_overlayBackground->resize(box);
    m_overlayBackground->setPos(s->marginLeft(),
                                rect().height() - m_overlayBackground->size().height() +
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
    if (m_pressed) {
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
        const KelThemePixmap icon(m->iconId(), QSize(IconSide, IconSide), painter);
        drawWhole(painter,
                  QRectF(s->marginLeft() + (r.width() - IconSide) / 2,
                         s->marginTop() + (r.height() - IconSide) / 2, IconSide, IconSide),
                  *icon);
    } else if (!m->imageId().isEmpty()) {
        const QSize whole(int(r.width()), int(r.height()));
        const KelThemePixmap picture(m->imageId(), whole, painter);
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
    const KelThemePixmap icon(id, QSize(int(r.width() * 0.5), int(r.height() * 0.5)), painter);
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
    m_spinnerContainer->setLayout(m_spinnerLayout);
    spinner->setStyleName(QStringLiteral("CommonLargeSpinnerInverted"));
    m_spinnerContainer->setPos(x, y);
    m_overlayBackground->hide();
    m_spinnerLayout->addItem(spinner);
    // Outside any layout the holder keeps the size it is given: give it room for the spinner.
    m_spinnerContainer->resize(m_spinnerContainer->effectiveSizeHint(Qt::PreferredSize));
}
