#pragma once
// Makes image items searchable and analysable: the text recognised in an image and a few labels that
// describe it (none on Linux), shaped for the history. One image at a time, off the main thread.

#include "platform/Task.h"
#include "platform/TextRecognizer.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <optional>

struct ClipboardOCRResult {
    std::optional<QString> text; // trimmed, at most 8,000 characters; none when nothing was recognised
    QStringList labels;          // at most four, distinct, in the engine's order

    friend bool operator==(const ClipboardOCRResult &, const ClipboardOCRResult &) = default;
};

class ClipboardOCRService : public QObject {
    Q_OBJECT
public:
    static constexpr int maximumTextLength = 8000;
    static constexpr int maximumLabelCount = 4;
    static constexpr float labelConfidenceThreshold = 0.18f;

    explicit ClipboardOCRService(TextRecognizer &recognizer, QObject *parent = nullptr);

#ifndef Q_MOC_RUN
    // None when the bytes are not a readable image, recognition failed, or it found neither text nor label.
    Task<std::optional<ClipboardOCRResult>> recognize(QByteArray imageData);
#endif
    // The engine's observations shaped into a result.
    static std::optional<ClipboardOCRResult> shape(const ImageObservations &observations);

private:
    QPointer<TextRecognizer> m_recognizer;
};
