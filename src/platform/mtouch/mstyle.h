#ifndef MSTYLE_H
#define MSTYLE_H

#include "mtouchglobal.h"

#include <QObject>

// A set of theme attributes, each a Qt property. Made and shared by MTheme.
class MTOUCH_EXPORT MStyle : public QObject
{
    Q_OBJECT
public:
    MStyle();
    ~MStyle() override;
};

#endif
