#ifndef MWIDGETMODEL_H
#define MWIDGETMODEL_H

#include "mtouchglobal.h"

#include <QList>
#include <QObject>

// Holds a widget's state. Setters store a value only when it differs and then notify with
// the member's name constant; views compare names by pointer.
class MTOUCH_EXPORT MWidgetModel : public QObject
{
    Q_OBJECT
public:
    explicit MWidgetModel(QObject* parent = nullptr);
    ~MWidgetModel() override;

    // Emits modified() with the very pointer before returning.
    void memberModified(const char* member);

Q_SIGNALS:
    void modified(const QList<const char*>& modifications);

protected:
    // The generated setter: store and notify only on change.
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
