#include "mstylecontainer.h"

#include "mtheme.h"
#include "mwidgetstyle.h"
#include "mwidgetstylecontainer.h"

MStyleContainerPrivate::~MStyleContainerPrivate() = default;

MStyleContainer::MStyleContainer() : m_private(nullptr) {}

MStyleContainer::MStyleContainer(MStyleContainerPrivate* dd) : m_private(dd) {}

MStyleContainer::~MStyleContainer()
{
    release();
    delete m_private;
}

const char* MStyleContainer::styleType() const
{
    return "MStyle";
}

void MStyleContainer::setObjectName(const QString& objectName)
{
    if (objectName != m_objectName) {
        release();
        m_objectName = objectName;
    }
}

void MStyleContainer::release() const
{
    if (m_style) {
        MTheme::releaseStyle(m_style);
        m_style = nullptr;
    }
}

const MStyle* MStyleContainer::currentStyle() const
{
    if (!m_style) {
        m_style = MTheme::style(styleType(), m_objectName);
        if (!m_style) {
            m_style = MTheme::style("MWidgetStyle", m_objectName);
        }
    }
    return m_style;
}

MWidgetStyleContainerPrivate::~MWidgetStyleContainerPrivate() = default;

MWidgetStyleContainer::MWidgetStyleContainer(const char* styleType) : m_type(styleType) {}

MWidgetStyleContainer::MWidgetStyleContainer(MWidgetStyleContainerPrivate* dd,
                                             const char* styleType)
    : MStyleContainer(dd), m_type(styleType)
{
}

MWidgetStyleContainer::~MWidgetStyleContainer() = default;

const MWidgetStyle* MWidgetStyleContainer::operator->() const
{
    return currentStyleAs<MWidgetStyle>();
}
