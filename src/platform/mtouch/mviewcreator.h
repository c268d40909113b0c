#ifndef MVIEWCREATOR_H
#define MVIEWCREATOR_H

#include "mtouch_export.h"

#include <QString>

class MWidgetController;
class MWidgetView;

/// Makes the views of one view class for MTheme; registers itself while it exists.
///
/// Widget libraries define one static MViewCreator per view class; MTheme never owns it.
class MTOUCH_EXPORT MViewCreatorBase
{
public:
    /// Registers the creator of \a viewClass with MTheme; a later creator of the same class
    /// replaces it.
    explicit MViewCreatorBase(const char* viewClass);
    /// Unregisters the creator, unless another took its class over.
    virtual ~MViewCreatorBase();
    MViewCreatorBase(const MViewCreatorBase&) = delete;
    MViewCreatorBase& operator=(const MViewCreatorBase&) = delete;

    /// The view class given at construction.
    QString viewClass() const { return m_viewClass; }
    /// A new view for controller, or null when controller is not of the view's class. The
    /// caller installs it (MWidgetController::setView() takes it over).
    virtual MWidgetView* create(const MWidgetController* controller) const = 0;

private:
    QString m_viewClass;
};

/// The view creator of View, a view made for controllers of class Controller.
template <class View, class Controller> class MViewCreator : public MViewCreatorBase
{
public:
    using MViewCreatorBase::MViewCreatorBase;
    /// A new View when \a controller is a Controller, else null.
    MWidgetView* create(const MWidgetController* controller) const override
    {
        auto* typed = qobject_cast<Controller*>(const_cast<MWidgetController*>(controller));
        return typed ? new View(typed) : nullptr;
    }
};

#endif
