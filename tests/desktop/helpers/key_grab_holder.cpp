// Holds a passive grab of Super+Shift+1 on the root window from a connection of its own, so that a test can
// see another client's grab refused. Prints "ready" once the grab is held, then waits until stdin closes.
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdio>
#include <cstdlib>

int main()
{
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::puts("no-display");
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_key_symbols_t *symbols = xcb_key_symbols_alloc(c);
    xcb_keycode_t *codes = xcb_key_symbols_get_keycode(symbols, 0x31);
    if (!codes) {
        std::puts("no-keycode");
        return 1;
    }
    const uint16_t mods = XCB_MOD_MASK_4 | XCB_MOD_MASK_SHIFT;
    xcb_generic_error_t *error = xcb_request_check(
        c, xcb_grab_key_checked(c, 1, root, mods, codes[0], XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    if (error) {
        std::printf("grab-failed %d\n", error->error_code);
        return 1;
    }
    std::puts("ready");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    std::free(codes);
    xcb_key_symbols_free(symbols);
    xcb_disconnect(c);
    return 0;
}
