// Message boxes recorded instead of shown, so that a test can read what a
// person would have been told.
#pragma once

#include <functional>
#include <string>
#include <vector>

// Records every message box shown while it lives (one recorder at a time).
struct RecordedBoxes {
    // With a caption, every box must carry it (the picture loaders' boxes
    // all say "Error"); null takes any caption.
    explicit RecordedBoxes(const char* caption = "Error");
    ~RecordedBoxes();
    RecordedBoxes(const RecordedBoxes&) = delete;
    RecordedBoxes& operator=(const RecordedBoxes&) = delete;
    void clear();

    std::vector<std::string> captions;  // in the order shown
    std::vector<std::string> texts;
    // Runs as each box is shown, while the code that shows it waits: the
    // place to look at what the box's owner had set by then.
    std::function<void()> whileShown;
    const char* const requiredCaption;
};
