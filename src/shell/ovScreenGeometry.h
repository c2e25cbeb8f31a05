#pragma once
// Geometry as fractions of the screen rectangle, and the hit tests every screen
// uses. Point tests include all four edges.
#include "gfx/ovGeometry.h"

// edge converted to a 32-bit float, times f in single precision, truncated toward zero.
int ovFracOf(int edge, float f);
// The same against the application's screen rectangle's right and bottom edges.
int fracWidth(float f);
int fracHeight(float f);

bool pointInRect(ovPoint point, int left, int top, int right, int bottom);
// Index of the band of height (bottom - top) / n holding the point, or -1. Bands share
// their boundary lines (a boundary belongs to the band above); when the extent is not a
// multiple of n, the last lines belong to one extra band, index n.
int rowAt(int left, int top, int right, int bottom, int n, ovPoint point);
int columnAt(int left, int top, int right, int bottom, int n, ovPoint point);
