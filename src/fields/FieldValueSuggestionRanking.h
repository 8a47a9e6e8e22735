#pragma once
// The rules that turn remembered values into suggestions for one field: which records qualify, in which
// order, and the title and details each one is shown with. Pure functions over the records; the store
// reads the values and puts the suggestions together.

#include "fields/FocusedFieldSuggestion.h"
#include "fields/FocusedFieldSuggestionDetails.h"
#include "model/FieldValueAssociation.h"
#include "model/FocusedFieldDescriptor.h"

#include <QList>
#include <QString>

#include <optional>

namespace FieldValueSuggestionRanking {

// The symbols of the three kinds of suggestion.
inline const QString loginSymbol = QStringLiteral("person.badge.key.fill");
inline const QString latestSymbol = QStringLiteral("clock.arrow.circlepath");
inline const QString mostUsedSymbol = QStringLiteral("chart.bar.fill");

// The field kind of a record or field, normalised: "login", "email", "password"...
QString normalizedKind(const QString &fieldType);
bool isPassword(const QString &fieldType);
bool isPassword(const FieldValueAssociation &record);
// "web:<origin>" or "app:<application id>", by the rule of the field scope key.
QString scopeKey(const FieldValueAssociation &record);
// lastUsedAt, else updatedAt.
QDateTime useDate(const FieldValueAssociation &record);

// The records that may be offered for the field, in the order they are offered (before unreadable values
// and repeated values are skipped). A password is offered only in its own site or application.
QList<const FieldValueAssociation *> candidateAssociations(const QList<FieldValueAssociation> &records,
                                                           const FocusedFieldDescriptor &field,
                                                           const std::optional<QString> &credentialLoginFingerprint,
                                                           bool searchable);
// A login or password field of a web page takes values of any web page; one of an application only
// values of that application.
bool isCompatibleEnvironment(const FieldValueAssociation &record, const FocusedFieldDescriptor &field);
// One group of records: passwords of the pending login, this field's own values newest first, the
// group's latest value, then all by use count; each record once.
QList<const FieldValueAssociation *> rankedAssociations(const QList<const FieldValueAssociation *> &group,
                                                        const FocusedFieldDescriptor &field,
                                                        const std::optional<QString> &credentialLoginFingerprint);

QString suggestionTitle(const FieldValueAssociation &record, bool sameScope, bool matchesCredentialLogin,
                        bool isFirst);
// The host of the record's web origin, the origin itself when it has no host, or "another environment".
QString originName(const FieldValueAssociation &record);
FocusedFieldSuggestionDetails suggestionDetails(const FieldValueAssociation &record);

} // namespace FieldValueSuggestionRanking
