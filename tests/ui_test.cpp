// The window through its real widgets on Qt's offscreen platform: layout,
// keyboard behaviour, the worked example typed in, faults reported, and the
// settings file loaded at start and saved at close.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "plan/channel/channel.h"
#include "tests/support/scratch_directory.h"
#include "ui/caption_fit.h"
#include "ui/kestrova_window.h"

namespace kestrova {
namespace {

namespace fs = std::filesystem;

constexpr const char* kExampleFile = "900\r\n1000\r\n0.5\r\n700\r\n10\r\n950\r\n2\r\n900.2\r\n";

class Window : public testing::Test {
protected:
    void TearDown() override { window_.reset(); }

    Kestrova& Open() {
        window_ = std::make_unique<Kestrova>(
            [this](QWidget*, const QString& message) { reports_.push_back(message); });
        return *window_;
    }
    Kestrova& OpenAndShow() {
        Kestrova& window = Open();
        window.show();
        QApplication::setActiveWindow(&window);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        return window;
    }
    QLineEdit* Box(const char* name) const {
        return window_->findChild<QLineEdit*>(QString::fromLatin1(name));
    }
    QPlainTextEdit* Results() const { return window_->findChild<QPlainTextEdit*>(QStringLiteral("Results")); }
    QPushButton* Calculate() const { return window_->findChild<QPushButton*>(QStringLiteral("Calculate")); }
    QString FocusName() const {
        QWidget* focus = QApplication::focusWidget();
        return focus == nullptr ? QStringLiteral("(none)") : focus->objectName();
    }

    static void Put(const std::string& bytes) { std::ofstream("Kestrova.INI", std::ios::binary) << bytes; }
    static std::string Saved() {
        std::ifstream in("Kestrova.INI", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    void TypeInto(const char* name, const QString& text) {
        QLineEdit* box = Box(name);
        box->setFocus();
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, text);
    }

    testing_support::ScratchDirectory scratch_;
    std::unique_ptr<Kestrova> window_;
    std::vector<QString> reports_;
};

struct Place {
    const char* name;
    int left, top, width, height;  // twips
};

TEST_F(Window, EveryControlAtItsPlaceAt96Dpi) {
    Kestrova& window = Open();
    ASSERT_EQ(window.logicalDpiX(), 96);
    ASSERT_EQ(window.logicalDpiY(), 96);
    EXPECT_EQ(window.size(), QSize(479, 202));
    EXPECT_EQ(window.minimumSize(), window.maximumSize()) << "fixed size";
    const Place places[] = {
        {"Label5", 90, 105, 855, 255},      {"Label4", 1050, 105, 855, 255},
        {"Label3", 2010, 105, 1095, 255},   {"Fl", 90, 345, 855, 285},
        {"Fh", 1050, 345, 855, 285},        {"Fstep", 2010, 345, 1095, 285},
        {"Label2", 90, 690, 855, 255},      {"Label9", 1050, 690, 975, 255},
        {"Label8", 2130, 690, 975, 255},    {"Label7", 3210, 690, 735, 255},
        {"Fo", 90, 930, 855, 285},          {"Fref", 1050, 930, 975, 285},
        {"Fosc", 2130, 930, 975, 285},      {"DacGain", 3210, 930, 735, 285},
        {"Label10", 75, 1440, 1335, 255},   {"Fout", 75, 1710, 2040, 405},
        {"Calculate", 645, 2235, 990, 495}, {"Results", 2190, 1380, 2115, 1185},
        {"Label12", 4500, 525, 510, 375},   {"Rt", 5055, 480, 1335, 285},
        {"Label14", 4485, 900, 525, 375},   {"St", 5055, 840, 1335, 285},
        {"Label13", 4500, 1275, 510, 375},  {"Pt", 5055, 1200, 1335, 285},
        {"Label15", 4470, 1605, 540, 375},  {"Ct", 5055, 1560, 1335, 285},
        {"Label1", 4455, 1965, 555, 270},   {"Gt", 5055, 1920, 1335, 285},
    };
    for (const Place& p : places) {
        const QWidget* widget = window.findChild<QWidget*>(QString::fromLatin1(p.name));
        ASSERT_NE(widget, nullptr) << p.name;
        EXPECT_EQ(widget->geometry(), QRect(p.left / 15, p.top / 15, p.width / 15, p.height / 15)) << p.name;
    }
    EXPECT_EQ(window.findChildren<QLineEdit*>().size(), 13);
    EXPECT_EQ(window.findChildren<QLabel*>().size(), 13);
}

TEST_F(Window, CaptionsAlignmentAndFocus) {
    Kestrova& window = Open();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Kestrova Oscillator Calculations"));
    EXPECT_EQ(window.objectName(), QStringLiteral("Kestrova"));
    EXPECT_EQ(Calculate()->text(), QStringLiteral("Calculate"));
    struct Caption {
        const char* label;
        const char* text;
        Qt::Alignment horizontal;
    };
    for (const Caption& c :
         {Caption{"Label5", "FL", Qt::AlignHCenter}, Caption{"Label4", "FH", Qt::AlignHCenter},
          Caption{"Label3", "Step", Qt::AlignHCenter}, Caption{"Label2", "F0", Qt::AlignHCenter},
          Caption{"Label9", "Fref", Qt::AlignHCenter}, Caption{"Label8", "Fosc", Qt::AlignHCenter},
          Caption{"Label7", "DAC Gain", Qt::AlignHCenter},
          Caption{"Label10", "Wanted Fout", Qt::AlignHCenter}, Caption{"Label12", "R  0x", Qt::AlignRight},
          Caption{"Label14", "S  0x", Qt::AlignRight}, Caption{"Label13", "P  0x", Qt::AlignRight},
          Caption{"Label15", "C  0x", Qt::AlignRight}, Caption{"Label1", "G  0x", Qt::AlignRight}}) {
        const QLabel* label = window.findChild<QLabel*>(QString::fromLatin1(c.label));
        ASSERT_NE(label, nullptr) << c.label;
        EXPECT_EQ(label->text(), QString::fromLatin1(c.text));
        EXPECT_EQ(label->alignment() & Qt::AlignHorizontal_Mask, c.horizontal) << c.label;
        EXPECT_EQ(label->focusPolicy(), Qt::NoFocus) << c.label;
    }
    for (const QLineEdit* box : window.findChildren<QLineEdit*>()) {
        EXPECT_EQ(box->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft)
            << box->objectName().toStdString();
        EXPECT_FALSE(box->isReadOnly());
        EXPECT_EQ(box->maxLength(), 65536) << "the longest settings line";
    }
}

TEST_F(Window, FontsAndTheGreyResults) {
    Kestrova& window = Open();
    struct FontCase {
        const char* box;
        double points;
        bool bold;
    };
    for (const FontCase& c :
         {FontCase{"Fout", 12, true}, FontCase{"Rt", 9.75, true}, FontCase{"St", 9.75, true},
          FontCase{"Pt", 9.75, true}, FontCase{"Ct", 9.75, true}, FontCase{"Gt", 9.75, true},
          FontCase{"Fl", 8, false}, FontCase{"DacGain", 8, false}}) {
        const QFont font = Box(c.box)->font();
        EXPECT_EQ(font.families().value(0), QStringLiteral("MS Sans Serif")) << c.box;
        EXPECT_DOUBLE_EQ(font.pointSizeF(), c.points) << c.box;
        EXPECT_EQ(font.weight(), c.bold ? QFont::Bold : QFont::Normal) << c.box;
        EXPECT_FALSE(font.italic() || font.underline() || font.strikeOut()) << c.box;
        EXPECT_FALSE(QFontInfo(font).family().isEmpty());
    }
    const QPlainTextEdit* results = Results();
    EXPECT_EQ(results->palette().color(QPalette::Base), QColor(128, 128, 128));
    EXPECT_EQ(results->palette().color(QPalette::Text), window.palette().color(QPalette::Text));
    EXPECT_EQ(results->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(results->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(results->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_FALSE(results->isReadOnly());
    EXPECT_EQ(results->font().pointSizeF(), 8);
}

// WCAG contrast ratio of two colours.
double Contrast(const QColor& a, const QColor& b) {
    const auto luminance = [](const QColor& c) {
        const auto linear = [](double v) {
            return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double la = luminance(a) + 0.05, lb = luminance(b) + 0.05;
    return la > lb ? la / lb : lb / la;
}

// Under a dark desktop palette every box and caption paints its text at 4.5:1
// or better, Fout pink and white included; under the light one Fout's text
// stays the palette's black.
TEST_F(Window, TextStaysReadableUnderADarkPalette) {
    const QPalette light = QApplication::palette();
    QPalette dark;
    for (const auto& [role, colour] : {std::pair{QPalette::Window, QColor(0x2b, 0x2b, 0x2b)},
                                       {QPalette::WindowText, QColor(0xf0, 0xf0, 0xf0)},
                                       {QPalette::Base, QColor(0x1e, 0x1e, 0x1e)},
                                       {QPalette::Text, QColor(0xff, 0xff, 0xff)},
                                       {QPalette::Button, QColor(0x3c, 0x3c, 0x3c)},
                                       {QPalette::ButtonText, QColor(0xff, 0xff, 0xff)}})
        dark.setColor(role, colour);
    QApplication::setPalette(dark);
    Put(kExampleFile);
    Kestrova& window = Open();
    window.show();
    const auto check = [&](const char* when) {
        for (const QLabel* label : window.findChildren<QLabel*>())
            EXPECT_GE(Contrast(label->palette().color(QPalette::WindowText),
                               label->palette().color(QPalette::Window)),
                      4.5)
                << when << " " << label->objectName().toStdString();
        for (QWidget* box : window.findChildren<QWidget*>()) {
            if (qobject_cast<QLineEdit*>(box) == nullptr && qobject_cast<QPlainTextEdit*>(box) == nullptr)
                continue;
            EXPECT_GE(Contrast(box->palette().color(QPalette::Text), box->palette().color(QPalette::Base)),
                      4.5)
                << when << " " << box->objectName().toStdString();
        }
    };
    check("before");
    QTest::mouseClick(Calculate(), Qt::LeftButton);  // 900.2 missed: pink
    EXPECT_EQ(Box("Fout")->palette().color(QPalette::Base), QColor(255, 190, 190));
    check("pink");
    QTest::mouseClick(Calculate(), Qt::LeftButton);  // 900 met: white
    EXPECT_EQ(Box("Fout")->palette().color(QPalette::Base), QColor(255, 255, 255));
    check("white");
    window_.reset();

    QApplication::setPalette(light);
    Kestrova& lightWindow = Open();
    QTest::mouseClick(Calculate(), Qt::LeftButton);
    EXPECT_EQ(Box("Fout")->palette().color(QPalette::Text), light.color(QPalette::Text));
    EXPECT_EQ(Results()->palette().color(QPalette::Text), light.color(QPalette::Text));
    EXPECT_EQ(lightWindow.palette().color(QPalette::Text), QColor(Qt::black));
}

// Every caption fits inside its label with a pixel to spare on either side,
// under the font the layout is measured for and under the fallback: the
// label's first and last columns of pixels hold no ink.
TEST_F(Window, EveryCaptionFitsItsLabel) {
    for (const char* family : {"Liberation Sans", "DejaVu Sans"}) {
        Kestrova& window = Open();
        window.show();
        for (QLabel* label : window.findChildren<QLabel*>()) {
            QFont font = window.font();
            font.setFamilies({QString::fromLatin1(family)});
            label->setFont(font);
            ASSERT_EQ(QFontInfo(label->font()).family(), QString::fromLatin1(family));
            FitCaption(*label);
            const QImage image = label->grab().toImage();
            const QRgb background = image.pixel(image.width() / 2, image.height() - 1);
            for (const int x : {0, image.width() - 1})
                for (int y = 0; y < image.height(); ++y)
                    EXPECT_EQ(image.pixel(x, y), background) << family << ": " << label->text().toStdString()
                                                             << " touches its edge at " << x << "," << y;
            EXPECT_LE(QFontMetricsF(label->font()).horizontalAdvance(label->text()), label->width() - 2.0)
                << family << ": " << label->text().toStdString();
            EXPECT_GE(label->font().pointSizeF(), 7.0) << family << ": " << label->text().toStdString();
        }
    }
}

// The pink of a missed frequency is heard as well as seen, and goes when
// the box turns white.
TEST_F(Window, MismatchIsHeardByAScreenReader) {
    Put(kExampleFile);
    Open().show();
    QAccessibleInterface* fout = QAccessible::queryAccessibleInterface(Box("Fout"));
    ASSERT_NE(fout, nullptr);
    EXPECT_EQ(fout->text(QAccessible::Description), QString());
    QTest::mouseClick(Calculate(), Qt::LeftButton);  // 900.2 missed: pink
    EXPECT_EQ(fout->text(QAccessible::Description),
              QStringLiteral("The achieved frequency misses the wanted one by more than 0.01"));
    EXPECT_EQ(Box("Fout")->text(), QStringLiteral(" 900"));
    QTest::mouseClick(Calculate(), Qt::LeftButton);  // 900 met: white
    EXPECT_EQ(fout->text(QAccessible::Description), QString());
}

// A screen reader names every box by its caption, and each caption is tied
// to its box.
TEST_F(Window, EveryBoxHasAnAccessibleName) {
    Kestrova& window = Open();
    window.show();
    const std::pair<const char*, const char*> names[] = {{"Fl", "FL"},
                                                         {"Fh", "FH"},
                                                         {"Fstep", "Step"},
                                                         {"Fo", "F0"},
                                                         {"Fref", "Fref"},
                                                         {"Fosc", "Fosc"},
                                                         {"DacGain", "DAC Gain"},
                                                         {"Fout", "Wanted Fout"},
                                                         {"Results", "Summary"},
                                                         {"Rt", "R register, hexadecimal"},
                                                         {"St", "S register, hexadecimal"},
                                                         {"Pt", "P register, hexadecimal"},
                                                         {"Ct", "C register, hexadecimal"},
                                                         {"Gt", "G register, hexadecimal"}};
    for (const auto& [box, name] : names) {
        QAccessibleInterface* accessible =
            QAccessible::queryAccessibleInterface(window.findChild<QWidget*>(QString::fromLatin1(box)));
        ASSERT_NE(accessible, nullptr) << box;
        EXPECT_EQ(accessible->text(QAccessible::Name), QString::fromLatin1(name)) << box;
    }
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        ASSERT_NE(label->buddy(), nullptr) << label->objectName().toStdString();
        const QString caption = label->text().simplified().remove(QStringLiteral(" 0x"));
        EXPECT_TRUE(label->buddy()->accessibleName().startsWith(caption))
            << label->objectName().toStdString();
    }
}

TEST_F(Window, FocusStartsOnFlAndTabFollowsTheChain) {
    OpenAndShow();
    EXPECT_EQ(FocusName(), QStringLiteral("Fl"));
    const char* chain[] = {"Fh",      "Fstep", "Fo", "Fref", "Fosc", "DacGain", "Fout", "Calculate",
                           "Results", "Rt",    "St", "Pt",   "Gt",   "Ct",      "Fl"};
    for (const char* next : chain) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(FocusName(), QString::fromLatin1(next));
    }
    Box("Pt")->setFocus();
    QTest::keyClick(Box("Pt"), Qt::Key_Backtab);
    EXPECT_EQ(FocusName(), QStringLiteral("St"));
}

TEST_F(Window, EnterAndEscapeInATextBoxDoNothing) {
    Put(kExampleFile);
    Kestrova& window = OpenAndShow();
    for (const char* name : {"Fl", "Fout", "Rt"}) {
        Box(name)->setFocus();
        QTest::keyClick(Box(name), Qt::Key_Return);
        QTest::keyClick(Box(name), Qt::Key_Enter);
        QTest::keyClick(Box(name), Qt::Key_Escape);
    }
    EXPECT_EQ(Results()->toPlainText(), QString());
    EXPECT_EQ(Box("Fout")->text(), QStringLiteral("900.2"));
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(reports_.empty());
}

TEST_F(Window, SpaceAndEnterOnTheButtonCalculate) {
    for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter}) {
        Put(kExampleFile);
        OpenAndShow();
        Calculate()->setFocus();
        ASSERT_EQ(FocusName(), QStringLiteral("Calculate"));
        QTest::keyClick(Calculate(), key);
        EXPECT_EQ(Box("Fout")->text(), QStringLiteral(" 900")) << key;
        EXPECT_EQ(Box("Rt")->text(), QStringLiteral("0014")) << key;
    }
}

TEST_F(Window, WorkedExampleTypedIn) {
    OpenAndShow();
    const std::pair<const char*, const char*> inputs[] = {
        {"Fl", "900"},  {"Fh", "1000"},  {"Fstep", "0.5"}, {"Fo", "700"},
        {"Fref", "10"}, {"Fosc", "950"}, {"DacGain", "2"}, {"Fout", "900.2"}};
    for (const auto& [name, text] : inputs) TypeInto(name, QString::fromLatin1(text));
    const QColor standard = Box("Fout")->palette().color(QPalette::Base);
    QTest::mouseClick(Calculate(), Qt::LeftButton);

    EXPECT_TRUE(reports_.empty());
    EXPECT_EQ(Box("Fout")->text(), QStringLiteral(" 900"));
    EXPECT_EQ(Box("Fout")->palette().color(QPalette::Base), QColor(255, 190, 190));
    EXPECT_NE(standard, QColor(255, 190, 190));
    EXPECT_EQ(Results()->toPlainText(),
              QStringLiteral("R 20\nN  400   S  16   P  12\nC  412\ngain .179   G  7\n"));
    const std::pair<const char*, const char*> registers[] = {
        {"Rt", "0014"}, {"St", "10"}, {"Pt", "00C"}, {"Ct", "19C"}, {"Gt", "07"}};
    for (const auto& [name, text] : registers)
        EXPECT_EQ(Box(name)->text(), QString::fromLatin1(text)) << name;

    // On a step: white again.
    TypeInto("Fout", QStringLiteral("900"));
    QTest::mouseClick(Calculate(), Qt::LeftButton);
    EXPECT_EQ(Box("Fout")->palette().color(QPalette::Base), QColor(255, 255, 255));
}

TEST_F(Window, FirstStartInAnEmptyDirectory) {
    Kestrova& window = Open();
    for (const char* name : {"Fl", "Fh", "Fstep", "Fo", "Fref", "Fosc", "DacGain", "Fout"})
        EXPECT_EQ(Box(name)->text(), QStringLiteral("0")) << name;
    for (const char* name : {"Rt", "St", "Pt", "Ct", "Gt"}) EXPECT_EQ(Box(name)->text(), QString()) << name;
    EXPECT_EQ(Saved(), "0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n");
    EXPECT_TRUE(reports_.empty());

    // Calculate straight away: the first step faults and nothing changes.
    const QColor before = Box("Fout")->palette().color(QPalette::Base);
    window.show();
    QTest::mouseClick(Calculate(), Qt::LeftButton);
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_EQ(reports_[0], QStringLiteral("The calculation stopped at R = Fref / Step: invalid operation.\n"
                                          "Fref and Step both read as 0."));
    EXPECT_EQ(Box("Fout")->text(), QStringLiteral("0"));
    EXPECT_EQ(Box("Fout")->palette().color(QPalette::Base), before);
    EXPECT_EQ(Results()->toPlainText(), QString());
    EXPECT_TRUE(window.isVisible());
}

TEST_F(Window, FaultAfterFoutKeepsExactlyWhatWasWritten) {
    Put("900\r\n700\r\n0.5\r\n700\r\n10\r\n950\r\n2\r\n900.2\r\n");  // FH = F0
    Open().show();
    Results()->setPlainText(QStringLiteral("old"));
    Box("Rt")->setText(QStringLiteral("old"));
    QTest::mouseClick(Calculate(), Qt::LeftButton);
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_EQ(
        reports_[0],
        QString::fromUtf8("The calculation stopped at gain = (Fout \u2212 F0) \u00d7 0.269 / (FH \u2212 F0): "
                          "division by zero.\nFout reads as 900; F0 and FH both read as 700."));
    EXPECT_EQ(Box("Fout")->text(), QStringLiteral(" 900"));
    EXPECT_EQ(Box("Fout")->palette().color(QPalette::Base), QColor(255, 190, 190));
    EXPECT_EQ(Results()->toPlainText(), QStringLiteral("old"));
    EXPECT_EQ(Box("Rt")->text(), QStringLiteral("old"));
}

TEST_F(Window, RealMessageBoxAppearsAndCloses) {
    window_ = std::make_unique<Kestrova>();  // the standard reporter
    window_->show();
    QString shown;
    QTimer::singleShot(0, [&shown] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        shown = box->text();
        box->accept();
    });
    QTest::mouseClick(Calculate(), Qt::LeftButton);
    EXPECT_TRUE(
        shown.startsWith(QStringLiteral("The calculation stopped at R = Fref / Step: invalid operation.")));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(Window, CloseSavesTheAchievedFrequencyForTheNextStart) {
    Put(kExampleFile);
    Open().show();
    QTest::mouseClick(Calculate(), Qt::LeftButton);
    EXPECT_TRUE(window_->close());
    EXPECT_EQ(Saved(), "900\r\n1000\r\n0.5\r\n700\r\n10\r\n950\r\n2\r\n 900\r\n");
    Open();
    EXPECT_EQ(Box("Fout")->text(), QStringLiteral(" 900"));
}

TEST_F(Window, CloseWithoutEditsRewritesTheSameFile) {
    const std::string file = " 1\r\n2\r\n3e3\r\n\r\nabc\r\n-6\r\n.7\r\n8 \r\n";
    Put(file);
    Open().show();
    EXPECT_TRUE(window_->close());
    EXPECT_EQ(Saved(), file);
}

TEST_F(Window, FailingLoadIsReportedAndTheWindowStillOpens) {
    fs::create_directory("Kestrova.INI");
    Kestrova& window = Open();
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_EQ(reports_[0],
              QStringLiteral(
                  "The settings could not be loaded.\n\"Kestrova.INI\" is a directory, not a regular file"));
    window.show();
    EXPECT_TRUE(window.isVisible());

    // Closing meets the same failure, reports it once, and still closes,
    // however many close requests arrive.
    EXPECT_TRUE(window.close());
    EXPECT_FALSE(window.isVisible());
    window.show();
    EXPECT_TRUE(window.close());
    ASSERT_EQ(reports_.size(), 2u);
    EXPECT_EQ(reports_[1],
              QStringLiteral(
                  "The settings could not be saved.\n\"Kestrova.INI\" is a directory, not a regular file"));
}

// The longest line a settings file holds goes through a box whole; a longer
// one is no settings file, reported and left as it is; a paste of 50 MB is
// cut at the box's limit.
TEST_F(Window, LongFieldSurvivesTheTextBox) {
    const std::string longest(65536, '7');
    const std::string rest = "\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n";
    Put(longest + rest);
    Open();
    EXPECT_EQ(window_->Panel().Text(Field::Fl), longest);
    window_->Panel().SetText(Field::Fh, std::string(50'000'000, '9'));
    EXPECT_EQ(window_->Panel().Text(Field::Fh).size(), 65536u);
    window_->Panel().SetText(Field::Fh, "1");
    EXPECT_TRUE(window_->close());
    EXPECT_EQ(Saved(), longest + rest);

    Put(longest + "7" + rest);
    Open();
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_EQ(
        reports_[0],
        QStringLiteral("The settings could not be loaded.\nthe first line of \"Kestrova.INI\" is longer "
                       "than 64 KiB: not a settings file"));
    EXPECT_TRUE(window_->close());
    EXPECT_EQ(Saved(), longest + "7" + rest);
    EXPECT_FALSE(fs::exists("Kestrova.INI.bak"));
}

// What a box takes, the file saves and loads back: 33,000 x "\u00e9" typed in
// is 66,000 bytes of UTF-8 but 33,000 of Latin-1; a paste that no line can
// hold is refused, not saved wrong or lost at the close.
TEST_F(Window, WhatABoxTakesIsSavedAndLoadedBack) {
    Put("0\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n");
    Open();
    QLineEdit* fl = Box("Fl");
    fl->clear();
    fl->insert(QString(33000, QChar(0xE9)));
    EXPECT_EQ(fl->text().size(), 33000);
    QLineEdit* fh = Box("Fh");
    fh->insert(QString(30000, QChar(0x20AC)));
    EXPECT_EQ(fh->text(), QStringLiteral("1")) << "90,000 bytes in any encoding: refused";
    EXPECT_TRUE(window_->close());
    EXPECT_EQ(Saved(), std::string(33000, '\xE9') + "\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n");
    Open();
    EXPECT_EQ(Box("Fl")->text(), QString(33000, QChar(0xE9)));
    EXPECT_TRUE(window_->close());
}

TEST_F(Window, PanelReadsAndWritesTheBoxesThemselves) {
    Open();
    CalcPanel& panel = window_->Panel();
    panel.SetText(Field::Fosc, " 900 \xC2\xB5");
    EXPECT_EQ(Box("Fosc")->text(), QString::fromUtf8(" 900 \xC2\xB5"));
    Box("DacGain")->setText(QStringLiteral("typed"));
    EXPECT_EQ(panel.Text(Field::DacGain), "typed");
    panel.SetText(Field::Results, "a\r\nb\r\n");
    EXPECT_EQ(Results()->toPlainText(), QStringLiteral("a\nb\n"));
    panel.SetFoutBackColor(Rgb{1, 2, 3});
    EXPECT_EQ(panel.FoutBackColor(), (Rgb{1, 2, 3}));
    EXPECT_EQ(Box("Fout")->palette().color(QPalette::Base), QColor(1, 2, 3));
}

// kestrova-plan computes each channel on an in-memory panel; its digits
// must be the window's, fault or no fault.
TEST_F(Window, PlanChannelsAreTheWindowsDigits) {
    const std::vector<std::vector<const char*>> cases = {
        {"900", "1000", "0.5", "700", "10", "950", "2", "900.2"},
        {"", "1000", "0.5", "700", "-10", "950", "2", "690"},
        {"x", "750", "0.25", "700", "10", "1300", "2.5", "913.37"},
        {"", "4e6", "0.001", "1e6", "3.3", "2.4e6", "0.125", "2.4e6"},
        {"", "1e308", "1", "0", "1", "950", "2", "1"},
        {"", "700", "0.5", "700", "10", "950", "2", "900.2"},
        {"", "1000", "0", "700", "10", "950", "2", "900.2"},
        {"", "1000", "1e-300", "0", "1e300", "950", "2", "900.2"},
        {"", "1000", "3", "699.9", "10", "950", "1e9", " 9 0 0 "},
    };
    Open().show();
    for (const auto& inputs : cases) {
        MemoryPanel memory;
        for (Field field : kAllFields) window_->Panel().SetText(field, "");
        for (std::size_t i = 0; i < kInputFields.size(); ++i) {
            Box(std::string(FieldName(kInputFields[i])).c_str())->setText(QString::fromLatin1(inputs[i]));
            memory.SetText(kInputFields[i], inputs[i]);
        }
        reports_.clear();
        QTest::mouseClick(Calculate(), Qt::LeftButton);
        plan::ChannelResult channel;
        CalculationMemo memo;
        plan::ComputeChannel(memory, memo, inputs[7], channel);
        EXPECT_EQ(channel.fault.has_value(), !reports_.empty()) << inputs[7];
        for (Field field : kAllFields) {
            if (field == Field::Results) continue;  // not part of a plan
            EXPECT_EQ(window_->Panel().Text(field), memory.Text(field))
                << FieldName(field) << " for " << inputs[7];
        }
        if (!channel.fault) {
            EXPECT_EQ(window_->Panel().FoutBackColor(), memory.FoutBackColor());
            EXPECT_EQ(channel.achievedText, window_->Panel().Text(Field::Fout));
            EXPECT_EQ(std::string(channel.registers[0]) + std::string(channel.registers[1]) +
                          std::string(channel.registers[2]) + std::string(channel.registers[3]) +
                          std::string(channel.registers[4]),
                      Box("Rt")->text().toStdString() + Box("St")->text().toStdString() +
                          Box("Pt")->text().toStdString() + Box("Ct")->text().toStdString() +
                          Box("Gt")->text().toStdString());
        }
    }
}

}  // namespace
}  // namespace kestrova

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
