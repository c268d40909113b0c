#ifndef KELMEDIALABELMODEL_H
#define KELMEDIALABELMODEL_H

#include "kelmoraglobal.h"

#include <mwidgetmodel.h>

/// The state of a media label's marks.
class KELMORA_EXPORT KelMediaLabelModelData
{
public:
    virtual ~KelMediaLabelModelData();

    bool isFavourite = false;
    int playStatus = 0; // a KelMediaLabel::LabelPlayStatus
    bool outlineVisible = true;
};

/// What the media label's marks show. Notifications carry the member-name constants below.
class KELMORA_EXPORT KelMediaLabelModel : public MWidgetModel
{
    Q_OBJECT
    Q_PROPERTY(bool isFavourite READ isFavourite WRITE setIsFavourite)
    Q_PROPERTY(int playStatus READ playStatus WRITE setPlayStatus)
    Q_PROPERTY(bool outlineVisible READ outlineVisible WRITE setOutlineVisible)

public:
    static const char* const IsFavourite;
    static const char* const PlayStatus;
    static const char* const OutlineVisible;

    KelMediaLabelModel();
    /// Adopts data (a new record when null) and gives it the defaults.
    explicit KelMediaLabelModel(KelMediaLabelModelData* data);
    ~KelMediaLabelModel() override;

    const bool& isFavourite() const { return m_data->isFavourite; }
    void setIsFavourite(const bool& favourite);
    const int& playStatus() const { return m_data->playStatus; }
    void setPlayStatus(const int& status);
    const bool& outlineVisible() const { return m_data->outlineVisible; }
    void setOutlineVisible(const bool& visible);

    /// The stored fields themselves; writing through them notifies nobody.
    bool& _isFavourite() { return m_data->isFavourite; }
    const bool& _isFavourite() const { return m_data->isFavourite; }
    int& _playStatus() { return m_data->playStatus; }
    const int& _playStatus() const { return m_data->playStatus; }
    bool& _outlineVisible() { return m_data->outlineVisible; }
    const bool& _outlineVisible() const { return m_data->outlineVisible; }

private:
    KelMediaLabelModelData* const m_data;
};

#endif
