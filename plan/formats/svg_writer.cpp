// A picture of a plan as one self-contained SVG 1.1 file: the error of the
// achieved frequency (with the tolerance as a band), the DAC code and the
// gain code in three panels over the wanted frequency. Each pixel column
// shows the least and the greatest value of its channels, so a band of any
// size gives a file of bounded size in which no spike is lost; channels that
// miss and channels that fault are marked by colour and by shape, the first
// of each in a column with its registers on hover.
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include "core/calc_fault.h"
#include "core/formulas.h"
#include "core/numeric_text.h"
#include "plan/channel/columns.h"
#include "plan/channel/text_escapes.h"
#include "plan/formats/channel_writer.h"

namespace kestrova::plan {
namespace {

constexpr int kPlotLeft = 110, kPlotWidth = 1040, kWidth = 1200;
constexpr int kPanelHeight = 200, kPanelGap = 40, kFirstPanelTop = 110;
constexpr std::size_t kFaultKinds = 3;
enum : std::uint8_t { kOk, kMismatch, kFault };

// A channel as a block carries it to the picture, followed by its label.
struct Record {
    double wanted, error;
    std::int32_t c, g;
    std::uint8_t kind, faultKind;
    std::uint32_t labelSize;
};

struct Range {
    double low = std::numeric_limits<double>::infinity(), high = -std::numeric_limits<double>::infinity();
    void Add(double value) { low = std::min(low, value), high = std::max(high, value); }
    bool Empty() const { return low > high; }
};

// One pixel column of the picture.
struct PixelColumn {
    Range error, c, g;
    double mismatchError = 0;
    std::string mismatchLabel, faultLabel;  // the first of each
    std::uint8_t faultKind = 0;
};

// Numbers for people: ten significant digits at most, never "-0".
std::string Number(double value) {
    char text[32];
    const char* end =
        std::to_chars(text, text + sizeof text, value == 0 ? 0.0 : value, std::chars_format::general, 10).ptr;
    return std::string(text, static_cast<std::size_t>(end - text));
}

// Ticks at 1, 2 or 5 times a power of ten, about six over the range.
std::vector<double> Ticks(Range range) {
    const double step0 = (range.high - range.low) / 6;
    const double power = std::pow(10, std::floor(std::log10(step0)));
    const double step = power * (step0 / power < 1.5   ? 1
                                 : step0 / power < 3.5 ? 2
                                 : step0 / power < 7.5 ? 5
                                                       : 10);
    std::vector<double> ticks;
    for (double k = std::ceil(range.low / step); k * step <= range.high + step * 1e-9; ++k)
        ticks.push_back(k * step);
    return ticks;
}

// A range that a panel can show: widened where all its values are one.
Range Shown(Range range) {
    if (range.Empty()) return {0, 1};
    if (range.high - range.low <= std::abs(range.high) * 1e-12) {
        const double half = std::max(std::abs(range.low) * 1e-3, 1.0);
        return {range.low - half, range.high + half};
    }
    return range;
}

class SvgWriter final : public ChannelWriter {
public:
    ColumnSet Columns() const override { return ColumnBit(Column::Wanted) | ColumnBit(Column::Fault); }
    bool Collects() const override { return true; }

    void Begin(const Provenance& provenance, std::string&) const override {
        provenance_ = provenance;
        if (provenance.band) x_ = Shown({provenance.band->first, provenance.band->last});
    }

    // Runs on the workers: the channel as a record.
    void Row(const ChannelResult& c, const Cells& cells, bool, std::string& out) const override {
        Record record{};
        std::string label = "wanted " + std::string(cells[Column::Wanted]);
        if (c.fault) {
            try {
                record.wanted = NumberFromText(c.wantedText);
            } catch (const CalcFault&) {
                record.wanted = std::numeric_limits<double>::quiet_NaN();  // counted, but nowhere on the axis
            }
            record.kind = kFault;
            record.faultKind = static_cast<std::uint8_t>(*c.fault);
            label += ": " + c.faultText;
        } else {
            record.wanted = c.wanted;
            record.error = c.values.achieved - c.wanted;
            record.c = c.values.c;
            record.g = c.values.g;
            record.kind = c.values.mismatch ? kMismatch : kOk;
            label += ", achieved " + std::string(Trimmed(c.achievedText));
            for (std::size_t i = 0; i < kRegisters.size(); ++i)
                label += ", " + std::string(kRegisters[i].letter) + " " + std::string(c.registers[i]);
        }
        if (record.kind == kOk) label.clear();
        record.labelSize = static_cast<std::uint32_t>(label.size());
        out.append(reinterpret_cast<const char*>(&record), sizeof record);
        out += label;
    }

    // Runs in the order of the channels, one block at a time.
    void Collect(std::string_view rows) override {
        while (rows.size() >= sizeof(Record)) {
            Record record;
            std::memcpy(&record, rows.data(), sizeof record);
            const std::string_view label = rows.substr(sizeof record, record.labelSize);
            rows.remove_prefix(sizeof record + record.labelSize);
            if (x_.Empty())
                kept_.emplace_back(record, std::string(label));  // a list: placed once its range is known
            else
                Place(record, label);
        }
    }

    void End(long long, long long, std::string& out) const override {
        if (x_.Empty()) {
            Range wanted;
            for (const auto& [record, label] : kept_)
                if (!std::isnan(record.wanted)) wanted.Add(record.wanted);
            x_ = Shown(wanted);
            for (const auto& [record, label] : kept_) Place(record, label);
        }
        Draw(out);
    }

private:
    void Place(const Record& record, std::string_view label) const {
        ++channels_;
        if (std::isnan(record.wanted)) {
            ++faults_[record.faultKind % kFaultKinds];
            return;
        }
        const double t = (record.wanted - x_.low) / (x_.high - x_.low);
        const auto i = static_cast<std::size_t>(std::clamp(t * kPlotWidth, 0.0, kPlotWidth - 1.0));
        PixelColumn& column = columns_[i];
        if (record.kind == kFault) {
            ++faults_[record.faultKind % kFaultKinds];
            if (column.faultLabel.empty()) column.faultLabel = label, column.faultKind = record.faultKind;
            return;
        }
        column.error.Add(record.error), column.c.Add(record.c), column.g.Add(record.g);
        errors_.Add(record.error), c_.Add(record.c), g_.Add(record.g);
        if (std::abs(record.error) > largest_) largest_ = std::abs(record.error), largestAt_ = record.wanted;
        if (record.kind != kMismatch) return;
        ++mismatches_;
        if (column.mismatchLabel.empty()) column.mismatchLabel = label, column.mismatchError = record.error;
    }

    double X(std::size_t column) const { return kPlotLeft + static_cast<double>(column) + 0.5; }

    void Text(std::string& out, const char* attributes, std::string_view text) const {
        out += "<text ";
        out += attributes;
        out += '>';
        AppendXmlText(out, text);
        out += "</text>\n";
    }

    std::string Counts() const {
        const long long faults = faults_[0] + faults_[1] + faults_[2];
        std::string counts = std::to_string(channels_) + (channels_ == 1 ? " channel, " : " channels, ") +
                             std::to_string(mismatches_) + " missing by more than " +
                             NumberText(formulas::kMismatchTolerance) + ", " + std::to_string(faults) +
                             (faults == 1 ? " fault" : " faults");
        if (largest_ >= 0) counts += "; largest |error| " + Number(largest_) + " at " + Number(largestAt_);
        return counts;
    }

    // One panel: frame, ticks, the data as a stroke a pixel column, marks.
    void Panel(std::string& out, int top, const char* caption, Range PixelColumn::*range, const Range& all,
               bool isError) const {
        Range shown = all;
        if (isError) shown.Add(formulas::kMismatchTolerance), shown.Add(-formulas::kMismatchTolerance);
        shown = Shown(shown);
        const auto y = [&](double v) {
            return top + kPanelHeight - (v - shown.low) / (shown.high - shown.low) * kPanelHeight;
        };
        out += "<rect class=\"frame\" x=\"" + std::to_string(kPlotLeft) + "\" y=\"" + std::to_string(top) +
               "\" width=\"" + std::to_string(kPlotWidth) + "\" height=\"" + std::to_string(kPanelHeight) +
               "\"/>\n";
        for (const double tick : Ticks(shown)) {
            const std::string at = Number(y(tick));
            out += "<line class=\"grid\" x1=\"" + std::to_string(kPlotLeft) + "\" x2=\"" +
                   std::to_string(kPlotLeft + kPlotWidth) + "\" y1=\"" + at + "\" y2=\"" + at + "\"/>\n";
            Text(out,
                 ("class=\"tick\" text-anchor=\"end\" x=\"" + std::to_string(kPlotLeft - 6) + "\" y=\"" + at +
                  "\" dy=\"4\"")
                     .c_str(),
                 Number(tick));
        }
        if (isError) {
            const double high = y(formulas::kMismatchTolerance), low = y(-formulas::kMismatchTolerance);
            out += "<rect class=\"tolerance\" x=\"" + std::to_string(kPlotLeft) + "\" y=\"" + Number(high) +
                   "\" width=\"" + std::to_string(kPlotWidth) + "\" height=\"" +
                   Number(std::max(low - high, 1.0)) + "\"/>\n";
        }
        Text(out,
             ("class=\"caption\" text-anchor=\"middle\" transform=\"translate(24 " +
              std::to_string(top + kPanelHeight / 2) + ") rotate(-90)\"")
                 .c_str(),
             caption);
        out += "<path class=\"data\" d=\"";
        // A column's least to greatest value, at least a pixel high so that
        // one value shows; columns with channels apart are joined by a line
        // from middle to middle, as a sparse band's channels are.
        std::optional<std::pair<std::size_t, double>> previous;
        for (std::size_t i = 0; i < columns_.size(); ++i) {
            const Range& r = columns_[i].*range;
            if (r.Empty()) continue;
            const double y1 = y(r.high), y2 = y(r.low), middle = (y1 + y2) / 2;
            if (previous && previous->first + 1 < i) {
                out += 'M';
                out += Number(X(previous->first));
                out += ' ';
                out += Number(previous->second);
                out += 'L';
                out += Number(X(i));
                out += ' ';
                out += Number(middle);
            }
            out += 'M';
            out += Number(X(i));
            out += ' ';
            out += Number(y2 - y1 < 1 ? y1 - 0.5 : y1);
            out += 'V';
            out += Number(y2 - y1 < 1 ? y1 + 0.5 : y2);
            previous.emplace(i, middle);
        }
        out += "\"/>\n";
        // The marks, the first in a column, none closer than a mark's width
        // to the one before: that one covers it.
        constexpr std::size_t kMarkWidth = 9;
        std::size_t nextFault = 0, nextMismatch = 0;
        for (std::size_t i = 0; i < columns_.size(); ++i) {
            const PixelColumn& column = columns_[i];
            const std::string x = Number(X(i));
            if (!column.faultLabel.empty() && i >= nextFault) {
                nextFault = i + kMarkWidth;
                static constexpr const char* kShapes[kFaultKinds] = {"m-5 -5l10 10m0 -10l-10 10",
                                                                     "m-6 0h12m-6 -6v12", "m0 -6l6 10h-12z"};
                out += "<g class=\"fault\"><title>";
                AppendXmlText(out, column.faultLabel);
                out += "</title><line x1=\"" + x + "\" x2=\"" + x + "\" y1=\"" + std::to_string(top) +
                       "\" y2=\"" + std::to_string(top + kPanelHeight) + "\"/><path d=\"M" + x + " " +
                       std::to_string(top + 10) + kShapes[column.faultKind % kFaultKinds] + "\"/></g>\n";
            }
            if (isError && !column.mismatchLabel.empty() && i >= nextMismatch) {
                nextMismatch = i + kMarkWidth;
                out += "<path class=\"mismatch\" d=\"M" + x + " " + Number(y(column.mismatchError) - 5) +
                       "l5 5l-5 5l-5 -5z\"><title>";
                AppendXmlText(out, column.mismatchLabel);
                out += "</title></path>\n";
            }
        }
    }

    void Draw(std::string& out) const {
        const int height = kFirstPanelTop + 3 * (kPanelHeight + kPanelGap) + 90;
        std::string made = provenance_.program + ":";
        for (std::size_t i = 0; i < provenance_.parameters.size(); ++i)
            made += (i == 0 ? " " : ", ") + std::string(Info(provenance_.parameters[i].first).term) + " " +
                    std::string(Trimmed(provenance_.parameters[i].second));
        const std::string what =
            "Error of the achieved frequency, DAC code C and gain code G over the wanted "
            "frequency" +
            (x_.Empty() ? std::string() : " from " + Number(x_.low) + " to " + Number(x_.high));
        out +=
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" "
            "version=\"1.1\" width=\"" +
            std::to_string(kWidth) + "\" height=\"" + std::to_string(height) + "\" viewBox=\"0 0 " +
            std::to_string(kWidth) + " " + std::to_string(height) +
            "\" role=\"img\" aria-labelledby=\"title desc\">\n<title id=\"title\">";
        AppendXmlText(out, what);
        out += "</title>\n<desc id=\"desc\">";
        AppendXmlText(out, Counts() + ". Made by " + made);
        out += "</desc>\n<metadata><plan xmlns=\"https://kestrova.org/2026/plan\" program=\"";
        AppendXmlText(out, provenance_.program);
        out += "\">";
        for (const auto& [field, text] : provenance_.parameters) {
            out += "<parameter term=\"";
            AppendXmlText(out, Info(field).term);
            out += "\" text=\"";
            AppendXmlText(out, text);
            out += "\"/>";
        }
        out +=
            "</plan></metadata>\n"
            "<style>\n"
            ".paper{fill:#fff} text{fill:#000;font-family:'Liberation Sans','DejaVu "
            "Sans',sans-serif;font-size:12px}\n"
            ".heading{font-size:14px} .frame{fill:none;stroke:#000} .grid{stroke:#ccc} "
            ".data{stroke:#1f4e9a;fill:none}\n"
            ".tolerance{fill:#c8e6c8} .mismatch{fill:#ffbebe;stroke:#a00000} "
            ".fault{stroke:#c00000;stroke-width:2;fill:none}\n"
            ".fault line{stroke-width:1;stroke-dasharray:3 3}\n"
            "@media (prefers-color-scheme:dark){.paper{fill:#1b1b1b} text{fill:#eee} .frame{stroke:#ddd} "
            ".grid{stroke:#444}"
            " .data{stroke:#8ab4f8} .tolerance{fill:#2e4d2e} .fault{stroke:#ff6b6b}}\n"
            "</style>\n<rect class=\"paper\" width=\"100%\" height=\"100%\"/>\n";
        std::string heading;
        AppendWrapped(heading, made, 0, 0, 160);
        int line = 24;
        for (std::size_t at = 0; at < heading.size(); line += 18) {
            const std::size_t end = heading.find('\n', at);
            Text(out, ("class=\"heading\" x=\"16\" y=\"" + std::to_string(line) + "\"").c_str(),
                 heading.substr(at, end - at));
            at = end + 1;
        }
        Text(out, ("x=\"16\" y=\"" + std::to_string(line + 4) + "\"").c_str(), Counts());
        Panel(out, kFirstPanelTop, "Fout \u2212 Wanted Fout", &PixelColumn::error, errors_, true);
        Panel(out, kFirstPanelTop + kPanelHeight + kPanelGap, "C", &PixelColumn::c, c_, false);
        Panel(out, kFirstPanelTop + 2 * (kPanelHeight + kPanelGap), "G", &PixelColumn::g, g_, false);
        const int axis = kFirstPanelTop + 3 * kPanelHeight + 2 * kPanelGap;
        if (!x_.Empty())
            for (const double tick : Ticks(x_))
                Text(out,
                     ("class=\"tick\" text-anchor=\"middle\" x=\"" +
                      Number(kPlotLeft + (tick - x_.low) / (x_.high - x_.low) * kPlotWidth) + "\" y=\"" +
                      std::to_string(axis + 16) + "\"")
                         .c_str(),
                     Number(tick));
        Text(out,
             ("class=\"caption\" text-anchor=\"middle\" x=\"" + std::to_string(kPlotLeft + kPlotWidth / 2) +
              "\" y=\"" + std::to_string(axis + 34) + "\"")
                 .c_str(),
             "Wanted Fout");
        // The legend: every kind of mark, and each fault kind with its count.
        std::string legend = "green band: within \u00b1" + NumberText(formulas::kMismatchTolerance) +
                             "; pink diamond: a channel that misses by more";
        for (std::size_t kind = 0; kind < kFaultKinds; ++kind)
            if (faults_[kind] > 0)
                legend += std::string("; ") +
                          (kind == 0   ? "red \u00d7"
                           : kind == 1 ? "red +"
                                       : "red \u25b3") +
                          ": " + FaultWords(static_cast<FaultKind>(kind)) + " (" +
                          std::to_string(faults_[kind]) + ")";
        Text(out, ("x=\"16\" y=\"" + std::to_string(axis + 60) + "\"").c_str(), legend);
        out += "</svg>\n";
    }

    // Touched only by Begin, Collect and End, which run one after another.
    mutable Provenance provenance_;
    mutable Range x_;
    mutable std::vector<std::pair<Record, std::string>> kept_;
    mutable std::array<PixelColumn, kPlotWidth> columns_{};
    mutable Range errors_, c_, g_;
    mutable long long channels_ = 0, mismatches_ = 0;
    mutable std::array<long long, kFaultKinds> faults_{};
    mutable double largest_ = -1, largestAt_ = 0;
};

}  // namespace

std::unique_ptr<ChannelWriter> MakeSvgWriter() {
    return std::make_unique<SvgWriter>();
}

}  // namespace kestrova::plan
