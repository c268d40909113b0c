#include "kelmedialabelstyle.h"

KelMediaLabelStyleData::~KelMediaLabelStyleData() = default;

KelMediaLabelStyle::KelMediaLabelStyle() : m_data(new KelMediaLabelStyleData) {}

KelMediaLabelStyle::KelMediaLabelStyle(KelMediaLabelStyleData* data)
    : m_data(data ? data : new KelMediaLabelStyleData)
{
}

KelMediaLabelStyle::~KelMediaLabelStyle()
{
    delete m_data;
}
