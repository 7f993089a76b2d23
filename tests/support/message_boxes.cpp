#include "tests/support/message_boxes.h"

#include <gtest/gtest.h>

#include "platform/message_box.h"

namespace {
RecordedBoxes* active = nullptr;
void record(const char* caption, const char* text)
{
    if (!active)
        return;
    if (active->requiredCaption) {
        EXPECT_STREQ(caption, active->requiredCaption);
    }
    if (active->whileShown)
        active->whileShown();
    active->captions.emplace_back(caption ? caption : "");
    active->texts.emplace_back(text ? text : "");
}
}  // namespace

RecordedBoxes::RecordedBoxes(const char* caption) : requiredCaption(caption)
{
    active = this;
    setMessageBoxRecorder(record);
}

RecordedBoxes::~RecordedBoxes()
{
    setMessageBoxRecorder(nullptr);
    active = nullptr;
}

void RecordedBoxes::clear()
{
    captions.clear();
    texts.clear();
}
