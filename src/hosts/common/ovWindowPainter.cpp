#include "hosts/common/ovWindowPainter.h"

#include "hosts/common/ovWindowTheme.h"
#include "shell/ovFontSet.h"

using Theme = ovWindowTheme;

ovWindowPainter::ovWindowPainter(const ovWindowLayout& layout, const ovFontSet& fonts)
    : layout_(layout), fonts_(fonts), canvas_(frame_) {}

// The picture is made at the first drawing: a host that never shows the window (the
// headless one, until a shot of it is asked for) never holds it.
void ovWindowPainter::makeFrame() {
    if (frame_.empty())
        frame_ = ovFramebuffer(layout_.width(), layout_.height(), Theme::emptyScreenColor);
}

int ovWindowPainter::labelWidth(std::u16string_view text) {
    canvas_.selectFont(fonts_.regular12.get());
    return canvas_.measureText(text);
}

int ovWindowPainter::wrappedHeight(std::u16string_view text, int width) {
    canvas_.selectFont(fonts_.regular12.get());
    // A rectangle without height draws nothing and still tells the wrapped height.
    return canvas_.drawText(text, {0, 0, width, 0}, ovTextCenter | ovTextWordWrap);
}

void ovWindowPainter::drawLabel(std::u16string_view text, const ovRect& r, unsigned format,
                                const ovFont* font, ovColor color) {
    canvas_.selectFont(font);
    canvas_.setTextColor(color);
    canvas_.setBackgroundMode(ovTransparent);
    canvas_.drawText(text, r, format | ovTextVCenter);
}

void ovWindowPainter::drawTopBar(std::u16string_view title, std::u16string_view clock) {
    makeFrame();
    const ovRect& bar = layout_.topBar();
    if (bar.height() <= 0)
        return;
    const int scale = layout_.scale();
    canvas_.fillRect(bar, Theme::barColor);
    canvas_.fillRect({0, bar.bottom - scale, layout_.width(), bar.bottom}, Theme::edgeColor);
    const int pad = 8 * scale;
    const ovRect text{pad, 0, layout_.width() - pad, bar.bottom - scale};
    // A long title (a reminder shown here) is cut before the clock rather than under it.
    canvas_.selectFont(fonts_.regular12.get());
    const ovRect titleRect{text.left, text.top, text.right - canvas_.measureText(clock) - pad, text.bottom};
    drawLabel(title, titleRect, ovTextLeft, fonts_.bold12.get(), Theme::textColor);
    drawLabel(clock, text, ovTextRight, fonts_.regular12.get(), Theme::dimTextColor);
}

void ovWindowPainter::drawScreen(const ovFramebuffer* back) {
    makeFrame();
    const ovRect& area = layout_.screenArea();
    const bool fills = back != nullptr && back->width() >= area.width() && back->height() >= area.height();
    if (!fills)
        canvas_.fillRect(area, Theme::emptyScreenColor);
    if (back != nullptr)
        canvas_.copyFrom(*back, area.left, area.top);
}

void ovWindowPainter::drawBottomBar(std::span<const ovSoftKey> keys, int pressedKey, int openKey) {
    makeFrame();
    const ovRect& bar = layout_.bottomBar();
    if (bar.height() <= 0)
        return;
    const int scale = layout_.scale();
    const int count = static_cast<int>(keys.size());
    canvas_.fillRect(bar, Theme::barColor);
    for (int i = 0; i < count; ++i) {
        const ovRect r = layout_.softKeyRect(i, count);
        if (pressedKey == i)
            canvas_.fillRect(r, Theme::keyPressedColor);
        else if (openKey == i)
            canvas_.fillRect(r, Theme::keyActiveColor);
        if (i > 0) {
            const int quarter = r.height() / 4;
            canvas_.fillRect({r.left, r.top + quarter, r.left + scale, r.bottom - quarter}, Theme::edgeColor);
        }
        const ovColor color = keys[i].enabled ? Theme::textColor : Theme::dimTextColor;
        drawLabel(ovLoadString(keys[i].stringId), r, ovTextCenter, fonts_.bold12.get(), color);
    }
    canvas_.fillRect({0, bar.top, layout_.width(), bar.top + scale}, Theme::edgeColor);
}

void ovWindowPainter::drawMenu(std::span<const ovMenuItem> items, int pressedItem) {
    makeFrame();
    const ovRect& menu = layout_.menuRect();
    const int scale = layout_.scale();
    canvas_.fillRect(menu, Theme::menuBorderColor);
    const int border = scale;
    canvas_.fillRect({menu.left + border, menu.top + border, menu.right - border, menu.bottom - border},
                     Theme::menuColor);
    const int pad = layout_.menuPad();
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
        const ovRect r = layout_.menuItemRect(i);
        if (pressedItem == i)
            canvas_.fillRect(r, Theme::accentColor);
        else if (i > 0)
            canvas_.fillRect({r.left + pad / 2, r.top, r.right - pad / 2, r.top + scale},
                             Theme::menuSeparatorColor);
        drawLabel(items[i].text, {r.left + pad, r.top, r.right - pad, r.bottom}, ovTextLeft,
                  fonts_.regular12.get(), Theme::textColor);
    }
}

void ovWindowPainter::drawAbout(std::u16string_view title, std::u16string_view text, bool okPressed) {
    makeFrame();
    const int scale = layout_.scale();
    const ovRect& box = layout_.aboutRect();
    const ovRect& titleStrip = layout_.aboutTitleRect();
    const ovRect& ok = layout_.aboutOkRect();
    canvas_.dim({0, 0, layout_.width(), layout_.height()}, Theme::dimShare);
    const int radius = 6 * scale;
    // The border is the box one pixel larger, drawn first.
    canvas_.fillRoundRect({box.left - scale, box.top - scale, box.right + scale, box.bottom + scale},
                          radius + scale, Theme::menuBorderColor);
    canvas_.fillRoundRect(box, radius, Theme::boxColor);
    // The title strip: rounded at the top only.
    canvas_.fillRoundRect(titleStrip, radius, Theme::boxTitleColor);
    canvas_.fillRect({titleStrip.left, titleStrip.bottom - radius, titleStrip.right, titleStrip.bottom},
                     Theme::boxTitleColor);
    canvas_.fillRect({titleStrip.left, titleStrip.bottom - scale, titleStrip.right, titleStrip.bottom},
                     Theme::edgeColor);

    const int pad = 12 * scale;
    drawLabel(title, {titleStrip.left + pad, titleStrip.top, ok.left, titleStrip.bottom}, ovTextLeft,
              fonts_.bold12.get(), Theme::textColor);
    canvas_.fillRoundRect(ok, 4 * scale, okPressed ? Theme::accentPressedColor : Theme::accentColor);
    drawLabel(u"OK", ok, ovTextCenter, fonts_.bold12.get(), Theme::textColor);

    canvas_.selectFont(fonts_.regular12.get());
    canvas_.setTextColor(Theme::textColor);
    canvas_.setBackgroundMode(ovTransparent);
    canvas_.drawText(text, layout_.aboutBodyRect(), ovTextCenter | ovTextWordWrap);
}
