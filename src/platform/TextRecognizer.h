#pragma once
// Text recognition and image classification on one encoded image, off the main thread. Answers what the
// engine observed, unshaped: the best candidate of each text line in reading order and the classification
// labels with their confidence. Images are handled one at a time, in call order.

#include "platform/Task.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <optional>

struct ImageObservations {
    // One entry per recognised line: its best candidate, or none when the engine offered no candidate.
    QList<std::optional<QString>> textLines;
    struct Label {
        QString identifier;
        float confidence = 0;
    };
    // Classification results in the engine's order (no engine on Linux gives any).
    QList<Label> labels;
};

class TextRecognizer : public QObject {
    Q_OBJECT
public:
#ifndef Q_MOC_RUN
    // None when the bytes are not an image that can be read, or the engine failed. Awaiting it gives none as
    // well when the awaiting task was cancelled; the work then stops as soon as it can.
    virtual Task<std::optional<ImageObservations>> recognize(QByteArray imageData) = 0;
#endif

protected:
    using QObject::QObject;
};
