#ifndef MSTYLECONTAINER_H
#define MSTYLECONTAINER_H

#include "mtouchglobal.h"

#include <QObject>
#include <QString>

class MStyle;

// The private part of a style container; the part of a derived container derives from it.
class MTOUCH_EXPORT MStyleContainerPrivate
{
public:
    virtual ~MStyleContainerPrivate();
};

// Holds the theme style of one style class and object name, fetched from MTheme when first
// read and given back when the name changes or the container goes.
class MTOUCH_EXPORT MStyleContainer
{
public:
    MStyleContainer();
    virtual ~MStyleContainer();
    MStyleContainer(const MStyleContainer&) = delete;
    MStyleContainer& operator=(const MStyleContainer&) = delete;

    virtual const char* styleType() const;
    QString objectName() const { return m_objectName; }
    void setObjectName(const QString& objectName);
    // Never null: falls back to the framework's plain widget style.
    const MStyle* currentStyle() const;

protected:
    // Adopts dd (null: no private part).
    explicit MStyleContainer(MStyleContainerPrivate* dd);
    MStyleContainerPrivate* privatePart() const { return m_private; }

    // The current style as S; S's defaults when the theme's style is of another class.
    template <class S> const S* currentStyleAs() const
    {
        static const S defaults;
        const auto* style = qobject_cast<const S*>(currentStyle());
        return style ? style : &defaults;
    }

private:
    void release() const;

    MStyleContainerPrivate* const m_private;
    QString m_objectName;
    mutable const MStyle* m_style = nullptr;
};

#endif
