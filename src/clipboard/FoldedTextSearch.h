#pragma once

#include <QByteArray>
#include <QByteArrayView>

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
    bool isFoundIn(QByteArrayView text) const;

private:
    // A character of the query and the bytes that may stand for it in a text: its own, then its other cases.
    struct Character {
        qsizetype offset = 0;
        qsizetype length = 0;
        std::vector<QByteArray> forms;
    };
    // A byte of the query that a place in the text must hold one of the bytes of before it is compared whole.
    struct Anchor {
        qsizetype offset = 0;
        std::vector<unsigned char> bytes;
    };
    bool matchesAt(const char *start) const;
    // A place where both anchors hold, from `from` to `last` (where a match may start); null when none is.
    const char *nextCandidate(const char *from, const char *last) const;

    std::vector<Character> m_characters;
    // The characters the quick test below lets through in mixes of their forms' bytes.
    std::vector<size_t> m_comparedWhole;
    // For each byte of the query, the bytes a text may have there: a quick test before the exact one.
    std::vector<std::array<bool, 256>> m_allowed;
    qsizetype m_size = 0;
    bool m_impossible = false; // a character no lowercased text holds
    // The byte of the query least often in a text, and the least often of another character (the first
    // again when the query has one character): a place is compared whole only where both hold.
    Anchor m_first;
    Anchor m_second;
    // The first anchor is one rare byte: memchr finds it faster than anything else.
    bool m_findsRareByte = false;
};
