#ifndef MSTYLE_H
#define MSTYLE_H

#include "mtouch_export.h"

#include <QObject>

/// A set of theme attributes, each a Qt property. Made and shared by MTheme.
///
/// Styles are read-only once made: get one with MTheme::style() and give it back with
/// MTheme::releaseStyle(), never delete it. Main thread only.
class MTOUCH_EXPORT MStyle : public QObject
{
    Q_OBJECT
public:
    /// A style without attributes; made by a style creator.
    MStyle();
    /// Called by MTheme when the last user gives the style back.
    ~MStyle() override;
};

#endif
