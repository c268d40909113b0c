#ifndef MVIEWCREATOR_H
#define MVIEWCREATOR_H

#include "mtouchglobal.h"

#include <QString>

class MWidgetController;
class MWidgetView;

// Makes the views of one view class for MTheme; registers itself while it exists.
class MTOUCH_EXPORT MViewCreatorBase
{
public:
    explicit MViewCreatorBase(const char* viewClass);
    virtual ~MViewCreatorBase();
    MViewCreatorBase(const MViewCreatorBase&) = delete;
    MViewCreatorBase& operator=(const MViewCreatorBase&) = delete;

    QString viewClass() const { return m_viewClass; }
    // A new view for controller, or null when controller is not of the view's class.
    virtual MWidgetView* create(const MWidgetController* controller) const = 0;

private:
    QString m_viewClass;
};

template <class View, class Controller> class MViewCreator : public MViewCreatorBase
{
public:
    using MViewCreatorBase::MViewCreatorBase;
    MWidgetView* create(const MWidgetController* controller) const override
    {
        auto* typed = qobject_cast<Controller*>(const_cast<MWidgetController*>(controller));
        return typed ? new View(typed) : nullptr;
    }
};

#endif
