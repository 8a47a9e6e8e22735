#pragma once
// The metadata the language model wrote for one history item.

#include <QString>
#include <QStringList>

struct ClipboardAIAnalysis {
    QString title; // may be empty
    QString summary;
    QString category;
    QStringList tags; // 2 to 4 lower-case tags, distinct, ascending
    bool containsSensitiveInformation = false;

    friend bool operator==(const ClipboardAIAnalysis &, const ClipboardAIAnalysis &) = default;
};
