// Modal message boxes as GTK 3 dialogs.  GTK is brought up on the first box
// only, and without touching the C locale: number parsing elsewhere in the
// program relies on the "C" locale.
#include "platform/message_box.h"

#include "core/i18n.h"

#include <gtk/gtk.h>
#ifdef GDK_WINDOWING_X11
#include <gdk/gdkx.h>
#endif

#include <cstdio>
#include <cstring>

namespace {
MessageBoxRecorder boxRecorder = nullptr;
void (*boxRepaint)() = nullptr;

// How often the window behind an open box is repainted, in milliseconds.
constexpr guint REPAINT_INTERVAL_MS = 100;

enum class Gtk { Untried, Ready, Unavailable };
Gtk gtkState = Gtk::Untried;

bool gtkReady()
{
    if (gtkState == Gtk::Untried) {
        gtk_disable_setlocale();
        gtkState = gtk_init_check(nullptr, nullptr) ? Gtk::Ready : Gtk::Unavailable;
    }
    return gtkState == Gtk::Ready;
}

gboolean repaintBehindBox(gpointer)
{
    if (boxRepaint)
        boxRepaint();
    return G_SOURCE_CONTINUE;
}

// GTK writes the X11 WM_NAME property in the C locale's encoding, which has
// no Hangul, and so leaves it out; tools that look windows up by WM_NAME
// would then not see the box.  Write it as UTF-8, as _NET_WM_NAME is.
void setUtf8WmName(GtkWidget* window, const char* title)
{
    GdkWindow* gdkWindow = gtk_widget_get_window(window);
#ifdef GDK_WINDOWING_X11
    if (!gdkWindow || !GDK_IS_X11_WINDOW(gdkWindow))
        return;
    gdk_property_change(gdkWindow, gdk_atom_intern_static_string("WM_NAME"),
                        gdk_atom_intern_static_string("UTF8_STRING"), 8, GDK_PROP_MODE_REPLACE,
                        reinterpret_cast<const guchar*>(title), static_cast<int>(std::strlen(title)));
#else
    (void)gdkWindow;
    (void)title;
#endif
}

// Lets GTK finish unmapping and destroying a dialog before control returns.
void drainGtkEvents()
{
    while (gtk_events_pending())
        gtk_main_iteration_do(FALSE);
}
}  // namespace

void setMessageBoxRecorder(MessageBoxRecorder recorder) { boxRecorder = recorder; }
void setMessageBoxRepaint(void (*repaint)()) { boxRepaint = repaint; }

void showMessageBox(const char* caption, const char* text)
{
    if (!caption)
        caption = "";
    if (!text)
        text = "";
    if (boxRecorder) {
        boxRecorder(caption, text);
        return;
    }
    if (!gtkReady()) {
        std::fprintf(stderr, "%s\n%s\n", caption, text);
        std::fflush(stderr);
        return;
    }

    // GTK wants UTF-8; stray bytes (a file name, say) become U+FFFD.
    gchar* title = g_utf8_make_valid(caption, -1);
    gchar* body = g_utf8_make_valid(text, -1);
    GtkWidget* dialog =
        gtk_dialog_new_with_buttons(title, nullptr, GTK_DIALOG_MODAL, tr("OK"), GTK_RESPONSE_OK, nullptr);
    // The caption is drawn by GTK itself, so it shows even where no window
    // manager decorates the box.
    GtkWidget* titleBar = gtk_header_bar_new();
    gtk_header_bar_set_title(GTK_HEADER_BAR(titleBar), title);
    gtk_header_bar_set_show_close_button(GTK_HEADER_BAR(titleBar), TRUE);
    gtk_window_set_titlebar(GTK_WINDOW(dialog), titleBar);
    gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
    gtk_window_set_resizable(GTK_WINDOW(dialog), FALSE);
    gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);

    // The text is shown as plain text, never parsed as markup.
    GtkWidget* label = gtk_label_new(body);
    gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
    // Long lines (a deep file path) wrap instead of widening the box past
    // the screen.
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    gtk_label_set_line_wrap_mode(GTK_LABEL(label), PANGO_WRAP_WORD_CHAR);
    gtk_label_set_max_width_chars(GTK_LABEL(label), 80);
    gtk_widget_set_margin_start(label, 24);
    gtk_widget_set_margin_end(label, 24);
    gtk_widget_set_margin_top(label, 18);
    gtk_widget_set_margin_bottom(label, 12);
    GtkWidget* content = gtk_dialog_get_content_area(GTK_DIALOG(dialog));
    gtk_container_add(GTK_CONTAINER(content), label);
    gtk_widget_realize(dialog);
    setUtf8WmName(dialog, title);
    gtk_widget_show_all(dialog);

    GtkWidget* ok = gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
    gtk_widget_grab_focus(ok);

    // Paint the window behind once the box is up, then now and then.
    if (boxRepaint)
        boxRepaint();
    const guint repaintSource = g_timeout_add(REPAINT_INTERVAL_MS, repaintBehindBox, nullptr);
    gtk_window_present(GTK_WINDOW(dialog));
    gtk_dialog_run(GTK_DIALOG(dialog));
    g_source_remove(repaintSource);
    gtk_widget_destroy(dialog);
    drainGtkEvents();
    g_free(title);
    g_free(body);
}
