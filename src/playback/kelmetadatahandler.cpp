#include "kelmetadatahandler.h"

KelMetadataHandler::KelMetadataHandler(QObject* parent) : QObject(parent) {}

KelMetadataHandler::~KelMetadataHandler() = default;
