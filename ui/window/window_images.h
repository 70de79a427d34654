// The main window's 24 bitmaps, loaded from the program's resources and kept
// for the window's lifetime; switches and painting borrow them.
#pragma once

#include <map>
#include <memory>

#include "ui/controls/qbx_bitmap.h"

class WindowImages {
public:
    // Loads every bitmap the window shows. A missing or malformed resource
    // leaves its picture blank (Get returns null for it).
    void LoadAll();
    // The bitmap of resource `id`, or null when it is missing. Borrowed.
    const CQBXBitmap* Get(int id) const;

private:
    std::map<int, std::unique_ptr<CQBXBitmap>> images_;
};
