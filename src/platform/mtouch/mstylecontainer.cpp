#include "mstylecontainer.h"

#include "mtheme.h"
#include "mwidgetstyle.h"
#include "mwidgetstylecontainer.h"

MStyleContainer::MStyleContainer() = default;

MStyleContainer::~MStyleContainer()
{
    release();
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

MWidgetStyleContainer::MWidgetStyleContainer(const char* styleType) : m_type(styleType) {}

MWidgetStyleContainer::~MWidgetStyleContainer() = default;

const MWidgetStyle* MWidgetStyleContainer::operator->() const
{
    return currentStyleAs<MWidgetStyle>();
}
