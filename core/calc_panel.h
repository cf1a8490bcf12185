// The calculator panel: the fourteen named text fields through which the
// calculation, the settings file and the window exchange every value.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestrova {

// The fields of the panel. The first eight are the inputs, in the order of
// the settings file and of the window's tab chain; the rest are outputs.
enum class Field : std::uint8_t {
    Fl,
    Fh,
    Fstep,
    Fo,
    Fref,
    Fosc,
    DacGain,
    Fout,
    Results,
    Rt,
    St,
    Pt,
    Ct,
    Gt,
};

inline constexpr std::size_t kFieldCount = 14;

inline constexpr std::array<Field, 8> kInputFields = {
    Field::Fl, Field::Fh, Field::Fstep, Field::Fo, Field::Fref, Field::Fosc, Field::DacGain, Field::Fout,
};

// The synthesiser's parameters: the inputs other than the wanted frequency.
inline constexpr std::array<Field, 7> kParameterFields = {
    Field::Fl, Field::Fh, Field::Fstep, Field::Fo, Field::Fref, Field::Fosc, Field::DacGain,
};

inline constexpr std::array<Field, kFieldCount> kAllFields = {
    Field::Fl,   Field::Fh,      Field::Fstep, Field::Fo, Field::Fref, Field::Fosc, Field::DacGain,
    Field::Fout, Field::Results, Field::Rt,    Field::St, Field::Pt,   Field::Ct,   Field::Gt,
};

// What everything outside the calculation calls a field, in one table.
struct FieldInfo {
    std::string_view name;     // the control's name: "Fl", "DacGain", "Rt"
    std::string_view caption;  // the caption beside its box: "FL", "R  0x"; none for Results
    std::string_view spoken;   // what a screen reader says for the box
    std::string_view term;     // the field in formulas and messages: "FL", "DAC Gain", "Rt"
    int settingsLine;          // its line in the settings file, 1 to 8; 0 for an output
    std::string_view option;   // kestrova-plan's option for it, or none
};

inline constexpr std::array<FieldInfo, kFieldCount> kFieldTable = {{
    {"Fl", "FL", "FL", "FL", 1, "--fl"},
    {"Fh", "FH", "FH", "FH", 2, "--fh"},
    {"Fstep", "Step", "Step", "Step", 3, "--step"},
    {"Fo", "F0", "F0", "F0", 4, "--f0"},
    {"Fref", "Fref", "Fref", "Fref", 5, "--fref"},
    {"Fosc", "Fosc", "Fosc", "Fosc", 6, "--fosc"},
    {"DacGain", "DAC Gain", "DAC Gain", "DAC Gain", 7, "--dac-gain"},
    {"Fout", "Wanted Fout", "Wanted Fout", "Fout", 8, ""},
    {"Results", "", "Summary", "Results", 0, ""},
    {"Rt", "R  0x", "R register, hexadecimal", "Rt", 0, ""},
    {"St", "S  0x", "S register, hexadecimal", "St", 0, ""},
    {"Pt", "P  0x", "P register, hexadecimal", "Pt", 0, ""},
    {"Ct", "C  0x", "C register, hexadecimal", "Ct", 0, ""},
    {"Gt", "G  0x", "G register, hexadecimal", "Gt", 0, ""},
}};

constexpr const FieldInfo& Info(Field field) {
    return kFieldTable[static_cast<std::size_t>(field)];
}

// The control name of a field ("Fl", "DacGain", "Rt", ...).
constexpr std::string_view FieldName(Field field) {
    return Info(field).name;
}

// A 24-bit RGB colour.
struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kPink{255, 190, 190};

// The panel interface. Text is UTF-8. A get returns exactly what the last
// set stored, so a value written earlier in a calculation is what a later
// read sees; nothing is cached on either side.
class CalcPanel {
public:
    virtual ~CalcPanel() = default;

    virtual std::string Text(Field field) const = 0;
    virtual void SetText(Field field, std::string_view text) = 0;

    // The field's text without a copy, for a panel that holds its text
    // itself; valid until the field is next set. Nothing for a panel whose
    // text lives elsewhere (the window's boxes), where Text is the read.
    virtual const std::string* HeldText(Field) const { return nullptr; }

    // Background colour of Fout; the calculation never touches its text colour.
    virtual Rgb FoutBackColor() const = 0;
    virtual void SetFoutBackColor(Rgb colour) = 0;

protected:
    CalcPanel() = default;
    CalcPanel(const CalcPanel&) = default;
    CalcPanel& operator=(const CalcPanel&) = default;
};

// A field's text: the panel's own where it holds it, else read into copy.
inline const std::string& FieldText(const CalcPanel& panel, Field field, std::string& copy) {
    if (const std::string* held = panel.HeldText(field)) return *held;
    return copy = panel.Text(field);
}

// A panel held in memory: every field starts empty and Fout starts white.
class MemoryPanel final : public CalcPanel {
public:
    std::string Text(Field field) const override;
    void SetText(Field field, std::string_view text) override;
    const std::string* HeldText(Field field) const override {
        return &fields_[static_cast<std::size_t>(field)];
    }
    Rgb FoutBackColor() const override { return foutBack_; }
    void SetFoutBackColor(Rgb colour) override { foutBack_ = colour; }

private:
    std::array<std::string, kFieldCount> fields_{};
    Rgb foutBack_ = kWhite;
};

}  // namespace kestrova
