#ifndef MSTYLECONTAINER_H
#define MSTYLECONTAINER_H

#include "mtouchglobal.h"

#include <QString>

class MStyle;

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

private:
    void release() const;

    QString m_objectName;
    mutable const MStyle* m_style = nullptr;
};

#endif
