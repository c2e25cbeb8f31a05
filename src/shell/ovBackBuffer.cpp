#include "shell/ovBackBuffer.h"

void ovBackBuffer::create(int left, int top, int right, int bottom) {
    if (created_)
        return;
    frame_ = ovFramebuffer(right - left, bottom - top);
    canvas_ = std::make_unique<ovCanvas>(frame_);
    left_ = left;
    top_ = top;
    right_ = right;
    bottom_ = bottom;
    created_ = true;
}
