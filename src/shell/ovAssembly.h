#pragma once
// What the program is made of: its modules in creation order and the builder of the
// node tree below the root. The application object runs them in its construction in
// the fixed sequence (create, list and init each module; start them all; build the
// tree); src/program says what they are, so the shell never names a screen, and a test
// can assemble a small program of its own.
#include <functional>
#include <memory>
#include <string>
#include <vector>

class ovApp;
class ovModule;

struct ovAssembly {
    using ModuleFactory = std::function<std::unique_ptr<ovModule>(ovApp&)>;
    using TreeBuilder = std::function<void(ovApp&)>;
    // Given the screen rectangle's size at the first paint, names the folder of pictures
    // drawn for it, or gives "" when there are none, and what draws a picture not there
    // yet; the bitmap store then looks there before the shipped pictures.
    // afterFirstFrame: called once the first frame is drawn (to draw the rest beside it).
    struct DisplayPictures {
        std::string folder;
        std::function<bool(const std::string& fileName)> draw;
        std::function<void()> afterFirstFrame;
    };
    using PictureSource = std::function<DisplayPictures(int width, int height)>;

    std::vector<ModuleFactory> modules;
    TreeBuilder buildTree;
    PictureSource displayPictures;
};
