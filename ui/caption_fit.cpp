// Fitting a caption to its label. The layout was drawn for MS Sans Serif at
// 8 points; its substitutes (Liberation Sans, with Arial's metrics, or DejaVu
// Sans, which is wider) come out a few pixels wider for some captions, and
// a label cuts what does not fit.
#include "ui/caption_fit.h"

#include <QFontMetricsF>
#include <QLabel>
#include <algorithm>

namespace kestrova {

void FitCaption(QLabel& label) {
    const QString caption = label.text();
    const bool right = (label.alignment() & Qt::AlignRight) != 0;
    if (right) label.setIndent(1);
    const double room = label.width() - 2.0;  // a pixel on either side
    const auto width = [&caption](const QFont& font) {
        const QFontMetricsF metrics(font);
        return std::max(metrics.horizontalAdvance(caption), metrics.boundingRect(caption).width());
    };
    QFont font = label.font();
    if (width(font) <= room) return;
    while (width(font) > room && font.pointSizeF() > 6.0) font.setPointSizeF(font.pointSizeF() - 0.25);
    label.setFont(font);
}

}  // namespace kestrova
