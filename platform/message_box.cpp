#include "platform/message_box.h"

#include <cstdio>

namespace {
MessageBoxRecorder boxRecorder = nullptr;
void (*boxRepaint)() = nullptr;
}  // namespace

void setMessageBoxRecorder(MessageBoxRecorder recorder) { boxRecorder = recorder; }
void setMessageBoxRepaint(void (*repaint)()) { boxRepaint = repaint; }

void showMessageBox(const char* caption, const char* text)
{
    if (boxRecorder) {
        boxRecorder(caption, text);
        return;
    }
    std::fprintf(stderr, "%s\n%s\n", caption, text);
}
