// The confirmation screen's background: a calm gradient, a round badge above the text
// and a plate under the rectangle the text is written into.
#include "ovInfoDisplayPictures.h"

#include "ovPickerPictureStyle.h"
#include "ovPictureLabel.h"
#include "pickers/ovInfoDisplayLayout.h"
#include "shell/ovScreenGeometry.h"

#include <cmath>
#include <cstdio>

int ovMakeInfoDisplayPictures(const std::string& imagesFolder) {
    using namespace ovPickerStyle;
    using namespace ovInfoDisplayLayout;
    std::string error;
    std::unique_ptr<ovFont> font = ovOpenPictureFont(true, 64, error);
    if (!font) {
        std::fprintf(stderr, "ov_picturegen: confirmation badge: %s\n", error.c_str());
        return 1;
    }
    ovPictureCanvas c(designWidth, designHeight);
    c.verticalGradient(ovHex(0x1E2935), ovHex(0x0D1218));

    // The badge: a ring with an "i", centred between the top and the text.
    const float cx = designWidth * 0.5f;
    const float cy = designHeight * 0.25f;
    const float radius = designHeight * 0.1f;
    c.roundedRect(cx - radius, cy - radius, cx + radius, cy + radius, radius, ovHex(0x5A92CC));
    c.roundedRect(cx - radius + 5, cy - radius + 5, cx + radius - 5, cy + radius - 5, radius - 5,
                  ovHex(0x223040));
    ovDrawLabel(c, *font, u"i", cx, cy, label);

    // The text's rectangle, with some room around it on the plate.
    const float left = static_cast<float>(ovFracOf(designWidth, textLeft));
    const float top = static_cast<float>(ovFracOf(designHeight, textTop));
    const float right = static_cast<float>(ovFracOf(designWidth, textRight));
    const float bottom = static_cast<float>(ovFracOf(designHeight, textBottom));
    c.roundedRect(left - 4, top - 14, right + 4, bottom + 10, 14.0f, ovHex(0x2A394A, 0.75f));

    const ovResult<> why = c.write24(imagesFolder + "/infoDisplay.bmp");
    if (!why) {
        std::fprintf(stderr, "ov_picturegen: %s\n", why.reason().c_str());
        return 1;
    }
    return 0;
}
