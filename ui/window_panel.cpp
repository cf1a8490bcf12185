// Text boxes as panel fields. Text crosses as UTF-8.
#include "ui/window_panel.h"

#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>

namespace kestrova {
namespace {

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

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
    QPalette palette = fout->palette();
    palette.setColor(QPalette::Base, QColor(colour.red, colour.green, colour.blue));
    fout->setPalette(palette);
}

}  // namespace kestrova
