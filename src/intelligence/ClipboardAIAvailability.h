#pragma once
// Whether the local language model can be used, and why not; held by ClipboardAIController.availability.

#include <QMetaType>
#include <QString>

enum class ClipboardAIAvailability {
    checking,                    // not read yet (the initial value)
    available,                   // the model answers
    deviceNotEligible,           // this computer cannot run the model
    appleIntelligenceNotEnabled, // on Linux: no model endpoint is configured
    modelNotReady,               // loading, no model, nothing listening, or a reason this program does not know
};

// The availability in words, for the settings window.
QString availabilityDescription(ClipboardAIAvailability availability);
