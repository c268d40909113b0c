#ifndef KELMEDIALABELSTYLE_H
#define KELMEDIALABELSTYLE_H

#include "kelmora_export.h"

#include <mwidgetstyle.h>

/// The theme ids of the media label's marks.
class KELMORA_EXPORT KelMediaLabelStyleData
{
public:
    /// Virtual, so that a style's data may be extended.
    virtual ~KelMediaLabelStyleData();

    /// See KelMediaLabelStyle::favouriteIconId().
    QString favouriteIconId;
    /// See KelMediaLabelStyle::playIconId().
    QString playIconId;
    /// See KelMediaLabelStyle::pauseIconId().
    QString pauseIconId;
};

/// @brief The theme style of the media label (style class "KelMediaLabelStyle"): the widget
/// attributes and the theme ids of the marks, drawn 25 by 25. Made and owned by the theme.
class KELMORA_EXPORT KelMediaLabelStyle : public MWidgetStyle
{
    Q_OBJECT
    Q_PROPERTY(QString favouriteIconId READ favouriteIconId WRITE setFavouriteIconId)
    Q_PROPERTY(QString playIconId READ playIconId WRITE setPlayIconId)
    Q_PROPERTY(QString pauseIconId READ pauseIconId WRITE setPauseIconId)

public:
    /// A style with empty ids.
    KelMediaLabelStyle();
    /// Adopts data unchanged (a new record when null).
    explicit KelMediaLabelStyle(KelMediaLabelStyleData* data);
    /// Deletes the data.
    ~KelMediaLabelStyle() override;

    /// Theme id of the favourite mark (attribute "favouriteIconId").
    const QString& favouriteIconId() const { return m_data->favouriteIconId; }
    /// Sets the favourite mark's id.
    void setFavouriteIconId(const QString& id) { m_data->favouriteIconId = id; }
    /// Theme id of the play mark (attribute "playIconId").
    const QString& playIconId() const { return m_data->playIconId; }
    /// Sets the play mark's id.
    void setPlayIconId(const QString& id) { m_data->playIconId = id; }
    /// Theme id of the pause mark (attribute "pauseIconId").
    const QString& pauseIconId() const { return m_data->pauseIconId; }
    /// Sets the pause mark's id.
    void setPauseIconId(const QString& id) { m_data->pauseIconId = id; }

private:
    KelMediaLabelStyleData* const m_data;
};

#endif
