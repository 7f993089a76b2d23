// The message box as a real GTK dialog: title, plain-text body, one OK
// button with the focus, modal, window behind repainted while it is open.
#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

#include "platform/message_box.h"

namespace {

struct SeenBox {
    int repaints = 0;
    bool found = false;
    std::string title, body, wmName;
    int buttons = 0;
    bool modal = false, okHasFocus = false;
} seen;

void collect(GtkWidget* widget, gpointer)
{
    if (GTK_IS_BUTTON(widget))
        ++seen.buttons;
    if (GTK_IS_LABEL(widget) && seen.body.empty())
        seen.body = gtk_label_get_text(GTK_LABEL(widget));
    if (GTK_IS_CONTAINER(widget))
        gtk_container_forall(GTK_CONTAINER(widget), collect, nullptr);
}

GtkWidget* openDialog()
{
    GtkWidget* dialog = nullptr;
    GList* windows = gtk_window_list_toplevels();
    for (GList* w = windows; w; w = w->next)
        if (GTK_IS_DIALOG(w->data) && gtk_widget_get_visible(GTK_WIDGET(w->data)))
            dialog = GTK_WIDGET(w->data);
    g_list_free(windows);
    return dialog;
}

// Runs as the repaint hook inside the box's modal loop; once the box has
// been repainted behind a few times it looks the dialog over and presses OK.
void inspectAndDismiss()
{
    if (++seen.repaints < 3)
        return;
    GtkWidget* dialog = openDialog();
    if (!dialog)
        return;
    seen.found = true;
    seen.title = gtk_window_get_title(GTK_WINDOW(dialog));
    seen.modal = gtk_window_get_modal(GTK_WINDOW(dialog));
    // The X11 name that window tools search by.
    guchar* name = nullptr;
    gint length = 0;
    if (gdk_property_get(gtk_widget_get_window(dialog), gdk_atom_intern("WM_NAME", FALSE),
                         gdk_atom_intern("UTF8_STRING", FALSE), 0, 1024, FALSE, nullptr, nullptr, &length, &name)) {
        seen.wmName.assign(reinterpret_cast<char*>(name), length);
        g_free(name);
    }
    // Buttons of the box itself, not of its title bar.
    collect(gtk_bin_get_child(GTK_BIN(dialog)), nullptr);
    GtkWidget* ok = gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
    seen.okHasFocus = ok && gtk_widget_has_focus(ok) && std::string(gtk_button_get_label(GTK_BUTTON(ok))) == "OK";
    gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
}

class DialogBox : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs an X display";
        seen = SeenBox{};
        setMessageBoxRepaint(inspectAndDismiss);
    }
    void TearDown() override { setMessageBoxRepaint(nullptr); }
};

TEST_F(DialogBox, ShowsCaptionAndTextWithOneOkButtonUntilDismissed)
{
    const std::string localeBefore = std::setlocale(LC_ALL, nullptr);
    showMessageBox("화성", "반지름(Km) : 3397\n공전주기 : 1.88년");
    EXPECT_TRUE(seen.found);
    EXPECT_GE(seen.repaints, 3);
    EXPECT_EQ(seen.title, "화성");
    EXPECT_EQ(seen.wmName, "화성");
    EXPECT_EQ(seen.body, "반지름(Km) : 3397\n공전주기 : 1.88년");
    EXPECT_EQ(seen.buttons, 1);
    EXPECT_TRUE(seen.modal);
    EXPECT_TRUE(seen.okHasFocus);
    // Gone once dismissed, and the program's locale is untouched.
    EXPECT_EQ(openDialog(), nullptr);
    EXPECT_EQ(std::setlocale(LC_ALL, nullptr), localeBefore);
    EXPECT_EQ(std::strtod("1.5", nullptr), 1.5);
}

TEST_F(DialogBox, TextIsShownVerbatimAndBrokenUtf8IsRepaired)
{
    showMessageBox("Error\xff", "<b>a & b</b> \xc3(");
    EXPECT_TRUE(seen.found);
    EXPECT_EQ(seen.title, "Error\xEF\xBF\xBD");
    EXPECT_EQ(seen.body, "<b>a & b</b> \xEF\xBF\xBD(");

    seen = SeenBox{};
    showMessageBox(nullptr, nullptr);
    EXPECT_TRUE(seen.found);
    EXPECT_EQ(seen.title, "");
}

TEST(NoDisplay, BoxGoesToStandardErrorAndReturnsAtOnce)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
            showMessageBox("Error", "Cannot open c.bmp");
            showMessageBox("Error", "second");
            std::exit(7);
        },
        ::testing::ExitedWithCode(7), "Error\nCannot open c.bmp\nError\nsecond\n");
}

}  // namespace
