// A GTK 3 window with a login form (an e-mail entry known only by its placeholder, and a password entry),
// for the field-reading desktop tests. Same arguments, output and stdin commands as qt_login_app.
// With --multi-line TEXT the window holds a text view with TEXT (\n for a line break) instead, in a notebook
// page as editors hold it, the caret at its end; "text" then answers its whole text with line breaks escaped
// as \n, and "where N" answers "at X Y", the screen point in the middle of its character N.
#include <gtk/gtk.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct Form {
    GtkWidget *window = nullptr;
    GtkWidget *email = nullptr;
    GtkWidget *password = nullptr;
    GtkWidget *document = nullptr;
    std::string pending;
};

void say(const std::string &line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

void printField(const char *name, GtkWidget *field)
{
    GdkWindow *gdkWindow = gtk_widget_get_window(field);
    if (!gdkWindow)
        return;
    int rootX = 0;
    int rootY = 0;
    // Entries have no window of their own: the toplevel's origin plus the allocation.
    gdk_window_get_origin(gtk_widget_get_window(gtk_widget_get_toplevel(field)), &rootX, &rootY);
    int x = 0;
    int y = 0;
    gtk_widget_translate_coordinates(field, gtk_widget_get_toplevel(field), 0, 0, &x, &y);
    GtkAllocation allocation;
    gtk_widget_get_allocation(field, &allocation);
    say(std::string("field ") + name + ' ' + std::to_string(rootX + x) + ' ' + std::to_string(rootY + y) + ' '
        + std::to_string(allocation.width) + ' ' + std::to_string(allocation.height));
}

std::string documentText(GtkWidget *view)
{
    GtkTextBuffer *buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(view));
    GtkTextIter start;
    GtkTextIter end;
    gtk_text_buffer_get_bounds(buffer, &start, &end);
    gchar *text = gtk_text_buffer_get_text(buffer, &start, &end, FALSE);
    std::string escaped;
    for (const char *c = text; *c; ++c) {
        if (*c == '\\')
            escaped += "\\\\";
        else if (*c == '\n')
            escaped += "\\n";
        else
            escaped += *c;
    }
    g_free(text);
    return escaped;
}

void printFields(Form *form)
{
    if (form->document) {
        printField("document", form->document);
        return;
    }
    printField("email", form->email);
    printField("password", form->password);
}

void handle(Form *form, const std::string &line)
{
    const std::string command = line.substr(0, line.find(' '));
    const std::string argument = line.find(' ') == std::string::npos ? std::string() : line.substr(line.find(' ') + 1);
    if (command == "select") {
        gtk_window_present(GTK_WINDOW(form->window));
        gtk_widget_grab_focus(form->email);
        gtk_editable_select_region(GTK_EDITABLE(form->email), 0, -1);
        say(std::string("selected ") + gtk_entry_get_text(GTK_ENTRY(form->email)));
    } else if (command == "focus") {
        gtk_window_present(GTK_WINDOW(form->window));
        gtk_widget_grab_focus(argument == "password" ? form->password : form->email);
        say("focused " + argument);
    } else if (command == "hang") {
        say("hanging");
        g_usleep(gulong(std::atof(argument.c_str()) * 1e6));
        say("awake");
    } else if (command == "geometry") {
        printFields(form);
    } else if (command == "text") {
        say(std::string("text ") + (form->document ? documentText(form->document) : gtk_entry_get_text(GTK_ENTRY(form->email))));
    } else if (command == "where" && form->document) {
        GtkTextView *view = GTK_TEXT_VIEW(form->document);
        GtkTextIter iter;
        gtk_text_buffer_get_iter_at_offset(gtk_text_view_get_buffer(view), &iter, std::atoi(argument.c_str()));
        GdkRectangle location;
        gtk_text_view_get_iter_location(view, &iter, &location);
        int x = 0;
        int y = 0;
        gtk_text_view_buffer_to_window_coords(view, GTK_TEXT_WINDOW_TEXT, location.x + location.width / 2,
                                              location.y + location.height / 2, &x, &y);
        int originX = 0;
        int originY = 0;
        gdk_window_get_origin(gtk_text_view_get_window(view, GTK_TEXT_WINDOW_TEXT), &originX, &originY);
        say("at " + std::to_string(originX + x) + ' ' + std::to_string(originY + y));
    } else if (command == "append") {
        // The person types at the end of the e-mail field.
        gint position = gtk_entry_get_text_length(GTK_ENTRY(form->email));
        gtk_editable_insert_text(GTK_EDITABLE(form->email), argument.c_str(), int(argument.size()), &position);
        say("appended");
    } else if (command == "selectrange") {
        int start = 0;
        int length = 0;
        std::sscanf(argument.c_str(), "%d %d", &start, &length);
        gtk_editable_select_region(GTK_EDITABLE(form->email), start, start + length);
        say("selected range");
    }
}

gboolean onInput(GIOChannel *channel, GIOCondition condition, gpointer data)
{
    auto *form = static_cast<Form *>(data);
    if (condition & (G_IO_HUP | G_IO_ERR))
        return FALSE;
    char buffer[256];
    const ssize_t n = ::read(g_io_channel_unix_get_fd(channel), buffer, sizeof buffer);
    if (n <= 0)
        return FALSE;
    form->pending.append(buffer, size_t(n));
    size_t end;
    while ((end = form->pending.find('\n')) != std::string::npos) {
        std::string line = form->pending.substr(0, end);
        form->pending.erase(0, end + 1);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        handle(form, line);
    }
    return TRUE;
}

gboolean announce(gpointer data)
{
    auto *form = static_cast<Form *>(data);
    say("ready " + std::to_string(getpid()));
    printFields(form);
    return G_SOURCE_REMOVE;
}

} // namespace

int main(int argc, char **argv)
{
    g_set_prgname("gtk_login_app");
    gtk_init(&argc, &argv);
    const char *email = "ada@example.com";
    const char *password = "hunter2-secret";
    int atX = -1;
    int atY = -1;
    const char *document = nullptr;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--at") == 0)
            std::sscanf(argv[i + 1], "%d,%d", &atX, &atY);
        else if (std::strcmp(argv[i], "--email") == 0)
            email = argv[i + 1];
        else if (std::strcmp(argv[i], "--password") == 0)
            password = argv[i + 1];
        else if (std::strcmp(argv[i], "--multi-line") == 0)
            document = argv[i + 1];
    }

    Form form;
    form.window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(form.window), "Sign in");
    gtk_window_set_default_size(GTK_WINDOW(form.window), 460, 120);
    if (atX >= 0)
        gtk_window_move(GTK_WINDOW(form.window), atX, atY);
    g_signal_connect(form.window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    GtkWidget *box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 8);
    gtk_container_set_border_width(GTK_CONTAINER(box), 12);
    gtk_container_add(GTK_CONTAINER(form.window), box);
    if (document) {
        std::string text;
        for (const char *c = document; *c; ++c) {
            if (c[0] == '\\' && c[1] == 'n') {
                text += '\n';
                ++c;
            } else {
                text += *c;
            }
        }
        form.document = gtk_text_view_new();
        GtkTextBuffer *buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(form.document));
        gtk_text_buffer_set_text(buffer, text.c_str(), -1);
        GtkTextIter end;
        gtk_text_buffer_get_end_iter(buffer, &end);
        gtk_text_buffer_place_cursor(buffer, &end);
        gtk_widget_set_size_request(form.document, 420, 200);
        // As editors hold a document: in a scrolled page of a notebook, whose page tab has no frame of its own.
        GtkWidget *scrolled = gtk_scrolled_window_new(nullptr, nullptr);
        gtk_container_add(GTK_CONTAINER(scrolled), form.document);
        GtkWidget *notebook = gtk_notebook_new();
        gtk_notebook_append_page(GTK_NOTEBOOK(notebook), scrolled, gtk_label_new("Document"));
        gtk_box_pack_start(GTK_BOX(box), notebook, TRUE, TRUE, 0);
    } else {
        form.email = gtk_entry_new();
        gtk_entry_set_placeholder_text(GTK_ENTRY(form.email), "E-mail");
        gtk_entry_set_text(GTK_ENTRY(form.email), email);
        form.password = gtk_entry_new();
        gtk_entry_set_placeholder_text(GTK_ENTRY(form.password), "Password");
        gtk_entry_set_visibility(GTK_ENTRY(form.password), FALSE);
        gtk_entry_set_text(GTK_ENTRY(form.password), password);
        gtk_box_pack_start(GTK_BOX(box), form.email, FALSE, FALSE, 0);
        gtk_box_pack_start(GTK_BOX(box), form.password, FALSE, FALSE, 0);
    }

    GIOChannel *input = g_io_channel_unix_new(STDIN_FILENO);
    g_io_add_watch(input, GIOCondition(G_IO_IN | G_IO_HUP | G_IO_ERR), onInput, &form);

    gtk_widget_show_all(form.window);
    gtk_widget_grab_focus(form.document ? form.document : form.email);
    g_idle_add(announce, &form);
    gtk_main();
    g_io_channel_unref(input);
    return 0;
}
