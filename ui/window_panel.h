// The window's calculator panel: each field is the window's text box of the
// same name, read and written directly.
#pragma once

#include <array>

#include "core/calc_panel.h"

class QColor;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

namespace kestrova {

// Sets a box's background, and its text to black or white, whichever stands
// out more against it: a background set by the program must stay readable
// whatever the desktop's colours (light text on pink is not).
void PaintBackground(QWidget* box, const QColor& background);

class WindowPanel final : public CalcPanel {
public:
    // The single-line boxes in field order, Results excepted (its slot is
    // unused); Results is the multi-line box.
    WindowPanel(const std::array<QLineEdit*, kFieldCount>& boxes, QPlainTextEdit* results);

    std::string Text(Field field) const override;
    void SetText(Field field, std::string_view text) override;
    Rgb FoutBackColor() const override;
    void SetFoutBackColor(Rgb colour) override;

private:
    std::array<QLineEdit*, kFieldCount> boxes_;
    QPlainTextEdit* results_;
};

}  // namespace kestrova
