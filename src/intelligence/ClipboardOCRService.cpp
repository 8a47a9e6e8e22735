#include "intelligence/ClipboardOCRService.h"

#include "intelligence/GraphemeText.h"

ClipboardOCRService::ClipboardOCRService(TextRecognizer &recognizer, QObject *parent)
    : QObject(parent)
    , m_recognizer(&recognizer)
{
}

std::optional<ClipboardOCRResult> ClipboardOCRService::shape(const ImageObservations &observations)
{
    ClipboardOCRResult result;
    QStringList lines;
    for (const std::optional<QString> &line : observations.textLines)
        if (line)
            lines.append(*line);
    const QString text = lines.join(QLatin1Char('\n')).trimmed();
    if (!text.isEmpty())
        result.text = GraphemeText::prefix(text, maximumTextLength);

    for (const ImageObservations::Label &label : observations.labels) {
        if (label.confidence < labelConfidenceThreshold || result.labels.contains(label.identifier))
            continue;
        result.labels.append(label.identifier);
    }
    result.labels = result.labels.mid(0, maximumLabelCount);

    if (!result.text && result.labels.isEmpty())
        return std::nullopt;
    return result;
}

Task<std::optional<ClipboardOCRResult>> ClipboardOCRService::recognize(QByteArray imageData)
{
    QPointer<TextRecognizer> recognizer = m_recognizer;
    if (!recognizer)
        co_return std::nullopt;
    const std::optional<std::optional<ImageObservations>> observed = co_await recognizer->recognize(std::move(imageData));
    if (!observed || !*observed)
        co_return std::nullopt;
    co_return shape(**observed);
}
