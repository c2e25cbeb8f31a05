#include "home/ovCalculatorPlugin.h"

#include "gfx/ovCanvas.h"
#include "home/ovCalculatorLayout.h"
#include "home/ovHyperBar.h"
#include "home/ovHyperBarLayout.h"
#include "home/ovTextField.h"
#include "shell/ovApp.h"
#include "shell/ovFontSet.h"
#include "shell/ovScreenGeometry.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>

namespace {
using Text = ovFixedText<256>;
namespace L = ovCalculatorLayout;

ovRect toPixels(const L::Area& a) {
    return {fracWidth(a.left), fracHeight(a.top), fracWidth(a.right), fracHeight(a.bottom)};
}

// The longest number at the start of the text, as the C library reads it; an empty
// text or one without a number reads as 0.
double parse(const Text& text) {
    char ascii[256];
    size_t n = 0;
    for (char16_t c : text.view()) {
        if (c > 0x7F)
            break;
        ascii[n++] = static_cast<char>(c);
    }
    ascii[n] = '\0';
    return std::strtod(ascii, nullptr);
}

// Every result goes through single precision and comes back with six decimals.
void write(double r, Text& text) {
    char ascii[400];
    const int n = std::snprintf(ascii, sizeof ascii, "%f", static_cast<double>(static_cast<float>(r)));
    char16_t wide[256];
    size_t length = 0;
    for (int i = 0; i < n && length < Text::capacity; ++i)
        wide[length++] = static_cast<char16_t>(ascii[i]);
    text.assign({wide, length});
}

// Keys that would make an operand longer than its field are ignored.
bool appendFits(const Text& text, std::u16string_view more) {
    return text.length() + more.size() <= Text::capacity;
}
} // namespace

ovCalculatorPlugin::ovCalculatorPlugin(ovApp& app, ovHyperBar& bar) : ovHyperBarPlugin(app), bar_(bar) {
    ovSetField(name, u"Calculator");
    for (Text* text : {&operandA, &operandB, &resultText, &memoryText})
        ovSetField(*text, u"0");
    setPanelHeight(ovHyperBarLayout::calculatorPanelHeight);
    modal = true;
}

ovCalcKey ovCalculatorPlugin::findCalcKey(int x, int y) const {
    const ovPoint point{x, y};
    for (const L::DigitRow& row : L::digitRows) {
        const ovRect r = toPixels(row.area);
        const int column = columnAt(r.left, r.top, r.right, r.bottom, L::rowColumns, point);
        if (column >= 0 && column < L::rowColumns)
            return {row.codes[column], L::digitKind, row.captions[column]};
    }
    for (const L::Key& key : L::keys) {
        const ovRect r = toPixels(key.area);
        if (pointInRect(point, r.left, r.top, r.right, r.bottom))
            return {key.code, L::functionKind, key.caption};
    }
    return {L::noKey, L::noKind, u""};
}

ovFixedText<256>* ovCalculatorPlugin::currentOperand() {
    if (entry == 1)
        return &operandA;
    if (entry == 2)
        return &operandB;
    return nullptr;
}

void ovCalculatorPlugin::evaluate() {
    const double a = parse(operandA);
    const double b = parse(operandB);
    const float fa = static_cast<float>(a);
    const float fb = static_cast<float>(b);
    double result = 0.0;
    switch (pendingOp) {
    case 1:
        result = fa + fb;
        break;
    case 2:
        result = fa - fb;
        break;
    case 3:
        result = fa * fb;
        break;
    case 4:
        result = fa / fb;
        break;
    case 5:
        result = std::pow(static_cast<double>(fa), static_cast<double>(fb));
        break;
    default:
        return;
    }
    write(result, operandA);
}

void ovCalculatorPlugin::tick() {
    const ovTouchState& touch = app_.touch;
    if (touch.phase != ovPhaseReleased)
        return;
    const ovRect close = toPixels(L::closeArea);
    if (pointInRect({touch.x, touch.y}, close.left, close.top, close.right, close.bottom))
        bar_.closePlugin();
    const ovCalcKey key = findCalcKey(touch.x, touch.y);
    if (key.kind == L::noKind)
        return;
    pressKey(key);
}

void ovCalculatorPlugin::pressKey(const ovCalcKey& key) {
    Text* operand = currentOperand();
    if (key.kind == L::digitKind) {
        showResult = false;
        opLatched = false;
        if (operand == nullptr)
            return;
        if (operand->view() == u"0")
            ovSetField(*operand, key.caption);
        else if (appendFits(*operand, key.caption))
            ovAppendField(*operand, key.caption);
        app_.needsRepaint = true;
        return;
    }

    switch (key.code) {
    case L::point:
        if (entry == 1 && !operandAHasPoint && appendFits(operandA, u".")) {
            ovAppendField(operandA, u".");
            operandAHasPoint = true;
        } else if (entry == 2 && !operandBHasPoint && appendFits(operandB, u".")) {
            ovAppendField(operandB, u".");
            operandBHasPoint = true;
        }
        break;
    case L::backspace:
        opLatched = false;
        if (operand != nullptr && !operand->empty()) {
            const std::u16string_view text = operand->view();
            if (text.back() == u'.')
                (entry == 1 ? operandAHasPoint : operandBHasPoint) = false;
            ovSetField(*operand, text.substr(0, text.size() - 1));
        }
        break;
    case L::subtract:
        pressOperator(2);
        break;
    case L::add:
        pressOperator(1);
        break;
    case L::multiply:
        pressOperator(3);
        break;
    case L::divide:
        pressOperator(4);
        break;
    case L::power:
        pressOperator(5);
        break;
    case L::equals:
        if (entry == 2) {
            evaluate();
            pendingOp = 0;
            ovSetField(resultText, operandA.view());
            ovSetField(operandB, u"0");
            entry = 1;
            showResult = true;
            operandBHasPoint = false;
        }
        break;
    case L::sine:
    case L::cosine:
    case L::changeSign:
    case L::reciprocal:
    case L::squareRoot:
        applyFunction(key.code);
        break;
    case L::allClear:
        ovSetField(operandA, u"0");
        ovSetField(operandB, u"0");
        ovSetField(resultText, u"0");
        showResult = false;
        opLatched = false;
        operandAHasPoint = false;
        operandBHasPoint = false;
        pendingOp = 0;
        entry = 1;
        break;
    case L::memoryAdd: {
        // Adds what the display shows.
        const Text* shown = showResult ? &operandA : operand;
        if (shown != nullptr)
            write(parse(memoryText) + parse(*shown), memoryText);
        break;
    }
    case L::memoryRecall:
        showResult = false;
        if (operand != nullptr)
            ovSetField(*operand, memoryText.view());
        break;
    case L::memoryClear:
        ovSetField(memoryText, u"0");
        showResult = false;
        break;
    default:
        return;
    }
    app_.needsRepaint = true;
}

void ovCalculatorPlugin::pressOperator(int op) {
    if (entry == 1) {
        entry = 2;
        pendingOp = op;
        opLatched = true;
    } else if (entry == 2) {
        // Left to right, without precedence: the waiting operator runs first.
        if (!opLatched)
            evaluate();
        pendingOp = op;
        ovSetField(resultText, operandA.view());
        showResult = true;
        ovSetField(operandB, u"0");
        operandBHasPoint = false;
        opLatched = true;
    } else {
        opLatched = true;
    }
}

void ovCalculatorPlugin::applyFunction(int code) {
    showResult = false;
    Text* operand = currentOperand();
    if (operand == nullptr)
        return;
    const double x = parse(*operand);
    constexpr double degree = 1.0 / 180.0;
    double r = 0.0;
    switch (code) {
    case L::sine:
        r = std::sin((x * std::numbers::pi) * degree);
        break;
    case L::cosine:
        r = std::cos((x * std::numbers::pi) * degree);
        break;
    case L::changeSign:
        r = x * -1.0;
        break;
    case L::reciprocal:
        r = 1.0 / x;
        break;
    default:
        r = std::sqrt(x);
        break;
    }
    write(r, *operand);
}

std::u16string_view ovCalculatorPlugin::displayNumber() const {
    if (showResult)
        return resultText.view();
    if (entry == 1)
        return operandA.view();
    if (entry == 2)
        return operandB.view();
    return {};
}

std::u16string_view ovCalculatorPlugin::displaySign() const {
    switch (pendingOp) {
    case 1:
        return u"+";
    case 2:
        return u"-";
    case 3:
        return u"*";
    case 4:
        return u"/";
    default:
        return {};
    }
}

void ovCalculatorPlugin::drawPanel(ovCanvas& dc) {
    ovFontSet* fonts = ovFontSet::instance();
    if (fonts != nullptr)
        fonts->pushFont(dc, fonts->bold12.get());
    if (!picturesLoaded && mayTryLoading()) {
        picturesLoaded = loadPicture(skin, "calculator.bmp");
        if (!picturesLoaded)
            noteLoadFailed();
    }
    if (picturesLoaded) {
        const ovRect& s = app_.screenRect;
        app_.bitmaps.blit(skin, dc, s.left, s.top, s.right, s.bottom, ovColourKey, 255, 1.0f, 1.0f);
        const ovRect display = toPixels(L::display);
        const ovRect shadow{display.left + 1, display.top + 1, display.right, display.bottom};
        const std::u16string_view sign = displaySign();
        const std::u16string_view number = displayNumber();
        const ovColor colours[2] = {0x505050, 0xFFFFFF};
        const ovRect* rects[2] = {&shadow, &display};
        for (int pass = 0; pass < 2; ++pass) {
            dc.setTextColor(colours[pass]);
            if (!sign.empty())
                dc.drawText(sign, *rects[pass], ovTextVCenter | ovTextWordWrap);
            if (!number.empty())
                dc.drawText(number, *rects[pass], ovTextRight | ovTextVCenter | ovTextWordWrap);
        }
    }
    if (fonts != nullptr)
        fonts->popFont(dc);
}
