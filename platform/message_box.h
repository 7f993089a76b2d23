// Modal message boxes: a desktop dialog with the caption as its title, the
// text as its body and one OK button; the caller waits until it is dismissed.
// Texts are UTF-8.  With no display the caption and text go to standard error.
#pragma once

// Shows the box and returns once the user has dismissed it.
void showMessageBox(const char* caption, const char* text);

// Tests: while a recorder is set, boxes are handed to it instead of shown.
using MessageBoxRecorder = void (*)(const char* caption, const char* text);
void setMessageBoxRecorder(MessageBoxRecorder recorder);

// Called now and then while a box is open, so the window behind it stays
// painted.  Null (the default) paints nothing.
void setMessageBoxRepaint(void (*repaint)());
