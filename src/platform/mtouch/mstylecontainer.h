#ifndef MSTYLECONTAINER_H
#define MSTYLECONTAINER_H

#include "mtouch_export.h"

#include <QObject>
#include <QString>

class MStyle;

/// The private part of a style container; the part of a derived container derives from it.
///
/// Owned and deleted by the container that adopts it.
class MTOUCH_EXPORT MStyleContainerPrivate
{
public:
    /// Virtual, so that the container deletes a derived part whole.
    virtual ~MStyleContainerPrivate();
};

/// Holds the theme style of one style class and object name, fetched from MTheme when first
/// read and given back when the name changes or the container goes.
///
/// Not copyable; a view owns its container. Main thread only.
class MTOUCH_EXPORT MStyleContainer
{
public:
    /// A container of the "MStyle" class without object name; nothing is fetched yet.
    MStyleContainer();
    /// Gives the style back to MTheme and deletes the private part.
    virtual ~MStyleContainer();
    MStyleContainer(const MStyleContainer&) = delete;
    MStyleContainer& operator=(const MStyleContainer&) = delete;

    /// The style class looked up ("MStyle" here; derived containers name theirs).
    virtual const char* styleType() const;
    /// The object name whose attributes override those of the class.
    QString objectName() const { return m_objectName; }
    /// Sets the object name; a change gives the current style back, so that the next read
    /// fetches the style of the new name.
    void setObjectName(const QString& objectName);
    /// The style, fetched on first read; owned by MTheme and valid until the name changes or
    /// the container goes. Never null: falls back to the framework's plain widget style.
    const MStyle* currentStyle() const;

protected:
    /// Adopts \a dd (null: no private part).
    explicit MStyleContainer(MStyleContainerPrivate* dd);
    /// The private part given at construction, or null; owned by the container.
    MStyleContainerPrivate* privatePart() const { return m_private; }

    /// The current style as S; S's defaults when the theme's style is of another class.
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
