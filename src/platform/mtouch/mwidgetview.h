#ifndef MWIDGETVIEW_H
#define MWIDGETVIEW_H

#include "mwidgetstylecontainer.h"

#include <QList>
#include <QObject>
#include <QRectF>

class MWidgetController;
class MWidgetModel;
class QGraphicsSceneResizeEvent;
class QPainter;
class QStyleOptionGraphicsItem;
class QWidget;

/// Draws a controller from its model and style. Never writes the model.
///
/// Made for one controller and installed with MWidgetController::setView(), which takes it
/// over. Subclasses draw in drawBackground(), drawContents() and drawForeground(), follow the
/// model in setupModel() and updateData(), and name their style class in styleType() and
/// createStyleContainer(). Main thread only.
class MTOUCH_EXPORT MWidgetView : public QObject
{
    Q_OBJECT
public:
    /// A view for \a controller, which must outlive it (it does once the view is installed).
    explicit MWidgetView(MWidgetController* controller);
    /// Deletes the style container and releases its style.
    ~MWidgetView() override;

    /// The controller's model, or null; owned by the controller.
    MWidgetModel* model() const;
    /// The style container, made with createStyleContainer() on first use and named after the
    /// controller's style name (its object name while that is empty). Owned by the view.
    const MWidgetStyleContainer& style() const;
    /// The controller's rectangle in its own coordinates.
    QRectF rect() const;
    /// The controller's size.
    QSizeF size() const;
    /// Schedules a repaint of \a rect of the controller (all of it by default).
    void update(const QRectF& rect = QRectF());
    /// Asks the controller's layout for a new size hint.
    void updateGeometry();

    /// Paints background and contents; the foreground is painted over the controller's
    /// children.
    virtual void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget);
    /// Paints the foreground; called by the controller's topmost child item.
    void paintForeground(QPainter* painter, const QStyleOptionGraphicsItem* option) const;
    /// The controller was resized; the default does nothing.
    virtual void resizeEvent(QGraphicsSceneResizeEvent* event);
    /// The style's preferred size as the preferred size hint; an invalid size (the controller's
    /// own hint) otherwise.
    virtual QSizeF sizeHint(Qt::SizeHint which, const QSizeF& constraint) const;
    /// The controller's style name changed: the style container is renamed, so that it looks
    /// its attributes up again.
    void applyStyleName();

    /// Shows the whole model: called whenever the model or the view is installed, so that a
    /// view shows what the model held before it came. The default does nothing.
    virtual void setupModel();

public Q_SLOTS:
    /// The model's members \a modifications changed (MWidgetModel::modified()); the controller
    /// repaints afterwards. The default does nothing.
    virtual void updateData(const QList<const char*>& modifications);

protected:
    /// Fills rect() with the style's background colour when it has a valid one.
    virtual void drawBackground(QPainter* painter, const QStyleOptionGraphicsItem* option) const;
    /// Draws the contents; the default draws nothing.
    virtual void drawContents(QPainter* painter, const QStyleOptionGraphicsItem* option) const;
    /// Draws over the controller's children; the default draws nothing.
    virtual void drawForeground(QPainter* painter, const QStyleOptionGraphicsItem* option) const;
    /// A new style container for styleType(); the view takes it over.
    virtual MWidgetStyleContainer* createStyleContainer() const;
    /// The style class of the view ("MWidgetStyle" by default).
    virtual const char* styleType() const;

    /// The controller the view draws; not owned.
    MWidgetController* const controllerItem;

private:
    mutable MWidgetStyleContainer* m_style = nullptr;
};

#endif
