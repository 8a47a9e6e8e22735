#include "intelligence/ClipboardAnalysisQueue.h"

#include "clipboard/ClipboardHistoryManager.h"
#include "intelligence/ClipboardAIController.h"
#include "model/SettingsStore.h"
#include "platform/Clock.h"

#include <QBuffer>
#include <QImageReader>

ClipboardAnalysisQueue::ClipboardAnalysisQueue(ClipboardHistoryManager &history, SettingsStore &settings,
                                               ClipboardAIController &controller, ClipboardOCRService &ocr, Clock &clock,
                                               QObject *parent)
    : QObject(parent)
    , m_history(&history)
    , m_settings(settings)
    , m_controller(controller)
    , m_ocr(ocr)
    , m_clock(clock)
{
}

ClipboardAnalysisQueue::~ClipboardAnalysisQueue()
{
    m_lifetime.end();
    stop();
}

bool ClipboardAnalysisQueue::isEnabled() const
{
    return m_settings.settings().aiEnabled;
}

void ClipboardAnalysisQueue::start()
{
    if (m_started)
        return;
    m_started = true;
    m_wasEnabled = isEnabled();
    connect(&m_settings, &SettingsStore::settingsChanged, this, &ClipboardAnalysisQueue::followSettings);
    m_controller.setAvailabilityWatch(m_wasEnabled);
    if (m_wasEnabled)
        m_controller.requestAvailabilityRefresh();
}

void ClipboardAnalysisQueue::followSettings()
{
    if (m_stopped)
        return;
    const bool enabled = isEnabled();
    if (enabled == m_wasEnabled)
        return;
    m_wasEnabled = enabled;
    m_controller.setAvailabilityWatch(enabled);
    m_controller.requestAvailabilityRefresh();
    if (!enabled) {
        // Turned off: nothing more goes to the model.
        m_pending.clear();
        m_worker.cancel();
        m_current = QUuid();
    }
}

void ClipboardAnalysisQueue::stop()
{
    m_stopped = true;
    m_pending.clear();
    m_worker.cancel();
    m_current = QUuid();
    m_controller.setAvailabilityWatch(false);
}

void ClipboardAnalysisQueue::enqueue(const ClipboardItem &item)
{
    if (m_stopped || !isEnabled() || m_controller.availability() != ClipboardAIAvailability::available)
        return;
    if (!item.isEligibleForAnalysis() || item.hasCurrentAnalysis())
        return;
    if (item.id() == m_current || m_pending.contains(item.id()))
        return;
    m_pending.append(item.id());
    if (!m_worker.isRunning())
        m_worker.start(work());
}

ClipboardAIInput ClipboardAnalysisQueue::makeInput(const ClipboardItem &item,
                                                   const std::optional<ClipboardOCRResult> &recognized)
{
    ClipboardAIInput input;
    input.itemID = item.id();
    input.itemType = rawValue(item.type());
    if (!item.sourceApplicationName().isEmpty())
        input.sourceApplication = item.sourceApplicationName();
    if (item.type() != ClipboardItemType::image) {
        input.content = item.text();
        return input;
    }

    // An image is described by its size and the text found in it; the labels travel separately.
    QByteArray bytes = item.imageData();
    QBuffer buffer(&bytes);
    const QSize size = QImageReader(&buffer).size();
    QStringList lines;
    lines.append(size.isValid() ? QStringLiteral("Image of %1 × %2 pixels.").arg(size.width()).arg(size.height())
                                : QStringLiteral("Image."));
    if (recognized && recognized->text)
        lines.append(QStringLiteral("Recognized text:\n") + *recognized->text);
    else
        lines.append(QStringLiteral("Recognized text: none."));
    input.content = lines.join(QLatin1Char('\n'));
    if (recognized)
        input.visualLabels = recognized->labels;
    return input;
}

Task<> ClipboardAnalysisQueue::work()
{
    const Lifetime::Pointer<ClipboardAnalysisQueue> self(this, m_lifetime);
    while (!m_pending.isEmpty()) {
        const QUuid id = m_pending.takeFirst();
        m_current = id;
        std::optional<ClipboardItem> item = m_history ? m_history->item(id) : std::nullopt;
        // Deleted, or analysed meanwhile (a re-copy of the same content).
        if (!item || item->hasCurrentAnalysis())
            continue;

        std::optional<ClipboardOCRResult> recognized;
        if (item->type() == ClipboardItemType::image) {
            const std::optional<std::optional<ClipboardOCRResult>> found = co_await m_ocr.recognize(item->imageData());
            if (!found || !self)
                co_return;
            recognized = *found;
        }

        const std::optional<ClipboardAIResult<ClipboardAIAnalysis>> result
            = co_await m_controller.analyze(makeInput(*item, recognized));
        if (!result || !self)
            co_return;
        m_current = QUuid();
        if (!result->hasValue()) {
            // The item gets no title or tags; a wrong answer is worth a line, a model that is down is said elsewhere.
            if (result->error().kind() == ClipboardAIError::Kind::generation)
                qWarning("an item keeps no title or tags: %s", qPrintable(result->error().localizedDescription()));
            // What was read in an image finds it whatever the model answered.
            std::optional<ClipboardItem> current = m_history && recognized && recognized->text ? m_history->item(id)
                                                                                              : std::nullopt;
            if (current) {
                current->setAiExtractedText(*recognized->text);
                m_history->updateItem(*current);
            }
            continue;
        }
        if (!m_history)
            continue;

        // The item as it is now: it may have moved or been used while the model worked.
        std::optional<ClipboardItem> current = m_history->item(id);
        if (!current)
            continue;
        const ClipboardAIAnalysis &analysis = result->value();
        current->setAiTitle(analysis.title);
        current->setAiSummary(analysis.summary);
        current->setAiCategory(analysis.category);
        current->setTags(analysis.tags);
        current->setAiIsSensitive(analysis.containsSensitiveInformation);
        current->setAiExtractedText(recognized && recognized->text ? *recognized->text : QString());
        current->setAiAnalyzedAt(m_clock.now());
        current->setAiAnalysisVersion(ClipboardItem::currentAnalysisVersion);
        m_history->updateItem(*current);
        Q_EMIT itemAnalyzed(id);
    }
    m_current = QUuid();
}
