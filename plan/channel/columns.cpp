// A channel's cells, made once for whichever format writes them.
#include "plan/channel/columns.h"

#include <charconv>
#include <utility>

#include "core/numeric_text.h"

namespace kestrova::plan {

void Cells::Fill(const ChannelResult& c, ColumnSet wanted) {
    present_.fill(false);
    const auto set = [this](Column column, std::string_view text) {
        text_[Index(column)] = text;
        present_[Index(column)] = true;
    };
    wanted_ = WantedText(c);
    set(Column::Wanted, wanted_);
    if (c.fault) {
        set(Column::Fault, c.faultText);
        return;
    }
    set(Column::Achieved, Trimmed(c.achievedText));
    set(Column::Mismatch, c.values.mismatch ? kYes : kNo);
    for (std::size_t i = 0; i < kRegisterColumns.size(); ++i) set(kRegisterColumns[i], c.registers[i]);

    if ((wanted & ColumnBit(Column::WantedValue)) != 0)
        set(Column::WantedValue, wantedValue_ = NumberText(c.wanted));
    if ((wanted & (ColumnBit(Column::Error) | ColumnBit(Column::ErrorPpm))) != 0) {
        ErrorColumns errors = Errors(c);
        error_ = std::move(errors.error);
        ppm_ = std::move(errors.ppm);
        if (error_) set(Column::Error, *error_);
        if (ppm_) set(Column::ErrorPpm, *ppm_);
    }
    constexpr ColumnSet kIntegers = ColumnBit(Column::R) | ColumnBit(Column::N) | ColumnBit(Column::P) |
                                    ColumnBit(Column::S) | ColumnBit(Column::C) | ColumnBit(Column::G);
    if ((wanted & kIntegers) == 0) return;
    const std::pair<Column, std::int32_t> integers[] = {{Column::R, c.values.r}, {Column::N, c.values.n},
                                                        {Column::P, c.values.p}, {Column::S, c.values.s},
                                                        {Column::C, c.values.c}, {Column::G, c.values.g}};
    for (std::size_t i = 0; i < std::size(integers); ++i) {
        char* text = integers_[i].data();
        const char* end = std::to_chars(text, text + integers_[i].size(), integers[i].second).ptr;
        set(integers[i].first, std::string_view(text, static_cast<std::size_t>(end - text)));
    }
}

}  // namespace kestrova::plan
