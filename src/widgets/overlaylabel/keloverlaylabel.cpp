#include "keloverlaylabel.h"

#include "keloverlaylabelmodel.h"
#include "keloverlaylabelnormalview.h"
#include "keloverlaylabeloverlayview.h"
#include "keloverlaylabelstylecontainer.h"

#include <mcancelevent.h>
#include <mfeedback.h>
#include <mimagereader.h>
#include <mtheme.h>

#include <QGestureEvent>
#include <QGraphicsSceneMouseEvent>
#include <QTapAndHoldGesture>
#include <QTimer>

namespace {
// A file's image is kept scaled down to fit this: the label never shows more.
const int MaxImageSide = 2048;
// A release this far outside the label still counts as a click: fingers drift while lifting.
const qreal ReleaseReach = 30;
// The pressed look stays this long after a release, so that a quick tap is seen.
const int PressedLingerMs = 300;
} // namespace

KelOverlayLabel::KelOverlayLabel(ViewType type, const QString& styleName, MWidget* parent)
    : MStylableWidget(parent), m_styleName(styleName)
{
    registerStylableWidgetType(&staticMetaObject, "libkelmora", 0);
    init(type);
}

KelOverlayLabel::KelOverlayLabel(const QString& styleName, MWidget* parent)
    : KelOverlayLabel(OverlayView, styleName, parent)
{
}

KelOverlayLabel::~KelOverlayLabel()
{
    labelModel()->releaseImage();
    if (m_themeImage) {
        MTheme::releasePixmap(m_themeImage);
    }
}

void KelOverlayLabel::init(ViewType type)
{
    auto* fresh = new KelOverlayLabelModel;
    fresh->initializeImage();
    setModel(fresh);
    setTypeOfView(type);
    grabGesture(Qt::TapAndHoldGesture);
}

KelOverlayLabelModel* KelOverlayLabel::labelModel() const
{
    return static_cast<KelOverlayLabelModel*>(model());
}

KelOverlayLabelOverlayView* KelOverlayLabel::overlayView() const
{
    // The framework's current view: it may have been replaced without setTypeOfView.
    return qobject_cast<KelOverlayLabelOverlayView*>(view());
}

void KelOverlayLabel::setTypeOfView(ViewType type)
{
    MWidgetView* made = nullptr;
    if (type == OverlayView) {
        made = new KelOverlayLabelOverlayView(this);
    } else if (type == NormalView) {
        made = new KelOverlayLabelNormalView(this);
    }
    MWidgetController::setView(made);
}

KelOverlayLabel::ViewType KelOverlayLabel::typeOfView() const
{
    if (qobject_cast<const KelOverlayLabelOverlayView*>(view())) {
        return OverlayView;
    }
    if (qobject_cast<const KelOverlayLabelNormalView*>(view())) {
        return NormalView;
    }
    return Undefined;
}

const char* KelOverlayLabel::styleType() const
{
    return "KelOverlayLabelStyle";
}

MWidgetStyleContainer* KelOverlayLabel::createStyleContainer() const
{
    return new KelOverlayLabelStyleContainer;
}

void KelOverlayLabel::setTitle(const QString& title)
{
    labelModel()->setTitle(title);
}
QString KelOverlayLabel::title() const
{
    return labelModel()->title();
}
void KelOverlayLabel::setSubtitle(const QString& subtitle)
{
    labelModel()->setSubtitle(subtitle);
}
QString KelOverlayLabel::subtitle() const
{
    return labelModel()->subtitle();
}
QString KelOverlayLabel::imageId() const
{
    return labelModel()->imageId();
}
QString KelOverlayLabel::imageUri() const
{
    return labelModel()->imageUri();
}
void KelOverlayLabel::setSmallImage(const QString& id)
{
    labelModel()->setSmallImageId(id);
}
QString KelOverlayLabel::smallImage() const
{
    return labelModel()->smallImageId();
}
void KelOverlayLabel::setOverlayImage(const QString& id)
{
    labelModel()->setOverlayImageId(id);
}
QString KelOverlayLabel::overlayImage() const
{
    return labelModel()->overlayImageId();
}

void KelOverlayLabel::setImage(const QString& id)
{
    labelModel()->setImage(nullptr);
    labelModel()->setImageId(id);
    labelModel()->setIconId(QString());
}

void KelOverlayLabel::setIcon(const QString& id)
{
    labelModel()->setImage(nullptr);
    labelModel()->setIconId(id);
    labelModel()->setImageId(QString());
}

void KelOverlayLabel::setImage(const QPixmap& pixmap)
{
    labelModel()->setImage(new QPixmap(pixmap));
}

void KelOverlayLabel::setImage(const QImage& image)
{
    labelModel()->setImage(new QPixmap(QPixmap::fromImage(image)));
}

void KelOverlayLabel::loadImage(const QString& fileUri)
{
    labelModel()->setImageUri(fileUri);
    MImageReader reader;
    reader.setSize(QSize(MaxImageSide, MaxImageSide));
    setImage(reader.load(fileUri));
}

const QPixmap* KelOverlayLabel::image() const
{
    const QString id = labelModel()->imageId();
    if (id.isEmpty()) {
        return labelModel()->image();
    }
    if (!m_themeImage || id != m_themeImageId) {
        if (m_themeImage) {
            MTheme::releasePixmap(m_themeImage);
        }
        m_themeImage = MTheme::pixmap(id);
        m_themeImageId = id;
    }
    return m_themeImage;
}

void KelOverlayLabel::setSmallImageStyleName(const QString& name)
{
    if (KelOverlayLabelOverlayView* overlay = overlayView()) {
        overlay->setSmallImageStyleName(name);
    }
}

void KelOverlayLabel::setOverlayTextLabelStyleName(const QString& name)
{
    if (KelOverlayLabelOverlayView* overlay = overlayView()) {
        overlay->setOverlayTextLabelStyleName(name);
    }
}

void KelOverlayLabel::setOverlayBackgroundStyleName(const QString& name)
{
    if (KelOverlayLabelOverlayView* overlay = overlayView()) {
        overlay->setOverlayBackgroundStyleName(name);
    }
}

void KelOverlayLabel::setLoading(bool loading, bool marginShift)
{
    labelModel()->setLoading(loading);
    if (KelOverlayLabelOverlayView* overlay = overlayView()) {
        overlay->setLoadingGraphics(marginShift);
    }
}

void KelOverlayLabel::setPressedState()
{
    if (KelOverlayLabelOverlayView* overlay = overlayView()) {
        overlay->setPressedState(true);
        update();
    }
}

void KelOverlayLabel::setDefaultState()
{
    if (KelOverlayLabelOverlayView* overlay = overlayView()) {
        overlay->setPressedState(false);
        update();
    }
}

void KelOverlayLabel::mousePressEvent(QGraphicsSceneMouseEvent* event)
{
    m_pressInProgress = true;
    m_pressedShown = true;
    setPressedState();
    MFeedback::play(QStringLiteral("press"));
    event->accept();
}

void KelOverlayLabel::mouseMoveEvent(QGraphicsSceneMouseEvent* event)
{
    const bool inside = QRectF(QPointF(0, 0), size()).contains(event->pos());
    if (!m_pressedShown && inside) {
        setPressedState();
        m_pressedShown = true;
    } else if (m_pressedShown && !inside) {
        setDefaultState();
        m_pressedShown = false;
    }
}

void KelOverlayLabel::mouseReleaseEvent(QGraphicsSceneMouseEvent* event)
{
    if (m_pressInProgress) {
        const QRectF reach =
            sceneBoundingRect().adjusted(-ReleaseReach, -ReleaseReach, ReleaseReach, ReleaseReach);
        if (reach.contains(event->scenePos())) {
            MFeedback::play(QStringLiteral("release"));
            Q_EMIT clicked();
        }
    }
    m_pressInProgress = false;
    m_pressedShown = false;
    QTimer::singleShot(PressedLingerMs, this, &KelOverlayLabel::setDefaultState);
    event->accept();
}

void KelOverlayLabel::cancelEvent(MCancelEvent* event)
{
    setDefaultState();
    m_pressInProgress = false;
    m_pressedShown = false;
    event->accept();
}

void KelOverlayLabel::tapAndHoldGestureEvent(QGestureEvent* event, QTapAndHoldGesture* gesture)
{
    event->accept(gesture);
    if (gesture->state() == Qt::GestureFinished) {
        m_pressInProgress = false;
        m_pressedShown = false;
        Q_EMIT longTapped(gesture->position());
    }
}
