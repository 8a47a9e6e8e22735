#pragma once
// What the analysis of one history item is given: its id, the text prepared for it, its kind as text, its
// source application and, for an image, the classifier's labels.

#include <QString>
#include <QStringList>
#include <QUuid>

#include <optional>

struct ClipboardAIInput {
    QUuid itemID;
    QString content;
    QString itemType;
    std::optional<QString> sourceApplication;
    QStringList visualLabels;

    friend bool operator==(const ClipboardAIInput &, const ClipboardAIInput &) = default;
};
