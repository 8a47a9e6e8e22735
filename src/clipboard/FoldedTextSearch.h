#pragma once

#include <QByteArray>

#include <array>
#include <vector>

// Finds a lowercased, composed query in UTF-8 text as it was copied, with no lowercased copy of the text.
// It answers as a search of the lowercased text would for a text that foldsInPlace(): one in which every
// character lowercases to a character of the same encoded length, being that character's own upper- or
// title-case form (Latin, Polish, Greek, Cyrillic... and everything without case), so that every
// lowercased character sits where the original one did. Other texts need their lowercased copy.
class FoldedTextSearch
{
public:
    // Whether `text` lowercases character by character into exactly `lowered`, its lowercased composed form.
    static bool foldsInPlace(const QByteArray &text, const QByteArray &lowered);

    // `query`: lowercased, composed UTF-8, not empty.
    explicit FoldedTextSearch(const QByteArray &query);

    // Whether the query is in `text`, a text that folds in place, whatever the case of its letters.
    bool isFoundIn(const QByteArray &text) const;

private:
    // From this many bytes on, skipping along the text beats looking for the query's rarest byte.
    static constexpr qsizetype minimumSkippingSize = 4;
    // A character of the query and the bytes that may stand for it in a text: its own, then its other cases.
    struct Character {
        qsizetype offset = 0;
        qsizetype length = 0;
        std::vector<QByteArray> forms;
    };
    bool matchesAt(const char *start) const;

    std::vector<Character> m_characters;
    // For each byte of the query, the bytes a text may have there: a quick test before the exact one.
    std::vector<std::array<bool, 256>> m_allowed;
    // Longer queries skip along the text (Horspool): how far to move on when the byte under the query's
    // last one is this.
    std::array<qsizetype, 256> m_shift = {};
    bool m_skips = false;
    qsizetype m_size = 0;
    bool m_impossible = false; // a character no lowercased text holds
    // The byte of the query looked for first (the one least often in a text) and the bytes that may stand
    // for it.
    qsizetype m_anchor = 0;
    std::vector<unsigned char> m_anchorBytes;
    bool m_isAnchorByte[256] = {};
};
