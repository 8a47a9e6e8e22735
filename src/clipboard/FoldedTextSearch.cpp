#include "clipboard/FoldedTextSearch.h"

#include <QChar>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>

#ifdef __SSE2__
#include <immintrin.h>
#endif

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

#ifdef __SSE2__
// Two places of the query and the bytes (two each, or one twice) a text must hold there.
struct AnchorPair {
    qsizetype a = 0;
    qsizetype b = 0;
    char a0 = 0, a1 = 0, b0 = 0, b1 = 0;
};

bool hasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

// Thirty-two places at a time from `p` on: the first where both anchors hold; null when none does, `p`
// then where fewer than 32 places were left to look at.
__attribute__((target("avx2"))) const char *findPairAvx2(const char *&p, const char *last, const AnchorPair &pair)
{
    const __m256i a0 = _mm256_set1_epi8(pair.a0), a1 = _mm256_set1_epi8(pair.a1);
    const __m256i b0 = _mm256_set1_epi8(pair.b0), b1 = _mm256_set1_epi8(pair.b1);
    for (; last - p >= 31; p += 32) {
        const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p + pair.a));
        const __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p + pair.b));
        const __m256i both = _mm256_and_si256(_mm256_or_si256(_mm256_cmpeq_epi8(x, a0), _mm256_cmpeq_epi8(x, a1)),
                                              _mm256_or_si256(_mm256_cmpeq_epi8(y, b0), _mm256_cmpeq_epi8(y, b1)));
        if (const auto mask = static_cast<unsigned int>(_mm256_movemask_epi8(both)))
            return p + std::countr_zero(mask);
    }
    return nullptr;
}
#endif

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

    // The quick test is exact for a character whose forms differ in one byte at most (a Polish letter's two
    // cases do): any mix of their bytes is one of them. Others are compared whole.
    for (size_t index = 0; index < m_characters.size(); ++index) {
        const Character &character = m_characters[index];
        int differing = 0;
        for (qsizetype i = 0; i < character.length; ++i)
            differing += std::any_of(character.forms.begin(), character.forms.end(),
                                     [&](const QByteArray &form) { return form[i] != character.forms.front()[i]; });
        if (differing > 1)
            m_comparedWhole.push_back(index);
    }

    m_allowed.assign(size_t(m_size), {});
    for (const Character &character : m_characters)
        for (const QByteArray &form : character.forms)
            for (qsizetype i = 0; i < character.length; ++i)
                m_allowed[size_t(character.offset + i)][static_cast<unsigned char>(form[i])] = true;

    // The rarest byte of the rarest character, then of another one, the farthest of the rarest: the bytes of
    // one character come together, and so do neighbours in a common word ("żó" in "zażółć"), so a second
    // anchor near the first would let through most of what the first one does.
    const auto rarest = [&](const Character *skipped, Anchor *anchor) {
        int bestWeight = -1;
        qsizetype bestDistance = -1;
        const Character *chosen = nullptr;
        for (const Character &character : m_characters) {
            if (&character == skipped)
                continue;
            const qsizetype distance = skipped ? std::abs(character.offset - skipped->offset) : 0;
            for (qsizetype offset = character.offset; offset < character.offset + character.length; ++offset) {
                std::vector<unsigned char> bytes;
                int weight = 0;
                for (unsigned int byte = 0; byte < 256; ++byte) {
                    if (m_allowed[size_t(offset)][byte]) {
                        bytes.push_back(static_cast<unsigned char>(byte));
                        weight += byteWeight(static_cast<unsigned char>(byte));
                    }
                }
                if (bestWeight < 0 || weight < bestWeight || (weight == bestWeight && distance > bestDistance)) {
                    bestWeight = weight;
                    bestDistance = distance;
                    *anchor = {offset, std::move(bytes)};
                    chosen = &character;
                }
            }
        }
        return std::make_pair(chosen, bestWeight);
    };
    const auto [first, firstWeight] = rarest(nullptr, &m_first);
    m_second = m_first;
    rarest(first, &m_second);
    m_findsRareByte = m_first.bytes.size() == 1 && firstWeight <= rareByteWeight;
}

bool FoldedTextSearch::matchesAt(const char *start) const
{
    // From the end: a query that begins like a common word differs soonest there.
    for (qsizetype i = m_size - 1; i >= 0; --i)
        if (!m_allowed[size_t(i)][static_cast<unsigned char>(start[i])])
            return false;
    for (const size_t index : m_comparedWhole) {
        const Character &character = m_characters[index];
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

const char *FoldedTextSearch::nextCandidate(const char *p, const char *last) const
{
    const qsizetype a = m_first.offset;
    const qsizetype b = m_second.offset;
#ifdef __SSE2__
    // Many places at a time; an anchor has at most two bytes but for a title-case letter's three.
    if (m_first.bytes.size() <= 2 && m_second.bytes.size() <= 2) {
        const auto byte = [](const Anchor &anchor, size_t i) {
            return static_cast<char>(anchor.bytes[std::min(i, anchor.bytes.size() - 1)]);
        };
        const AnchorPair pair{a, b, byte(m_first, 0), byte(m_first, 1), byte(m_second, 0), byte(m_second, 1)};
        if (hasAvx2()) {
            if (const char *found = findPairAvx2(p, last, pair))
                return found;
        }
        const __m128i a0 = _mm_set1_epi8(pair.a0), a1 = _mm_set1_epi8(pair.a1);
        const __m128i b0 = _mm_set1_epi8(pair.b0), b1 = _mm_set1_epi8(pair.b1);
        for (; last - p >= 15; p += 16) {
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + a));
            const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + b));
            const __m128i both = _mm_and_si128(_mm_or_si128(_mm_cmpeq_epi8(x, a0), _mm_cmpeq_epi8(x, a1)),
                                               _mm_or_si128(_mm_cmpeq_epi8(y, b0), _mm_cmpeq_epi8(y, b1)));
            if (const int mask = _mm_movemask_epi8(both))
                return p + std::countr_zero(static_cast<unsigned int>(mask));
        }
    }
#endif
    const std::array<bool, 256> &atFirst = m_allowed[size_t(a)];
    const std::array<bool, 256> &atSecond = m_allowed[size_t(b)];
    for (; p <= last; ++p)
        if (atFirst[static_cast<unsigned char>(p[a])] && atSecond[static_cast<unsigned char>(p[b])])
            return p;
    return nullptr;
}

bool FoldedTextSearch::isFoundIn(QByteArrayView text) const
{
    if (m_impossible || m_size == 0 || text.size() < m_size)
        return m_size == 0;
    const char *begin = text.data();
    const char *last = begin + text.size() - m_size; // the last place a match may start
    if (m_findsRareByte) {
        const char *lastAnchor = last + m_first.offset;
        for (const char *p = begin + m_first.offset; p <= lastAnchor; ++p) {
            p = static_cast<const char *>(std::memchr(p, m_first.bytes[0], size_t(lastAnchor - p + 1)));
            if (!p)
                return false;
            if (matchesAt(p - m_first.offset))
                return true;
        }
        return false;
    }
    for (const char *p = begin; (p = nextCandidate(p, last)); ++p)
        if (matchesAt(p))
            return true;
    return false;
}
