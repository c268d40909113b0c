#ifndef MSTYLABLEWIDGET_H
#define MSTYLABLEWIDGET_H

#include "mwidgetcontroller.h"
#include "mwidgetstylecontainer.h"

// A controller whose look comes from a theme style of its own class; drawn by a plain view
// (background colour) until another view is installed.
class MTOUCH_EXPORT MStylableWidget : public MWidgetController
{
    Q_OBJECT
public:
    explicit MStylableWidget(QGraphicsItem* parent = nullptr);
    ~MStylableWidget() override;

    static void registerStylableWidgetType(const QMetaObject* metaObject, const char* library,
                                           int assemblyType);

    virtual const char* styleType() const;
    virtual MWidgetStyleContainer* createStyleContainer() const;
};

#endif
