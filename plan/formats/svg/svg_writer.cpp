// A picture of a plan as one self-contained SVG 1.1 file: the error of the
// achieved frequency (with the tolerance as a band), the DAC code and the
// gain code in three panels over the wanted frequency. Each pixel column
// shows the least and the greatest value of its channels, so a band of any
// size gives a file of bounded size in which no spike is lost; channels that
// miss and channels that fault are marked by colour and by shape, the first
// of each in a column with its registers on hover.
#include <algorithm>
#include <array>
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
#include "plan/formats/svg/svg_columns.h"

namespace kestrova::plan {
namespace {

using namespace svg;

constexpr int kPlotLeft = 110, kWidth = 1200;
constexpr int kPanelHeight = 200, kPanelGap = 40, kFirstPanelTop = 110;
// The heading's lines above the first panel, and their characters.
constexpr std::size_t kHeadingLines = 3, kHeadingColumns = 160;
class SvgWriter final : public ChannelWriter {
public:
    ColumnSet Columns() const override { return ColumnBit(Column::Wanted) | ColumnBit(Column::Fault); }
    bool Collects() const override { return true; }

    void Begin(const Provenance& provenance, std::string&) const override {
        provenance_ = provenance;
        if (provenance.band) picture_.x = Shown({provenance.band->first, provenance.band->last});
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
            picture_.Add(record, rows.substr(sizeof record, record.labelSize));
            rows.remove_prefix(sizeof record + record.labelSize);
        }
    }

    void End(long long, long long, std::string& out) const override {
        picture_.Finish();
        Draw(out);
    }

private:
    double X(std::size_t column) const { return kPlotLeft + static_cast<double>(column) + 0.5; }

    void Text(std::string& out, const char* attributes, std::string_view text) const {
        out += "<text ";
        out += attributes;
        out += '>';
        AppendXmlText(out, text);
        out += "</text>\n";
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
        for (const double tick : Ticks(shown, !isError)) {
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
        // one value shows; columns with channels apart are joined from
        // middle to middle, as a sparse band's channels are: by a line for
        // the error, by a step for a code, which takes no value between.
        std::optional<std::pair<std::size_t, double>> previous;
        for (std::size_t i = 0; i < picture_.columns.size(); ++i) {
            const Range& r = picture_.columns[i].*range;
            if (r.Empty()) continue;
            const double y1 = y(r.high), y2 = y(r.low), middle = (y1 + y2) / 2;
            if (previous && previous->first + 1 < i) {
                out += 'M';
                out += Number(X(previous->first));
                out += ' ';
                out += Number(previous->second);
                if (isError) {
                    out += 'L';
                    out += Number(X(i));
                    out += ' ';
                } else {
                    out += 'H';
                    out += Number(X(i));
                    out += 'V';
                }
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
        for (std::size_t i = 0; i < picture_.columns.size(); ++i) {
            const PixelColumn& column = picture_.columns[i];
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
        const std::string made = MadeFrom(provenance_);
        const std::string what =
            "Error of the achieved frequency, DAC code C and gain code G over the wanted "
            "frequency" +
            (picture_.x.Empty() ? std::string()
                                : " from " + Number(picture_.x.low) + " to " + Number(picture_.x.high));
        out +=
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" "
            "version=\"1.1\" width=\"" +
            std::to_string(kWidth) + "\" height=\"" + std::to_string(height) + "\" viewBox=\"0 0 " +
            std::to_string(kWidth) + " " + std::to_string(height) +
            "\" role=\"img\" aria-labelledby=\"title desc\">\n<title id=\"title\">";
        AppendXmlText(out, what);
        out += "</title>\n<desc id=\"desc\">";
        AppendXmlText(out, picture_.Counts() + ". Made by " + made);
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
        // The heading has room for kHeadingLines lines above the panels: each
        // parameter's text is shortened, visibly, and so is a last line that
        // is not the end (the metadata and the description keep them whole).
        Provenance shown = provenance_;
        for (auto& parameter : shown.parameters) parameter.second = Shortened(Trimmed(parameter.second), 40);
        std::string heading;
        AppendWrapped(heading, MadeFrom(shown), 0, 0, kHeadingColumns);
        int line = 24;
        std::size_t lines = 0;
        for (std::size_t at = 0; at < heading.size(); line += 18) {
            const std::size_t end = heading.find('\n', at);
            std::string text = heading.substr(at, end - at);
            at = end + 1;
            if (++lines == kHeadingLines && at < heading.size())
                text = Shortened(text + " ...", kHeadingColumns);
            Text(out, ("class=\"heading\" x=\"16\" y=\"" + std::to_string(line) + "\"").c_str(), text);
            if (lines == kHeadingLines) break;
        }
        Text(out, ("x=\"16\" y=\"" + std::to_string(line + 4) + "\"").c_str(), picture_.Counts());
        Panel(out, kFirstPanelTop, "Fout \u2212 Wanted Fout", &PixelColumn::error, picture_.errors, true);
        Panel(out, kFirstPanelTop + kPanelHeight + kPanelGap, "C", &PixelColumn::c, picture_.c, false);
        Panel(out, kFirstPanelTop + 2 * (kPanelHeight + kPanelGap), "G", &PixelColumn::g, picture_.g, false);
        const int axis = kFirstPanelTop + 3 * kPanelHeight + 2 * kPanelGap;
        if (!picture_.x.Empty())
            for (const double tick : Ticks(picture_.x))
                Text(out,
                     ("class=\"tick\" text-anchor=\"middle\" x=\"" +
                      Number(kPlotLeft +
                             (tick - picture_.x.low) / (picture_.x.high - picture_.x.low) * kPlotWidth) +
                      "\" y=\"" + std::to_string(axis + 16) + "\"")
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
            if (picture_.faults[kind] > 0)
                legend += std::string("; ") +
                          (kind == 0   ? "red \u00d7"
                           : kind == 1 ? "red +"
                                       : "red \u25b3") +
                          ": " + FaultWords(static_cast<FaultKind>(kind)) + " (" +
                          std::to_string(picture_.faults[kind]) + ")";
        Text(out, ("x=\"16\" y=\"" + std::to_string(axis + 60) + "\"").c_str(), legend);
        out += "</svg>\n";
    }

    // Touched only by Begin, Collect and End, which run one after another.
    mutable Provenance provenance_;
    mutable PixelColumns picture_;
};

}  // namespace

std::unique_ptr<ChannelWriter> MakeSvgWriter() {
    return std::make_unique<SvgWriter>();
}

}  // namespace kestrova::plan
