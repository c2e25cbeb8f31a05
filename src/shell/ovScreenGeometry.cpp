#include "shell/ovScreenGeometry.h"

#include "shell/ovApp.h"

int ovFracOf(int edge, float f) {
    const float product = static_cast<float>(edge) * f;
    return static_cast<int>(product);
}

int fracWidth(float f) {
    const ovApp* app = ovApp::instance();
    return ovFracOf(app != nullptr ? app->screenRect.right : 0, f);
}

int fracHeight(float f) {
    const ovApp* app = ovApp::instance();
    return ovFracOf(app != nullptr ? app->screenRect.bottom : 0, f);
}

bool pointInRect(ovPoint point, int left, int top, int right, int bottom) {
    return left <= point.x && point.x <= right && top <= point.y && point.y <= bottom;
}

int rowAt(int left, int top, int right, int bottom, int n, ovPoint point) {
    // A zero step would never leave the loop: no band can be found then.
    if (n < 1 || (bottom - top) / n < 1)
        return -1;
    const int step = (bottom - top) / n;
    int index = 0;
    for (int y = top; y <= bottom; y += step, ++index)
        if (pointInRect(point, left, y, right, y + step))
            return index;
    return -1;
}

int columnAt(int left, int top, int right, int bottom, int n, ovPoint point) {
    if (n < 1 || (right - left) / n < 1)
        return -1;
    const int step = (right - left) / n;
    int index = 0;
    for (int x = left; x <= right; x += step, ++index)
        if (pointInRect(point, x, top, x + step, bottom))
            return index;
    return -1;
}
