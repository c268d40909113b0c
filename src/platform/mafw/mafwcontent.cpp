#include "mafwcontent.h"

MafwContent::MafwContent(const QString& uuid) : m_uuid(uuid) {}
