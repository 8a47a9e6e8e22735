#include "platform/linux/X11ModifierMap.h"

#include <cstdlib>

namespace {
constexpr xcb_keysym_t numLockKeysym = 0xff7f;
}

X11ModifierMap X11ModifierMap::read(xcb_connection_t *connection, xcb_key_symbols_t *symbols)
{
    X11ModifierMap map;
    xcb_keycode_t *numLockCodes = xcb_key_symbols_get_keycode(symbols, numLockKeysym);
    xcb_get_modifier_mapping_reply_t *reply =
        xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr);
    if (reply) {
        const xcb_keycode_t *codes = xcb_get_modifier_mapping_keycodes(reply);
        const int perModifier = reply->keycodes_per_modifier;
        for (int modifier = 0; modifier < 8; ++modifier) {
            for (int i = 0; i < perModifier; ++i) {
                const xcb_keycode_t code = codes[modifier * perModifier + i];
                if (!code)
                    continue;
                map.m_modifierKeycodes.append(code);
                for (const xcb_keycode_t *n = numLockCodes; n && *n != XCB_NO_SYMBOL && !map.m_numLockMask; ++n) {
                    if (*n == code)
                        map.m_numLockMask = quint16(1u << modifier);
                }
            }
        }
    }
    std::free(reply);
    std::free(numLockCodes);
    return map;
}

QList<quint16> X11ModifierMap::lockVariants(quint16 modifiers) const
{
    QList<quint16> result{modifiers, quint16(modifiers | XCB_MOD_MASK_LOCK)};
    if (m_numLockMask) {
        result.append(quint16(modifiers | m_numLockMask));
        result.append(quint16(modifiers | m_numLockMask | XCB_MOD_MASK_LOCK));
    }
    return result;
}
