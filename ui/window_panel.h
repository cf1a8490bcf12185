// The window's calculator panel: each field is the window's text box of the
// same name, read and written directly.
#pragma once

#include <array>

#include "core/calc_panel.h"

class QLineEdit;
class QPlainTextEdit;

namespace kestrova {

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
