#pragma once
// A painter over a framebuffer with the state model of a classic device context:
// a selected pen, brush and font, a text colour and a background mode. Every call
// is clipped to the framebuffer. Same input, same pixels.
#include "gfx/ovFramebuffer.h"
#include "gfx/ovGeometry.h"
#include "gfx/ovImage.h"

#include <string>
#include <string_view>
#include <vector>

class ovFont;

struct ovPen {
    enum Style { Solid = 0, Dash = 1, None = 5 };
    int style = Solid;
    int width = 1;
    ovColor color = 0;
};

struct ovBrush {
    enum Style { Solid = 0, Hollow = 1 };
    int style = Solid;
    ovColor color = ovRgb(255, 255, 255);
};

// drawText format bits.
enum ovTextFormat : unsigned {
    ovTextLeft = 0,
    ovTextCenter = 1,
    ovTextRight = 2,
    ovTextVCenter = 4,
    ovTextWordWrap = 16,
};

enum ovBackgroundMode { ovTransparent = 1, ovOpaque = 2 };

// The colour with each channel kept at share/256 of its value (a darkening veil).
constexpr ovColor ovDimmed(ovColor c, uint32_t share) {
    return (((c & 0xFF00FFu) * share >> 8) & 0xFF00FFu) | (((c & 0x00FF00u) * share >> 8) & 0x00FF00u);
}

class ovCanvas {
public:
    explicit ovCanvas(ovFramebuffer& target);

    ovFramebuffer& target() { return *target_; }
    const ovFramebuffer& target() const { return *target_; }

    // Selections return what they replaced, so that callers can put it back.
    ovPen selectPen(const ovPen& pen);
    ovBrush selectBrush(const ovBrush& brush);
    const ovFont* selectFont(const ovFont* font); // nullptr: no text is drawn
    const ovFont* font() const { return font_; }
    ovColor setTextColor(ovColor color);
    ovColor setBackgroundColor(ovColor color);
    int setBackgroundMode(int mode);
    const ovPen& pen() const { return pen_; }
    const ovBrush& brush() const { return brush_; }
    ovColor textColor() const { return textColor_; }
    ovColor backgroundColor() const { return backgroundColor_; }
    int backgroundMode() const { return backgroundMode_; }
    ovPoint position() const { return position_; }

    // Fills [left, right) x [top, bottom) with the colour; ignores pen and brush.
    void fillRect(const ovRect& rect, ovColor color);
    // The same with corners rounded to the radius (at most half the shorter side),
    // without anti-aliasing, so that it stays exact on any framebuffer.
    void fillRoundRect(const ovRect& rect, int radius, ovColor color);
    // Darkens every pixel of the rectangle to share/256 of each channel (ovDimmed).
    void dim(const ovRect& rect, uint32_t share);
    // Fills the inside with the selected brush and outlines it with the selected pen,
    // the outline lying on the rectangle's outer pixels: left..right-1, top..bottom-1.
    // With the None pen the brush covers the whole [left, right) x [top, bottom).
    // A dashed outline starts at the top-left corner and runs clockwise.
    void rectangle(int left, int top, int right, int bottom);
    // Lines with the selected pen; lineTo draws up to but not including the end point.
    // A dashed pen's pattern (4 pixels on, 2 off) restarts at moveTo and runs on
    // across consecutive lineTo calls.
    void moveTo(int x, int y);
    void lineTo(int x, int y);

    // Draws UTF-16 text into the rectangle with the format bits above, clipped to the
    // rectangle. Word wrap breaks lines at spaces and breaks a word longer than the
    // line where it must; the vertical-centre bit centres the whole block. Returns the
    // height of the laid-out block in pixels. Line breaks ("\n", "\r\n", "\r") always
    // start a new line. In opaque background mode each line's extent is filled with
    // the background colour first.
    int drawText(std::u16string_view text, const ovRect& rect, unsigned format);
    // Width in pixels of a single line of text in the selected font (the widest line
    // when the text holds line breaks); 0 without a font.
    int measureText(std::u16string_view text) const;
    // The text word-wrapped to the width in the selected font, as drawText lays it out.
    struct Block {
        int height = 0;         // of the laid-out block, in pixels
        bool wordsWhole = true; // no word had to be broken inside
    };
    Block measureWrapped(std::u16string_view text, int width);

    // Nearest-neighbour stretch of the whole image into (left, top, width, height);
    // source pixels whose colour equals the key exactly are left out.
    void stretchBlitKeyed(const ovImage& image, int left, int top, int width, int height, ovColor key);
    // Source-over blend of a premultiplied 32-bit image, stretched nearest-neighbour
    // into (left, top, width, height), with a constant opacity on top of per-pixel alpha.
    void alphaBlend(const ovImage& image, int left, int top, int width, int height, uint8_t opacity);
    // Straight copy of a whole framebuffer with its top-left corner at (x, y).
    void copyFrom(const ovFramebuffer& source, int x, int y);

private:
    struct StretchPlan;
    struct TextLine {
        size_t begin = 0;
        size_t end = 0;
        int width = 0;
    };

    bool planStretch(const ovImage& image, int left, int top, int width, int height, StretchPlan& plan);
    const uint32_t* sourceRow(const ovImage& image, const StretchPlan& plan, int y, int top, int height);
    void drawPenLine(int x0, int y0, int x1, int y1);
    void plotPen(int x, int y);
    void decodeText(std::u16string_view text);
    void layoutText(bool wrap, int maxWidth);
    void drawGlyphRun(size_t begin, size_t end, int x, int baseline, const ovRect& clip);

    ovFramebuffer* target_;
    ovPen pen_;
    ovBrush brush_;
    const ovFont* font_ = nullptr;
    ovColor textColor_ = 0;
    ovColor backgroundColor_ = ovRgb(255, 255, 255);
    int backgroundMode_ = ovOpaque;
    ovPoint position_;
    int dashPhase_ = 0; // position within the dash pattern, 0..5

    // Scratch space kept between calls so that drawing a frame does not allocate.
    std::vector<int> sampleX_;
    std::vector<uint32_t> rowScratch_;
    long long gatheredRow_ = -1;
    std::u32string codePoints_;
    std::vector<TextLine> lines_;
};
