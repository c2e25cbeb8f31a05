#pragma once
// Draws the window's parts into its own framebuffer, as the layout places them and
// in the theme's colours. It keeps no state of its own beyond the picture: what is
// pressed, open or shown is handed to each call.
#include "gfx/ovCanvas.h"
#include "gfx/ovFramebuffer.h"
#include "hosts/common/ovWindowLayout.h"
#include "resources/ovResources.h"

#include <span>
#include <string_view>

class ovFont;
class ovFontSet;

class ovWindowPainter {
public:
    ovWindowPainter(const ovWindowLayout& layout, const ovFontSet& fonts);
    ovWindowPainter(const ovWindowPainter&) = delete;
    ovWindowPainter& operator=(const ovWindowPainter&) = delete;

    // Empty until something is drawn.
    const ovFramebuffer& frame() const { return frame_; }

    // Width of a pop-up label and height of the About text wrapped to `width`.
    int labelWidth(std::u16string_view text);
    int wrappedHeight(std::u16string_view text, int width);

    void drawTopBar(std::u16string_view title, std::u16string_view clock);
    // The program's last frame, or the empty screen colour where it does not reach.
    void drawScreen(const ovFramebuffer* back);
    // pressedKey: the key under a press still inside it, or -1; openKey: the key whose
    // pop-up is open, or -1.
    void drawBottomBar(std::span<const ovSoftKey> keys, int pressedKey, int openKey);
    void drawMenu(std::span<const ovMenuItem> items, int pressedItem);
    // The box over the dimmed window.
    void drawAbout(std::u16string_view title, std::u16string_view text, bool okPressed);

private:
    void makeFrame();
    void drawLabel(std::u16string_view text, const ovRect& r, unsigned format, const ovFont* font,
                   ovColor color);

    const ovWindowLayout& layout_;
    const ovFontSet& fonts_;
    ovFramebuffer frame_;
    ovCanvas canvas_;
};
