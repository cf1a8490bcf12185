// Text boxes as panel fields. Text crosses as UTF-8.
#include "ui/window_panel.h"

#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <cmath>

#include "core/formulas.h"
#include "core/numeric_text.h"

namespace kestrova {
namespace {

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// WCAG relative luminance of an sRGB colour.
double Luminance(const QColor& colour) {
    const auto linear = [](double c) {
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

}  // namespace

void PaintBackground(QWidget* box, const QColor& background) {
    // Contrast with black is (L + 0.05) / 0.05, with white 1.05 / (L + 0.05):
    // black wins when L + 0.05 is above the square root of 0.0525.
    const bool blackText = Luminance(background) + 0.05 > std::sqrt(1.05 * 0.05);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, background);
    palette.setColor(QPalette::Text, blackText ? QColor(Qt::black) : QColor(Qt::white));
    box->setPalette(palette);
}

WindowPanel::WindowPanel(const std::array<QLineEdit*, kFieldCount>& boxes, QPlainTextEdit* results)
    : boxes_(boxes), results_(results) {}

std::string WindowPanel::Text(Field field) const {
    if (field == Field::Results) return results_->toPlainText().toStdString();
    return boxes_[static_cast<std::size_t>(field)]->text().toStdString();
}

void WindowPanel::SetText(Field field, std::string_view text) {
    if (field == Field::Results) {
        // The box keeps its lines in its own form; CR LF shows as one break.
        QString lines = ToQString(text);
        lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        results_->setPlainText(lines);
        return;
    }
    boxes_[static_cast<std::size_t>(field)]->setText(ToQString(text));
}

Rgb WindowPanel::FoutBackColor() const {
    const QColor colour = boxes_[static_cast<std::size_t>(Field::Fout)]->palette().color(QPalette::Base);
    return Rgb{static_cast<std::uint8_t>(colour.red()), static_cast<std::uint8_t>(colour.green()),
               static_cast<std::uint8_t>(colour.blue())};
}

void WindowPanel::SetFoutBackColor(Rgb colour) {
    QLineEdit* fout = boxes_[static_cast<std::size_t>(Field::Fout)];
    PaintBackground(fout, QColor(colour.red, colour.green, colour.blue));
    // The pink is not only for the eye: a screen reader says it too.
    fout->setAccessibleDescription(
        colour == kPink ? QStringLiteral("The achieved frequency misses the wanted one by more than ") +
                              ToQString(NumberText(formulas::kMismatchTolerance))
                        : QString());
}

}  // namespace kestrova
