#ifndef KELMEDIALABELMODEL_H
#define KELMEDIALABELMODEL_H

#include "kelmora_export.h"

#include <mwidgetmodel.h>

/// The state of a media label's marks.
class KELMORA_EXPORT KelMediaLabelModelData
{
public:
    /// Virtual, so that a model's data may be extended.
    virtual ~KelMediaLabelModelData();

    /// See KelMediaLabelModel::isFavourite().
    bool isFavourite = false;
    /// See KelMediaLabelModel::playStatus().
    int playStatus = 0; // a KelMediaLabel::LabelPlayStatus
    /// See KelMediaLabelModel::outlineVisible().
    bool outlineVisible = true;
};

/// @brief What the media label's marks show.
///
/// Every setter notifies through MWidgetModel::modified() with the member-name constant
/// below when the value changed. Owned by its label.
class KELMORA_EXPORT KelMediaLabelModel : public MWidgetModel
{
    Q_OBJECT
    Q_PROPERTY(bool isFavourite READ isFavourite WRITE setIsFavourite)
    Q_PROPERTY(int playStatus READ playStatus WRITE setPlayStatus)
    Q_PROPERTY(bool outlineVisible READ outlineVisible WRITE setOutlineVisible)

public:
    /// Member name "isFavourite".
    static const char* const IsFavourite;
    /// Member name "playStatus".
    static const char* const PlayStatus;
    /// Member name "outlineVisible".
    static const char* const OutlineVisible;

    /// A model with the defaults: no favourite mark, no play mark, outline shown.
    KelMediaLabelModel();
    /// Adopts data (a new record when null) and gives it the defaults.
    explicit KelMediaLabelModel(KelMediaLabelModelData* data);
    /// Deletes the data.
    ~KelMediaLabelModel() override;

    /// Whether the favourite mark is shown.
    const bool& isFavourite() const { return m_data->isFavourite; }
    /// Shows or hides the favourite mark; notifies IsFavourite.
    void setIsFavourite(const bool& favourite);
    /// The play status, a KelMediaLabel::LabelPlayStatus.
    const int& playStatus() const { return m_data->playStatus; }
    /// Sets the play status; notifies PlayStatus.
    void setPlayStatus(const int& status);
    /// Whether the outline is drawn.
    const bool& outlineVisible() const { return m_data->outlineVisible; }
    /// Shows or hides the outline; notifies OutlineVisible.
    void setOutlineVisible(const bool& visible);

    /// The stored field itself; writing through it notifies nobody.
    bool& _isFavourite() { return m_data->isFavourite; }
    /// The stored field itself.
    const bool& _isFavourite() const { return m_data->isFavourite; }
    /// The stored field itself; writing through it notifies nobody.
    int& _playStatus() { return m_data->playStatus; }
    /// The stored field itself.
    const int& _playStatus() const { return m_data->playStatus; }
    /// The stored field itself; writing through it notifies nobody.
    bool& _outlineVisible() { return m_data->outlineVisible; }
    /// The stored field itself.
    const bool& _outlineVisible() const { return m_data->outlineVisible; }

private:
    KelMediaLabelModelData* const m_data;
};

#endif
