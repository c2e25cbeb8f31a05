#pragma once
// The shared fonts, scaled to the screen, and the stack that lets a screen
// select one and put the previous one back.
#include "base/ovOwningList.h"
#include "base/ovPtrArray.h"
#include "gfx/ovFont.h"

#include <memory>
#include <string>

class ovCanvas;
class ovSystem;

class ovFontSet {
public:
    // Reads the screen size from the system; s = larger dimension / 320.
    explicit ovFontSet(ovSystem& system);
    ~ovFontSet();
    ovFontSet(const ovFontSet&) = delete;
    ovFontSet& operator=(const ovFontSet&) = delete;

    static ovFontSet* instance() { return instance_; }

    std::unique_ptr<ovFont> regular10;
    std::unique_ptr<ovFont> bold10;
    std::unique_ptr<ovFont> regular12;
    std::unique_ptr<ovFont> bold12;
    std::unique_ptr<ovFont> regular16;
    std::unique_ptr<ovFont> bold16;
    // The smallest face, for a text that stands in none of the others: the faces grow
    // with the screen's longer side, so on a tall narrow screen a field may be narrow
    // for them.
    std::unique_ptr<ovFont> regular8;

    // Selects the font and remembers what it replaced.
    void pushFont(ovCanvas& canvas, const ovFont* font);
    // Puts back the font the last pushFont replaced; nothing when the stack is empty.
    void popFont(ovCanvas& canvas);
    int depth() const { return stack_.count(); }

    int scale() const { return scale_; }
    // Why a font could not be loaded, or empty.
    const std::string& error() const { return error_; }

    // Where the Tahoma-compatible faces are looked for: $ORVIDA_FONT_DIR, then the
    // folder Debian's fonts-wine installs them in.
    static std::string fontFolder();

private:
    struct Record {
        const ovFont* previous;
    };
    ovOwningList<Record> records_; // every record made; the two arrays refer to them
    ovPtrArray<Record> stack_;
    ovPtrArray<Record> spare_; // popped records, reused by the next push
    int scale_ = 1;
    std::string error_;
    static ovFontSet* instance_;
};

// Selects a font for the lifetime of the scope.
class ovFontScope {
public:
    ovFontScope(ovFontSet& fonts, ovCanvas& canvas, const ovFont* font) : fonts_(fonts), canvas_(canvas) {
        fonts_.pushFont(canvas_, font);
    }
    ~ovFontScope() { fonts_.popFont(canvas_); }
    ovFontScope(const ovFontScope&) = delete;
    ovFontScope& operator=(const ovFontScope&) = delete;

private:
    ovFontSet& fonts_;
    ovCanvas& canvas_;
};
