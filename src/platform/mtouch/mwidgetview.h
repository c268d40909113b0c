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

// Draws a controller from its model and style. Never writes the model.
class MTOUCH_EXPORT MWidgetView : public QObject
{
    Q_OBJECT
public:
    explicit MWidgetView(MWidgetController* controller);
    ~MWidgetView() override;

    MWidgetModel* model() const;
    // The style container, made with createStyleContainer() on first use and named after the
    // controller's style name.
    const MWidgetStyleContainer& style() const;
    QRectF rect() const;
    QSizeF size() const;
    void update(const QRectF& rect = QRectF());
    void updateGeometry();

    // Background and contents; the foreground is painted over the controller's children.
    virtual void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget);
    void paintForeground(QPainter* painter, const QStyleOptionGraphicsItem* option) const;
    virtual void resizeEvent(QGraphicsSceneResizeEvent* event);
    virtual QSizeF sizeHint(Qt::SizeHint which, const QSizeF& constraint) const;
    // The controller's style name changed.
    void applyStyleName();

    // Shows the whole model: called whenever the model or the view is installed, so that a
    // view shows what the model held before it came.
    virtual void setupModel();

public Q_SLOTS:
    virtual void updateData(const QList<const char*>& modifications);

protected:
    virtual void drawBackground(QPainter* painter, const QStyleOptionGraphicsItem* option) const;
    virtual void drawContents(QPainter* painter, const QStyleOptionGraphicsItem* option) const;
    virtual void drawForeground(QPainter* painter, const QStyleOptionGraphicsItem* option) const;
    virtual MWidgetStyleContainer* createStyleContainer() const;
    virtual const char* styleType() const;

    MWidgetController* const controllerItem;

private:
    mutable MWidgetStyleContainer* m_style = nullptr;
};

#endif
