#pragma once
// The off-screen frame every screen draws into; the host shows it in one step.
#include "gfx/ovCanvas.h"
#include "gfx/ovFramebuffer.h"

#include <memory>

class ovBackBuffer {
public:
    // Does its work once: later calls keep the first rectangle.
    void create(int left, int top, int right, int bottom);

    bool created() const { return created_; }
    int left() const { return left_; }
    int top() const { return top_; }
    int right() const { return right_; }
    int bottom() const { return bottom_; }

    ovCanvas& canvas() { return *canvas_; }
    const ovFramebuffer& frame() const { return frame_; }

private:
    ovFramebuffer frame_;
    std::unique_ptr<ovCanvas> canvas_;
    bool created_ = false;
    int left_ = 0, top_ = 0, right_ = 0, bottom_ = 0;
};
