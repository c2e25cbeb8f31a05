#pragma once
// The hyper bar's right plug-in: a small immediate-execution calculator over the
// whole screen. Numbers live as texts; every result is rounded to single precision
// and written back with six decimals. It takes every touch while open and closes
// itself through the close area under its keypad.
#include "base/ovFixedText.h"
#include "home/ovHyperBarPlugin.h"

#include <string_view>

struct ovBitmap;
class ovHyperBar;

struct ovCalcKey {
    int code = 28;
    int kind = 3;
    std::u16string_view caption;
};

class ovCalculatorPlugin final : public ovHyperBarPlugin {
public:
    ovCalculatorPlugin(ovApp& app, ovHyperBar& bar);

    ovBitmap* skin = nullptr;
    ovFixedText<256> operandA;   // "0" at first
    ovFixedText<256> operandB;   // "0" at first
    ovFixedText<256> resultText; // "0" at first
    int entry = 1;               // the operand being typed: 1 A, 2 B
    bool operandAHasPoint = false;
    bool operandBHasPoint = false;
    bool showResult = false;
    int pendingOp = 0; // 0 none, 1 add, 2 subtract, 3 multiply, 4 divide, 5 power
    bool opLatched = false;
    ovFixedText<256> memoryText; // "0" at first

    void tick() override;
    void drawPanel(ovCanvas& dc) override;

    // The key at a screen point; code 28, kind 3 where there is none.
    ovCalcKey findCalcKey(int x, int y) const;
    void evaluate();
    // What a released key does; the touch handling calls it for the key under the finger.
    void pressKey(const ovCalcKey& key);
    // The number the display shows (empty when none).
    std::u16string_view displayNumber() const;
    // The operator sign the display shows at its left (empty for none and for power).
    std::u16string_view displaySign() const;

private:
    ovFixedText<256>* currentOperand();
    void pressOperator(int op);
    void applyFunction(int code);

    ovHyperBar& bar_;
};
