#include "shell/ovFontSet.h"

#include "gfx/ovCanvas.h"
#include "shell/ovErrorBox.h"
#include "system/ovSystem.h"

#include <algorithm>
#include <cstdlib>

ovFontSet* ovFontSet::instance_ = nullptr;

std::string ovFontSet::fontFolder() {
    const char* folder = std::getenv("ORVIDA_FONT_DIR");
    return folder != nullptr && *folder != 0 ? folder : "/usr/share/wine/fonts";
}

ovFontSet::ovFontSet(ovSystem& system) {
    const ovScreenSize screen = system.screenSize();
    scale_ = std::max(1, std::max(screen.width, screen.height) / 320);
    const std::string folder = fontFolder();
    const std::string regularFile = folder + "/tahoma.ttf";
    const std::string boldFile = folder + "/tahomabd.ttf";
    auto open = [&](const std::string& file, int height) {
        ovResult<std::unique_ptr<ovFont>> font = ovFont::open(file, height * scale_);
        if (!font) {
            if (error_.empty())
                error_ = font.reason();
            return std::unique_ptr<ovFont>();
        }
        return font.take();
    };
    regular10 = open(regularFile, 10);
    bold10 = open(boldFile, 10);
    regular12 = open(regularFile, 12);
    bold12 = open(boldFile, 12);
    regular16 = open(regularFile, 16);
    bold16 = open(boldFile, 16);
    regular8 = open(regularFile, 8);
    if (!error_.empty())
        showErrorBox(system,
                     error_ + "\nText will not be drawn; install the Tahoma-compatible fonts (fonts-wine).");
    instance_ = this;
}

ovFontSet::~ovFontSet() {
    if (instance_ == this)
        instance_ = nullptr;
}

void ovFontSet::pushFont(ovCanvas& canvas, const ovFont* font) {
    // Records are kept for reuse, so that drawing a frame does not allocate.
    Record* record = nullptr;
    if (spare_.empty()) {
        record = records_.make();
        if (record == nullptr) // out of memory: the font stays as it was
            return;
    } else {
        record = spare_.at(spare_.count() - 1);
        spare_.removeAt(spare_.count() - 1);
    }
    record->previous = canvas.selectFont(font);
    if (stack_.append(record) != ovS_OK) {
        // Without a record the font could never be put back: undo the selection.
        canvas.selectFont(record->previous);
        (void)spare_.append(record);
    }
}

void ovFontSet::popFont(ovCanvas& canvas) {
    if (stack_.empty())
        return;
    Record* record = stack_.at(stack_.count() - 1);
    canvas.selectFont(record->previous);
    stack_.removeAt(stack_.count() - 1);
    (void)spare_.append(record); // kept by records_ either way
}
