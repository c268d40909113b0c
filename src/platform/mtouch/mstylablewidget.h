#ifndef MSTYLABLEWIDGET_H
#define MSTYLABLEWIDGET_H

#include "mwidgetcontroller.h"
#include "mwidgetstylecontainer.h"

/// A controller whose look comes from a theme style of its own class; drawn by a plain view
/// (background colour) until another view is installed.
///
/// The plain view gets its style container from createStyleContainer(). Main thread only.
class MTOUCH_EXPORT MStylableWidget : public MWidgetController
{
    Q_OBJECT
public:
    /// A widget with its plain view installed; \a parent (an item) owns it.
    explicit MStylableWidget(QGraphicsItem* parent = nullptr);
    /// Deletes the view and the model, as the controller does.
    ~MStylableWidget() override;

    /// Records that the class of \a metaObject comes from \a library; \a assemblyType is kept
    /// for the framework's signature and not used.
    static void registerStylableWidgetType(const QMetaObject* metaObject, const char* library,
                                           int assemblyType);

    /// The style class of the widget ("MWidgetStyle" by default).
    virtual const char* styleType() const;
    /// A new style container for styleType(); the caller (the view) takes it over.
    virtual MWidgetStyleContainer* createStyleContainer() const;
};

#endif
