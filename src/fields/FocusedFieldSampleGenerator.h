#pragma once
// Made-up values that fit a field's kind (a link, a login, a name, a postal code...), offered next to the
// field's remembered values. Keeps nothing between calls but its random source, which tests can fix.

#include "fields/FocusedFieldKind.h"
#include "fields/FocusedFieldSuggestion.h"
#include "model/FocusedFieldTarget.h"

#include <QList>

#include <functional>
#include <optional>

class FocusedFieldSampleGenerator {
public:
    // 64 random bits per call.
    using RandomSource = std::function<quint64()>;

    // Draws from the system's random source.
    FocusedFieldSampleGenerator();
    explicit FocusedFieldSampleGenerator(RandomSource source);

    // At most `count` samples with pairwise distinct values for the target's field, each carrying the
    // field's details; the field's kind is read from its hint texts. Empty for a count below 1 (without
    // reading the field) and for date fields.
    QList<FocusedFieldSuggestion> sampleSuggestions(const FocusedFieldTarget &target, int count);
    QList<FocusedFieldSuggestion> sampleSuggestions(FocusedFieldKind kind, const FocusedFieldSuggestionDetails &details,
                                                    int count);
    // Up to three samples of the kind, in draw order (repeats possible).
    QList<FocusedFieldSuggestion> sampleSuggestionBatch(FocusedFieldKind kind);
    // One sample; none for `date`.
    std::optional<FocusedFieldSuggestion> sampleSuggestion(FocusedFieldKind kind);

    // Uniform in 0 ..< n without bias (multiply and reject); n must be at least 1.
    quint64 randomBelow(quint64 n);

    // Where the samples belong: the descriptor's application, origin, kind label and identifiers, named by
    // its title or else its placeholder.
    static FocusedFieldSuggestionDetails details(const FocusedFieldDescriptor &descriptor);

    // A password sample is this long, from an alphabet of 57 unambiguous letters and digits: about 117 bits.
    static constexpr int passwordLength = 20;

private:
    QString pick(const QStringList &list);
    QString strongPassword();

    RandomSource m_random;
};
