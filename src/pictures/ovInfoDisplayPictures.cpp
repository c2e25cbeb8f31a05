// The confirmation screen's background: a calm gradient, a round badge above the text
// and a plate under the rectangle the text is written into.
#include "ovInfoDisplayPictures.h"

#include "ovPickerPictureStyle.h"
#include "ovPictureLabel.h"
#include "pickers/ovInfoDisplayLayout.h"
#include "shell/ovScreenGeometry.h"

#include <cmath>
#include <cstdio>

int ovMakeInfoDisplayPictures(const std::string& imagesFolder, const ovPictureSize& s) {
    using namespace ovPickerStyle;
    using namespace ovInfoDisplayLayout;
    std::string error;
    std::unique_ptr<ovFont> font = ovOpenPictureFont(true, s.em(64), error);
    if (!font) {
        std::fprintf(stderr, "ov_picturegen: confirmation badge: %s\n", error.c_str());
        return 1;
    }
    ovPictureCanvas c(s.width, s.height);
    c.verticalGradient(ovHex(0x1E2935), ovHex(0x0D1218));

    // The badge: a ring with an "i", centred between the top and the text.
    const float cx = s.width * 0.5f;
    const float cy = s.height * 0.25f;
    const float radius = s.d(ovPictureSize::lookHeight * 0.1f);
    const float ring = s.d(5);
    c.roundedRect(cx - radius, cy - radius, cx + radius, cy + radius, radius, ovHex(0x5A92CC));
    c.roundedRect(cx - radius + ring, cy - radius + ring, cx + radius - ring, cy + radius - ring,
                  radius - ring, ovHex(0x223040));
    ovDrawLabel(c, *font, u"i", cx, cy, label);

    // The text's rectangle, with some room around it on the plate.
    const float left = static_cast<float>(ovFracOf(s.width, textLeft));
    const float top = static_cast<float>(ovFracOf(s.height, textTop));
    const float right = static_cast<float>(ovFracOf(s.width, textRight));
    const float bottom = static_cast<float>(ovFracOf(s.height, textBottom));
    c.roundedRect(left - s.d(4), top - s.d(14), right + s.d(4), bottom + s.d(10), s.d(14.0f),
                  ovHex(0x2A394A, 0.75f));

    const ovResult<> why = c.write24(imagesFolder + "/infoDisplay.bmp");
    if (!why) {
        std::fprintf(stderr, "ov_picturegen: %s\n", why.reason().c_str());
        return 1;
    }
    return 0;
}
