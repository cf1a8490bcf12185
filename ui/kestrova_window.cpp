// The window's layout, in twips converted at the screen's logical
// resolution, and its handlers. Every failure a handler meets is shown to
// the user in one message; nothing is retried or rolled back.
#include "ui/kestrova_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSessionManager>
#include <QTextOption>
#include <QValidator>
#include <cstdio>
#include <utility>
#include <vector>

#include "core/calc_fault.h"
#include "core/calculation.h"
#include "settings/settings_file.h"
#include "ui/caption_fit.h"
#include "ui/window_panel.h"

#include "ui/icons/kestrova_16.xpm"
#include "ui/icons/kestrova_32.xpm"

namespace kestrova {
namespace {

// A box takes only what the settings file can save and load back: the
// file's limit is a line's bytes, the box's own one its characters.
class SavableLine final : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& text, int&) const override {
        if (static_cast<std::size_t>(text.size()) * 3 <= kLongestLine) return Acceptable;  // any UTF-8 fits
        return LineForText(text.toStdString()) ? Acceptable : Invalid;
    }
};

constexpr int kClientWidth = 7185;  // twips
constexpr int kClientHeight = 3030;

// Each caption is the one the field table gives the box it names.
struct LabelSpec {
    const char* name;
    int left, top, width, height;
    Qt::Alignment alignment;
    Field buddy;  // the box the caption names
};

constexpr Qt::Alignment kCentred = Qt::AlignHCenter | Qt::AlignTop;
constexpr Qt::Alignment kRight = Qt::AlignRight | Qt::AlignTop;

constexpr LabelSpec kLabels[] = {
    {"Label5", 90, 105, 855, 255, kCentred, Field::Fl},
    {"Label4", 1050, 105, 855, 255, kCentred, Field::Fh},
    {"Label3", 2010, 105, 1095, 255, kCentred, Field::Fstep},
    {"Label2", 90, 690, 855, 255, kCentred, Field::Fo},
    {"Label9", 1050, 690, 975, 255, kCentred, Field::Fref},
    {"Label8", 2130, 690, 975, 255, kCentred, Field::Fosc},
    {"Label7", 3210, 690, 735, 255, kCentred, Field::DacGain},
    {"Label10", 75, 1440, 1335, 255, kCentred, Field::Fout},
    {"Label12", 4500, 525, 510, 375, kRight, Field::Rt},
    {"Label14", 4485, 900, 525, 375, kRight, Field::St},
    {"Label13", 4500, 1275, 510, 375, kRight, Field::Pt},
    {"Label15", 4470, 1605, 540, 375, kRight, Field::Ct},
    {"Label1", 4455, 1965, 555, 270, kRight, Field::Gt},
};

enum class BoxFont { Default, Bold12, Bold975 };

struct BoxSpec {
    Field field;
    int left, top, width, height;
    BoxFont font;
};

// In tab order. Results sits between Calculate and Rt in the chain, and G's
// box comes before C's.
constexpr BoxSpec kBoxes[] = {
    {Field::Fl, 90, 345, 855, 285, BoxFont::Default},
    {Field::Fh, 1050, 345, 855, 285, BoxFont::Default},
    {Field::Fstep, 2010, 345, 1095, 285, BoxFont::Default},
    {Field::Fo, 90, 930, 855, 285, BoxFont::Default},
    {Field::Fref, 1050, 930, 975, 285, BoxFont::Default},
    {Field::Fosc, 2130, 930, 975, 285, BoxFont::Default},
    {Field::DacGain, 3210, 930, 735, 285, BoxFont::Default},
    {Field::Fout, 75, 1710, 2040, 405, BoxFont::Bold12},
    {Field::Rt, 5055, 480, 1335, 285, BoxFont::Bold975},
    {Field::St, 5055, 840, 1335, 285, BoxFont::Bold975},
    {Field::Pt, 5055, 1200, 1335, 285, BoxFont::Bold975},
    {Field::Gt, 5055, 1920, 1335, 285, BoxFont::Bold975},
    {Field::Ct, 5055, 1560, 1335, 285, BoxFont::Bold975},
};

QString Latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

constexpr int kCalculate[] = {645, 2235, 990, 495};
constexpr int kResults[] = {2190, 1380, 2115, 1185};
constexpr QRgb kResultsGrey = 0x808080;

// "MS Sans Serif" where the machine has it, else the closest sans-serif:
// Liberation Sans has Arial's metrics, near enough to keep the layout.
QFont Sans(double points, QFont::Weight weight) {
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                      QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setWeight(weight);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

// The dialog font the layout was drawn for: MS Sans Serif at 8 points. The
// desktop's own default is usually larger and would not fit the captions.
QFont DialogFont() {
    return Sans(8, QFont::Normal);
}
QFont BoldSans(double points) {
    return Sans(points, QFont::Bold);
}

}  // namespace

Kestrova::Kestrova(Reporter report) : report_(report ? std::move(report) : Reporter(&ShowMessageBox)) {
    Build();
    Form_Load();
}

Kestrova::~Kestrova() = default;

CalcPanel& Kestrova::Panel() {
    return *panel_;
}

void Kestrova::ShowMessageBox(QWidget* window, const QString& message) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Kestrova"), message, QMessageBox::Ok, window);
    box.exec();
}

void Kestrova::Build() {
    setObjectName(QStringLiteral("Kestrova"));
    setWindowTitle(QStringLiteral("Kestrova Oscillator Calculations"));
    setFont(DialogFont());
    QIcon icon;
    icon.addPixmap(QPixmap(kestrova_32));
    icon.addPixmap(QPixmap(kestrova_16));
    setWindowIcon(icon);

    // Twips to pixels at the screen's logical resolution.
    const int dpiX = logicalDpiX();
    const int dpiY = logicalDpiY();
    const auto x = [dpiX](int twips) { return qRound(twips * dpiX / 1440.0); };
    const auto y = [dpiY](int twips) { return qRound(twips * dpiY / 1440.0); };
    const auto place = [&x, &y](QWidget* widget, int left, int top, int width, int height) {
        widget->setGeometry(x(left), y(top), x(width), y(height));
    };
    setFixedSize(x(kClientWidth), y(kClientHeight));

    std::vector<std::pair<QLabel*, Field>> captions;
    for (const LabelSpec& spec : kLabels) {
        auto* label = new QLabel(Latin1(Info(spec.buddy).caption), this);
        label->setObjectName(QString::fromLatin1(spec.name));
        label->setAlignment(spec.alignment);
        place(label, spec.left, spec.top, spec.width, spec.height);
        FitCaption(*label);
        captions.emplace_back(label, spec.buddy);
    }

    QWidget* previous = nullptr;
    const auto chain = [&previous](QWidget* widget) {
        if (previous != nullptr) QWidget::setTabOrder(previous, widget);
        previous = widget;
    };
    for (const BoxSpec& spec : kBoxes) {
        auto* box = new QLineEdit(this);
        box->setObjectName(Latin1(FieldName(spec.field)));
        box->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        box->setAccessibleName(Latin1(Info(spec.field).spoken));
        // As long as the longest line the settings file holds, so a loaded
        // value always fits whole, while a paste of megabytes is cut there
        // instead of freezing the window; and no longer than a line can save.
        box->setMaxLength(static_cast<int>(kLongestLine));
        box->setValidator(new SavableLine(box));
        if (spec.font == BoxFont::Bold12) box->setFont(BoldSans(12));
        if (spec.font == BoxFont::Bold975) box->setFont(BoldSans(9.75));
        place(box, spec.left, spec.top, spec.width, spec.height);
        boxes_[static_cast<std::size_t>(spec.field)] = box;
        chain(box);
        if (spec.field == Field::Fout) {
            calculate_ = new QPushButton(QStringLiteral("Calculate"), this);
            calculate_->setObjectName(QStringLiteral("Calculate"));
            // Enter presses the button while it has the focus; outside a
            // dialog this makes no default button, so Enter in a box does nothing.
            calculate_->setAutoDefault(true);
            place(calculate_, kCalculate[0], kCalculate[1], kCalculate[2], kCalculate[3]);
            connect(calculate_, &QPushButton::clicked, this, [this] { Calculate_Click(); });
            chain(calculate_);

            results_ = new QPlainTextEdit(this);
            results_->setObjectName(QStringLiteral("Results"));
            results_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            results_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            results_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
            results_->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
            results_->setTabChangesFocus(true);
            results_->setAccessibleName(Latin1(Info(Field::Results).spoken));
            PaintBackground(results_, QColor(kResultsGrey));
            place(results_, kResults[0], kResults[1], kResults[2], kResults[3]);
            chain(results_);
        }
    }
    // A caption tells assistive technology which box it names; labels still
    // take no focus.
    for (const auto& [label, field] : captions) label->setBuddy(boxes_[static_cast<std::size_t>(field)]);
    panel_ = std::make_unique<WindowPanel>(boxes_, results_);
    boxes_[static_cast<std::size_t>(Field::Fl)]->setFocus();

    // The end of the desktop session closes the window as its close button
    // does; quitting any other way still saves, once.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { CloseUnattended(); });
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { Form_Unload(); });
}

void Kestrova::Form_Load() {
    try {
        ReadIni(*panel_);
    } catch (const FileFault& fault) {
        report_(this, QStringLiteral("The settings could not be loaded.\n%1")
                          .arg(QString::fromLocal8Bit(fault.what())));
    }
}

void Kestrova::Calculate_Click() {
    try {
        CalculateRegisters(*panel_);
    } catch (const CalcFault& fault) {
        // The core's words: the formula that stopped and what its fields read as.
        report_(this,
                fault.Stopped().empty()
                    ? QStringLiteral("The calculation stopped: %1.").arg(QString::fromLatin1(fault.what()))
                    : QString::fromUtf8(fault.what()));
    } catch (const std::exception& failure) {
        report_(this,
                QStringLiteral("The calculation stopped: %1.").arg(QString::fromLocal8Bit(failure.what())));
    }
}

void Kestrova::Form_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    try {
        WriteIni(*panel_);
    } catch (const FileFault& fault) {
        saveFailed_ = true;
        if (unattended_) {
            std::fprintf(stderr, "kestrova: the settings could not be saved: %s\n", fault.what());
            return;
        }
        report_(
            this,
            QStringLiteral("The settings could not be saved.\n%1").arg(QString::fromLocal8Bit(fault.what())));
    }
}

void Kestrova::CloseUnattended() {
    unattended_ = true;
    if (QWidget* modal = QApplication::activeModalWidget(); modal != nullptr && modal != this) {
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
    }
    close();
    Form_Unload();  // close() sends no close event to a window not yet shown
}

void Kestrova::SaveAfterLostDisplay() {
    const std::lock_guard lock(lostDisplay_);
    if (unloaded_) return;
    unattended_ = true;
    Form_Unload();
    if (!saveFailed_) std::fputs("kestrova: the display was lost; the inputs were saved\n", stderr);
}

void Kestrova::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

}  // namespace kestrova
