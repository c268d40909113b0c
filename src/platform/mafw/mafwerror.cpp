#include "mafwerror.h"

MafwError::MafwError(Code code, const QString& message) : m_code(code), m_message(message) {}
