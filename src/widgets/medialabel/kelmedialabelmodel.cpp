#include "kelmedialabelmodel.h"

const char* const KelMediaLabelModel::IsFavourite = "isFavourite";
const char* const KelMediaLabelModel::PlayStatus = "playStatus";
const char* const KelMediaLabelModel::OutlineVisible = "outlineVisible";

KelMediaLabelModelData::~KelMediaLabelModelData() = default;

KelMediaLabelModel::KelMediaLabelModel() : m_data(new KelMediaLabelModelData) {}

KelMediaLabelModel::KelMediaLabelModel(KelMediaLabelModelData* data)
    : m_data(data ? data : new KelMediaLabelModelData)
{
    *m_data = KelMediaLabelModelData();
}

KelMediaLabelModel::~KelMediaLabelModel()
{
    delete m_data;
}

void KelMediaLabelModel::setIsFavourite(const bool& favourite)
{
    setMember(m_data->isFavourite, favourite, IsFavourite);
}

void KelMediaLabelModel::setPlayStatus(const int& status)
{
    setMember(m_data->playStatus, status, PlayStatus);
}

void KelMediaLabelModel::setOutlineVisible(const bool& visible)
{
    setMember(m_data->outlineVisible, visible, OutlineVisible);
}
