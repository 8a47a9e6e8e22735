#pragma once
// The language-model work of local intelligence: the analysis of a history item and the text actions,
// each a stateless request to the local model with fixed instructions. Requests may overlap; each has its
// own conversation. Cancelling the awaiting task ends the request at once.

#include "intelligence/ClipboardAIAction.h"
#include "intelligence/ClipboardAIAnalysis.h"
#include "intelligence/ClipboardAIAvailability.h"
#include "intelligence/ClipboardAIInput.h"
#include "intelligence/ClipboardAIResult.h"
#include "platform/Task.h"

#include <QObject>
#include <QPointer>

class LanguageModel;

class ClipboardAIService : public QObject {
    Q_OBJECT
public:
    // Characters of content the analysis and the text actions send at most.
    static constexpr int analysisCharacterLimit = 2500;
    static constexpr int transformCharacterLimit = 8000;
    static constexpr int analysisResponseTokens = 320;
    static constexpr double temperature = 0.2;
    // Seconds a local model may take to answer.
    static constexpr double analysisTimeout = 120;
    static constexpr double transformTimeout = 300;
    // The categories an analysis may give, in order.
    static const QStringList categories;

    explicit ClipboardAIService(LanguageModel &model, QObject *parent = nullptr);

    Task<ClipboardAIAvailability> currentAvailability();
    Task<ClipboardAIResult<ClipboardAIAnalysis>> analyze(ClipboardAIInput input);
    // The action's result text; a spelling check keeps the original's surrounding whitespace.
    Task<ClipboardAIResult<QString>> transform(QString text, ClipboardAIAction action);

    // The fixed texts and the pieces of each request, exposed for tests.
    static const QString analysisInstructions;
    static const QString transformInstructions;
    // Trimmed, cut to `characterLimit` user-perceived characters, with our delimiter tags made harmless.
    static QString prepareContent(const QString &content, int characterLimit);
    static QString analysisPrompt(const ClipboardAIInput &input, const QString &preparedContent);
    static QString transformPrompt(ClipboardAIAction action, const QString &preparedContent);
    // The JSON schema of the structured answer, properties in generation order.
    static QByteArray analysisSchema();
    // The structured answer checked against the schema and normalised; a generation error when it does not fit.
    static ClipboardAIResult<ClipboardAIAnalysis> decodeAnalysis(const QString &answer);
    static QStringList normalizedTags(const QStringList &tags);
    // Undoes prepareContent's tag escaping in an answer, unless the original itself held the escaped form.
    static QString restoreTags(const QString &answer, const QString &original);

private:
    QPointer<LanguageModel> m_model;
};
