#ifndef MSTYLECREATOR_H
#define MSTYLECREATOR_H

#include "mtouch_export.h"

#include <QMetaProperty>
#include <QString>

class MStyle;

/// Makes the styles of one style class for MTheme; registers itself while it exists.
///
/// Widget libraries define one static MStyleCreator per style class; MTheme never owns it.
/// Main thread only (static construction included).
class MTOUCH_EXPORT MStyleCreatorBase
{
public:
    /// Registers the creator of \a styleClass, from \a library, with MTheme; a later creator of
    /// the same class replaces it. \a assemblyType is kept for the framework's signature.
    MStyleCreatorBase(const char* styleClass, const char* library, int assemblyType);
    /// Unregisters the creator, unless another took its class over.
    virtual ~MStyleCreatorBase();
    MStyleCreatorBase(const MStyleCreatorBase&) = delete;
    MStyleCreatorBase& operator=(const MStyleCreatorBase&) = delete;

    /// The style class given at construction.
    QString styleClass() const { return m_styleClass; }
    /// The library given at construction.
    QString library() const { return m_library; }
    /// The assembly type given at construction.
    int assemblyType() const { return m_assemblyType; }

    /// A new style of the class with its defaults; MTheme takes it over.
    virtual MStyle* create() const = 0;
    /// The type name of the attribute (inherited ones included), or null for an unknown name.
    virtual const char* attributeType(const char* attribute) const = 0;

private:
    QString m_styleClass;
    QString m_library;
    int m_assemblyType;
};

/// The style creator of style class T (an MStyle subclass with a default constructor).
template <class T> class MStyleCreator : public MStyleCreatorBase
{
public:
    using MStyleCreatorBase::MStyleCreatorBase;
    /// A new T; MTheme takes it over.
    MStyle* create() const override { return new T; }
    /// The type name of T's property \a attribute, or null.
    const char* attributeType(const char* attribute) const override
    {
        const int index = T::staticMetaObject.indexOfProperty(attribute);
        return index < 0 ? nullptr : T::staticMetaObject.property(index).typeName();
    }
};

#endif
