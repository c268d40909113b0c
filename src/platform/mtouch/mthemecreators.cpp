#include "mtheme.h"

#include "mstylecreator.h"
#include "mtheme_p.h"
#include "mviewcreator.h"

using namespace MThemeInternal;

void MTheme::registerStyleCreator(const MStyleCreatorBase* creator)
{
    theme().styleCreators.insert(creator->styleClass(), creator);
}

void MTheme::unregisterStyleCreator(const MStyleCreatorBase* creator)
{
    if (theme().styleCreators.value(creator->styleClass()) == creator) {
        theme().styleCreators.remove(creator->styleClass());
    }
}

const MStyleCreatorBase* MTheme::styleCreator(const QString& styleClass)
{
    return theme().styleCreators.value(styleClass);
}

void MTheme::registerViewCreator(const MViewCreatorBase* creator)
{
    theme().viewCreators.insert(creator->viewClass(), creator);
}

void MTheme::unregisterViewCreator(const MViewCreatorBase* creator)
{
    if (theme().viewCreators.value(creator->viewClass()) == creator) {
        theme().viewCreators.remove(creator->viewClass());
    }
}

const MViewCreatorBase* MTheme::viewCreator(const QString& viewClass)
{
    return theme().viewCreators.value(viewClass);
}

MWidgetView* MTheme::view(const QString& viewClass, const MWidgetController* controller)
{
    const MViewCreatorBase* creator = viewCreator(viewClass);
    return creator ? creator->create(controller) : nullptr;
}

MStyleCreatorBase::MStyleCreatorBase(const char* styleClass, const char* library, int assemblyType)
    : m_styleClass(QString::fromLatin1(styleClass)), m_library(QString::fromLatin1(library)),
      m_assemblyType(assemblyType)
{
    MTheme::registerStyleCreator(this);
}

MStyleCreatorBase::~MStyleCreatorBase()
{
    MTheme::unregisterStyleCreator(this);
}

MViewCreatorBase::MViewCreatorBase(const char* viewClass)
    : m_viewClass(QString::fromLatin1(viewClass))
{
    MTheme::registerViewCreator(this);
}

MViewCreatorBase::~MViewCreatorBase()
{
    MTheme::unregisterViewCreator(this);
}
