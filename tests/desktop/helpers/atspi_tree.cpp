// Lists the accessible elements of a running application over AT-SPI, as a screen reader finds them:
//
//   atspi_tree <pid>
//
// Prints one line for each element: "showing" and "focused" where it has those states, then "| <role> | <name>",
// and "end" after the last. Exits 1 when the application is not on the bus. A program of its own, so the
// application it asks keeps answering meanwhile.

#include "AtspiApplication.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: atspi_tree <pid>\n");
        return 2;
    }
    if (atspi_init() < 0) {
        std::fprintf(stderr, "atspi_tree: no accessibility bus\n");
        return 1;
    }
    AtspiAccessible *application = applicationOf(std::atoi(argv[1]));
    if (!application) {
        std::printf("missing\n");
        return 1;
    }
    int budget = 20000;
    findElement(
        application,
        [](AtspiAccessible *element) {
            gchar *role = atspi_accessible_get_role_name(element, nullptr);
            gchar *name = atspi_accessible_get_name(element, nullptr);
            std::printf("%s%s| %s | %s\n", hasState(element, ATSPI_STATE_SHOWING) ? "showing " : "",
                        hasState(element, ATSPI_STATE_FOCUSED) ? "focused " : "", role ? role : "", name ? name : "");
            g_free(role);
            g_free(name);
            return false;
        },
        budget);
    g_object_unref(application);
    std::printf("end\n");
    return 0;
}
