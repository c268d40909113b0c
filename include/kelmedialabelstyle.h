#ifndef KELMEDIALABELSTYLE_H
#define KELMEDIALABELSTYLE_H

#include "kelmoraglobal.h"

#include <mwidgetstyle.h>

/// The theme ids of the media label's marks.
class KELMORA_EXPORT KelMediaLabelStyleData
{
public:
    virtual ~KelMediaLabelStyleData();

    QString favouriteIconId;
    QString playIconId;
    QString pauseIconId;
};

class KELMORA_EXPORT KelMediaLabelStyle : public MWidgetStyle
{
    Q_OBJECT
    Q_PROPERTY(QString favouriteIconId READ favouriteIconId WRITE setFavouriteIconId)
    Q_PROPERTY(QString playIconId READ playIconId WRITE setPlayIconId)
    Q_PROPERTY(QString pauseIconId READ pauseIconId WRITE setPauseIconId)

public:
    KelMediaLabelStyle();
    /// Adopts data unchanged (a new record when null).
    explicit KelMediaLabelStyle(KelMediaLabelStyleData* data);
    ~KelMediaLabelStyle() override;

    const QString& favouriteIconId() const { return m_data->favouriteIconId; }
    void setFavouriteIconId(const QString& id) { m_data->favouriteIconId = id; }
    const QString& playIconId() const { return m_data->playIconId; }
    void setPlayIconId(const QString& id) { m_data->playIconId = id; }
    const QString& pauseIconId() const { return m_data->pauseIconId; }
    void setPauseIconId(const QString& id) { m_data->pauseIconId = id; }

private:
    KelMediaLabelStyleData* const m_data;
};

#endif
