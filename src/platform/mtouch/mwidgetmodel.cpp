#include "mwidgetmodel.h"

MWidgetModel::MWidgetModel(QObject* parent) : QObject(parent) {}

MWidgetModel::~MWidgetModel() = default;

void MWidgetModel::memberModified(const char* member)
{
    Q_EMIT modified(QList<const char*>{member});
}
