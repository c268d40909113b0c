#ifndef MSTYLECREATOR_H
#define MSTYLECREATOR_H

#include "mtouchglobal.h"

#include <QMetaProperty>
#include <QString>

class MStyle;

// Makes the styles of one style class for MTheme; registers itself while it exists.
class MTOUCH_EXPORT MStyleCreatorBase
{
public:
    MStyleCreatorBase(const char* styleClass, const char* library, int assemblyType);
    virtual ~MStyleCreatorBase();
    MStyleCreatorBase(const MStyleCreatorBase&) = delete;
    MStyleCreatorBase& operator=(const MStyleCreatorBase&) = delete;

    QString styleClass() const { return m_styleClass; }
    QString library() const { return m_library; }
    int assemblyType() const { return m_assemblyType; }

    virtual MStyle* create() const = 0;
    // The type name of the attribute (inherited ones included), or null for an unknown name.
    virtual const char* attributeType(const char* attribute) const = 0;

private:
    QString m_styleClass;
    QString m_library;
    int m_assemblyType;
};

template <class T> class MStyleCreator : public MStyleCreatorBase
{
public:
    using MStyleCreatorBase::MStyleCreatorBase;
    MStyle* create() const override { return new T; }
    const char* attributeType(const char* attribute) const override
    {
        const int index = T::staticMetaObject.indexOfProperty(attribute);
        return index < 0 ? nullptr : T::staticMetaObject.property(index).typeName();
    }
};

#endif
