#ifndef MWIDGETMODEL_H
#define MWIDGETMODEL_H

#include "mtouch_export.h"

#include <QList>
#include <QObject>

/// Holds a widget's state.
///
/// Setters store a value only when it differs and then notify with the member's name
/// constant; views compare names by pointer. Owned by its controller once installed
/// (MWidgetController::setModel()). Main thread only.
class MTOUCH_EXPORT MWidgetModel : public QObject
{
    Q_OBJECT
public:
    /// An empty model; \a parent owns it until a controller takes it over.
    explicit MWidgetModel(QObject* parent = nullptr);
    /// Destroys the model.
    ~MWidgetModel() override;

    /// Emits modified() with the very pointer before returning.
    void memberModified(const char* member);

Q_SIGNALS:
    /// The members named by their name constants changed, in that order; emitted from inside
    /// the setter.
    void modified(const QList<const char*>& modifications);

protected:
    /// The generated setter: stores \a value in \a field and notifies \a member, only on
    /// change. True when it changed.
    template <typename T> bool setMember(T& field, const T& value, const char* member)
    {
        if (field == value) {
            return false;
        }
        field = value;
        memberModified(member);
        return true;
    }
};

Q_DECLARE_METATYPE(QList<const char*>)

#endif
