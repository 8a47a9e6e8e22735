#include "intelligence/ClipboardAIAvailability.h"

QString availabilityDescription(ClipboardAIAvailability availability)
{
    switch (availability) {
    case ClipboardAIAvailability::checking:
        return QStringLiteral("Checking the local language model…");
    case ClipboardAIAvailability::available:
        return QStringLiteral("The local language model is ready.");
    case ClipboardAIAvailability::deviceNotEligible:
        return QStringLiteral("This computer cannot run the local language model.");
    case ClipboardAIAvailability::appleIntelligenceNotEnabled:
        return QStringLiteral("No local model server is configured (TAVLEN_MODEL_ENDPOINT is off).");
    case ClipboardAIAvailability::modelNotReady:
        return QStringLiteral("The local model server is not answering, or its model is not loaded yet.");
    }
    return {};
}
