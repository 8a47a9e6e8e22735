#include "clipboard/FoldedTextSearch.h"

#include <QChar>

#include <algorithm>
#include <cstring>

namespace {

constexpr char32_t kInvalid = 0xFFFFFFFF;

// The code point starting at `p`, and its length in bytes; kInvalid for bytes that are not UTF-8.
char32_t decode(const unsigned char *p, const unsigned char *end, int *length)
{
    const unsigned char lead = *p;
    int size = 0;
    char32_t value = 0;
    if (lead < 0x80) {
        *length = 1;
        return lead;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        size = 2;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        size = 3;
        value = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        size = 4;
        value = lead & 0x07;
    } else {
        return kInvalid;
    }
    if (end - p < size)
        return kInvalid;
    for (int i = 1; i < size; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return kInvalid;
        value = (value << 6) | (p[i] & 0x3F);
    }
    *length = size;
    return value;
}

// The UTF-8 form of a code point into `out` (room for 4 bytes); its length.
int encode(char32_t value, char *out)
{
    if (value < 0x80) {
        out[0] = char(value);
        return 1;
    }
    if (value < 0x800) {
        out[0] = char(0xC0 | (value >> 6));
        out[1] = char(0x80 | (value & 0x3F));
        return 2;
    }
    if (value < 0x10000) {
        out[0] = char(0xE0 | (value >> 12));
        out[1] = char(0x80 | ((value >> 6) & 0x3F));
        out[2] = char(0x80 | (value & 0x3F));
        return 3;
    }
    out[0] = char(0xF0 | (value >> 18));
    out[1] = char(0x80 | ((value >> 12) & 0x3F));
    out[2] = char(0x80 | ((value >> 6) & 0x3F));
    out[3] = char(0x80 | (value & 0x3F));
    return 4;
}

// How often a byte turns up in copied text, roughly: the rarest byte of the query is looked for first.
constexpr int rareByteWeight = 4;

int byteWeight(unsigned char byte)
{
    static const char byFrequency[] = "etaoinshrdlcumwfgypbvkjxqz";
    if (byte >= 'a' && byte <= 'z')
        return 2 + 2 * int(26 - (std::strchr(byFrequency, byte) - byFrequency));
    if (byte >= 'A' && byte <= 'Z')
        return 2;
    if (byte == ' ')
        return 80;
    if (byte == '\n' || byte == ',' || byte == '.')
        return 10;
    if (byte < 0x80)
        return 3;
    if (byte < 0xC0)
        return 4; // a continuation byte: its values spread over many characters
    return byte >= 0xC3 && byte <= 0xC5 ? 30 : 8; // lead bytes of accented Latin letters are common
}

} // namespace

bool FoldedTextSearch::foldsInPlace(const QByteArray &text, const QByteArray &lowered)
{
    if (text.size() != lowered.size())
        return false;
    const auto *p = reinterpret_cast<const unsigned char *>(text.constData());
    const auto *end = p + text.size();
    const char *l = lowered.constData();
    while (p < end) {
        if (*p < 0x80) {
            const unsigned char folded = *p >= 'A' && *p <= 'Z' ? *p + ('a' - 'A') : *p;
            if (folded != static_cast<unsigned char>(*l))
                return false;
            ++p;
            ++l;
            continue;
        }
        int length = 0;
        const char32_t value = decode(p, end, &length);
        if (value == kInvalid)
            return false;
        const char32_t lower = QChar::toLower(value);
        if (lower == value) {
            if (std::memcmp(p, l, size_t(length)) != 0)
                return false;
        } else {
            // Only a character that is the upper or title case of its own lowercase is found from it.
            if (value != QChar::toUpper(lower) && value != QChar::toTitleCase(lower))
                return false;
            char bytes[4];
            if (encode(lower, bytes) != length || std::memcmp(bytes, l, size_t(length)) != 0)
                return false;
        }
        p += length;
        l += length;
    }
    return true;
}

FoldedTextSearch::FoldedTextSearch(const QByteArray &query)
    : m_size(query.size())
{
    const auto *begin = reinterpret_cast<const unsigned char *>(query.constData());
    const auto *end = begin + query.size();
    for (const unsigned char *p = begin; p < end;) {
        Character character;
        character.offset = p - begin;
        int length = 1;
        const char32_t value = decode(p, end, &length);
        character.length = length;
        character.forms.emplace_back(reinterpret_cast<const char *>(p), length);
        if (value != kInvalid) {
            if (QChar::toLower(value) != value)
                m_impossible = true;
            for (const char32_t other : {QChar::toUpper(value), QChar::toTitleCase(value)}) {
                char bytes[4];
                if (other == value || QChar::toLower(other) != value || encode(other, bytes) != length)
                    continue;
                const QByteArray form(bytes, length);
                if (std::find(character.forms.begin(), character.forms.end(), form) == character.forms.end())
                    character.forms.push_back(form);
            }
        }
        m_characters.push_back(std::move(character));
        p += length;
    }

    m_allowed.assign(size_t(m_size), {});
    for (const Character &character : m_characters)
        for (const QByteArray &form : character.forms)
            for (qsizetype i = 0; i < character.length; ++i)
                m_allowed[size_t(character.offset + i)][static_cast<unsigned char>(form[i])] = true;

    for (unsigned int byte = 0; byte < 256; ++byte) {
        m_shift[byte] = m_size;
        for (qsizetype i = m_size - 2; i >= 0; --i) {
            if (m_allowed[size_t(i)][byte]) {
                m_shift[byte] = m_size - 1 - i;
                break;
            }
        }
    }

    int bestWeight = -1;
    for (const Character &character : m_characters) {
        for (qsizetype i = 0; i < character.length; ++i) {
            std::vector<unsigned char> bytes;
            for (const QByteArray &form : character.forms) {
                const auto byte = static_cast<unsigned char>(form[i]);
                if (std::find(bytes.begin(), bytes.end(), byte) == bytes.end())
                    bytes.push_back(byte);
            }
            int weight = 0;
            for (const unsigned char byte : bytes)
                weight += byteWeight(byte);
            if (bestWeight < 0 || weight < bestWeight) {
                bestWeight = weight;
                m_anchor = character.offset + i;
                m_anchorBytes = bytes;
            }
        }
    }
    for (const unsigned char byte : m_anchorBytes)
        m_isAnchorByte[byte] = true;
    // A rare byte found by memchr beats skipping; a common one does not.
    m_skips = m_size >= minimumSkippingSize && !(m_anchorBytes.size() == 1 && bestWeight <= rareByteWeight);
}

bool FoldedTextSearch::matchesAt(const char *start) const
{
    // From the end: a query that begins like a common word differs soonest there.
    for (qsizetype i = m_size - 1; i >= 0; --i)
        if (!m_allowed[size_t(i)][static_cast<unsigned char>(start[i])])
            return false;
    for (const Character &character : m_characters) {
        if (character.forms.size() == 1 || character.length == 1)
            continue; // the quick test was exact for it
        const char *at = start + character.offset;
        bool matched = false;
        for (const QByteArray &form : character.forms) {
            if (std::memcmp(at, form.constData(), size_t(character.length)) == 0) {
                matched = true;
                break;
            }
        }
        if (!matched)
            return false;
    }
    return true;
}

bool FoldedTextSearch::isFoundIn(const QByteArray &text) const
{
    if (m_impossible || m_size == 0 || text.size() < m_size)
        return m_size == 0;
    const char *begin = text.constData();
    // Candidates: the anchor byte where a match starting inside the text would put it.
    const char *first = begin + m_anchor;
    const char *last = begin + text.size() - m_size + m_anchor; // the last place the anchor may be
    if (m_skips) {
        const std::array<bool, 256> &lastAllowed = m_allowed[size_t(m_size - 1)];
        const char *end = begin + text.size() - m_size;
        for (const char *p = begin; p <= end;) {
            const auto byte = static_cast<unsigned char>(p[m_size - 1]);
            if (lastAllowed[byte] && matchesAt(p))
                return true;
            p += m_shift[byte];
        }
        return false;
    }
    const auto isMatch = [&](const char *anchor) { return matchesAt(anchor - m_anchor); };
    if (m_anchorBytes.size() == 1) {
        for (const char *p = first; p <= last; ++p) {
            p = static_cast<const char *>(std::memchr(p, m_anchorBytes[0], size_t(last - p + 1)));
            if (!p)
                return false;
            if (isMatch(p))
                return true;
        }
        return false;
    }
    if (m_anchorBytes.size() == 2) {
        // Two scans side by side; the nearer hit is tried first.
        const auto next = [&](const char *from, unsigned char byte) -> const char * {
            return from > last ? nullptr : static_cast<const char *>(std::memchr(from, byte, size_t(last - from + 1)));
        };
        const char *a = next(first, m_anchorBytes[0]);
        const char *b = next(first, m_anchorBytes[1]);
        while (a || b) {
            const char *p = !b || (a && a < b) ? a : b;
            if (isMatch(p))
                return true;
            if (p == a)
                a = next(p + 1, m_anchorBytes[0]);
            else
                b = next(p + 1, m_anchorBytes[1]);
        }
        return false;
    }
    for (const char *p = first; p <= last; ++p) {
        if (m_isAnchorByte[static_cast<unsigned char>(*p)] && isMatch(p))
            return true;
    }
    return false;
}
