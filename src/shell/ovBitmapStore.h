#pragma once
// Every picture the program loads, decoded once and kept for the whole run, and the
// one blit that draws a picture into a rectangle. A big picture (a screen's background
// or board), and any true colour picture of the plain form our own pictures are written
// in, is only checked when it is loaded, and decoded when it is first drawn, so a start
// holds only the pictures of the screens it shows.
#include "base/ovOwningList.h"
#include "base/ovPtrArray.h"
#include "gfx/ovGeometry.h"
#include "shell/ovBitmap.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class ovCanvas;
class ovSystem;

class ovBitmapStore {
public:
    ovBitmapStore() = default;
    ovBitmapStore(const ovBitmapStore&) = delete;
    ovBitmapStore& operator=(const ovBitmapStore&) = delete;

    // Made ready at the first paint.
    void createContext() { contextCreated_ = true; }
    bool contextCreated() const { return contextCreated_; }

    // Loads a picture file (normally a path from imagePath) and keeps it. The picture of
    // the same file name in the folder of pictures drawn for the display comes first when
    // there is one; the named file is the fallback. A picture that cannot be loaded is
    // reported once, by the error box, and comes back empty; a picture decoded later is
    // reported here too, from its headers and length. There are no bitmap resources in
    // this program: fromResource always fails.
    ovBitmap* loadBitmap(ovSystem& instance, const std::string& name, bool fromResource);

    // Puts a picture that is missing from the folder of pictures drawn for the display in
    // it; true once it is there.
    using PictureMaker = std::function<bool(const std::string& fileName)>;
    // The folder of pictures drawn for the display ("" for none), and what draws a picture
    // not there yet, when it is first drawn: until then the shipped picture stands for it,
    // its headers checked as a big picture's are. When it cannot be had, the shipped
    // picture is drawn.
    void setDisplayFolder(std::string folder, PictureMaker maker = {}) {
        displayFolder_ = std::move(folder);
        maker_ = std::move(maker);
    }
    const std::string& displayFolder() const { return displayFolder_; }

    // Draws the whole picture stretched into (left, top) with the rectangle's size
    // times the scale: alpha-blended with the constant opacity for 32-bit pictures,
    // otherwise copied leaving out the pixels of the colour key. A picture not decoded
    // yet is decoded now; one that cannot be after all is reported and draws as nothing.
    void blit(const ovBitmap* picture, ovCanvas& canvas, int left, int top, int right, int bottom,
              ovColor colourKey, uint8_t opacity, float scaleX, float scaleY) const;

    const ovPtrArray<ovBitmap>& pictures() const { return pictures_.items(); }

private:
    // Decodes a picture whose decoding was put off; false, having said why, when it fails.
    bool decode(const ovBitmap& picture) const;
    // A picture missing from the display folder: drawn and loaded now, or, when big,
    // when first drawn. False when neither it nor the shipped one can be had.
    ovResult<> loadNotDrawnYet(const std::string& shipped, const std::string& drawn, ovBitmap& bitmap);

    bool contextCreated_ = false;
    ovSystem* reporter_ = nullptr; // where a failure found while drawing is reported
    std::string displayFolder_;
    PictureMaker maker_;
    // The big pictures of the display folder to be drawn when first needed, by the file
    // they are to be loaded from.
    mutable std::map<const ovBitmap*, std::string> notDrawnYet_;
    ovOwningList<ovBitmap> pictures_;
};

// The blit every screen uses: pure green is transparent, full opacity, no scaling.
constexpr ovColor ovColourKey = 0x00FF00;
