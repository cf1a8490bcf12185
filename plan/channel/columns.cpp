// A channel's cells, made once for whichever format writes them, each by its
// column's own function.
#include "plan/channel/columns.h"

#include <charconv>
#include <type_traits>
#include <utility>

#include "core/numeric_text.h"

namespace kestrova::plan {
namespace cells {
namespace {

const ErrorColumns& ErrorsOf(const ChannelResult& c, CellScratch& scratch) {
    if (!scratch.errorsKnown) {
        scratch.errors = Errors(c);
        scratch.errorsKnown = true;
    }
    return scratch.errors;
}

bool Optional(const std::optional<std::string>& value, std::string_view& text) {
    if (!value) return false;
    text = *value;
    return true;
}

}  // namespace

bool Wanted(const ChannelResult& c, CellScratch&, CellBuffer& buffer, std::string_view& text) {
    text = buffer.text = WantedText(c);
    return true;
}

bool WantedValue(const ChannelResult& c, CellScratch&, CellBuffer& buffer, std::string_view& text) {
    text = buffer.text = NumberText(c.wanted);
    return true;
}

bool Achieved(const ChannelResult& c, CellScratch&, CellBuffer&, std::string_view& text) {
    text = Trimmed(c.achievedText);
    return true;
}

bool Error(const ChannelResult& c, CellScratch& scratch, CellBuffer&, std::string_view& text) {
    return Optional(ErrorsOf(c, scratch).error, text);
}

bool ErrorPpm(const ChannelResult& c, CellScratch& scratch, CellBuffer&, std::string_view& text) {
    return Optional(ErrorsOf(c, scratch).ppm, text);
}

bool Mismatch(const ChannelResult& c, CellScratch&, CellBuffer&, std::string_view& text) {
    text = c.values.mismatch ? kYes : kNo;
    return true;
}

template <std::int32_t RegisterValues::*Value>
bool Integer(const ChannelResult& c, CellScratch&, CellBuffer& buffer, std::string_view& text) {
    char* const first = buffer.digits.data();
    const char* const end = std::to_chars(first, first + buffer.digits.size(), c.values.*Value).ptr;
    text = std::string_view(first, static_cast<std::size_t>(end - first));
    return true;
}
template bool Integer<&RegisterValues::r>(const ChannelResult&, CellScratch&, CellBuffer&, std::string_view&);
template bool Integer<&RegisterValues::n>(const ChannelResult&, CellScratch&, CellBuffer&, std::string_view&);
template bool Integer<&RegisterValues::p>(const ChannelResult&, CellScratch&, CellBuffer&, std::string_view&);
template bool Integer<&RegisterValues::s>(const ChannelResult&, CellScratch&, CellBuffer&, std::string_view&);
template bool Integer<&RegisterValues::c>(const ChannelResult&, CellScratch&, CellBuffer&, std::string_view&);
template bool Integer<&RegisterValues::g>(const ChannelResult&, CellScratch&, CellBuffer&, std::string_view&);

bool Fault(const ChannelResult& c, CellScratch&, CellBuffer&, std::string_view& text) {
    if (!c.fault) return false;
    text = c.faultText;
    return true;
}

}  // namespace cells

// Each column's own function, called by its constant address so that the
// compiler can inline it.
template <std::size_t... I>
void FillColumns(const ChannelResult& c, ColumnSet wanted, CellScratch& scratch,
                 std::array<CellBuffer, kColumnCount>& buffers,
                 std::array<std::string_view, kColumnCount>& text, std::array<bool, kColumnCount>& present,
                 std::index_sequence<I...>) {
    const auto one = [&]<std::size_t Index>(std::integral_constant<std::size_t, Index>) {
        constexpr ColumnInfo column = kColumns[Index];
        if ((wanted & ColumnBit(column.column)) == 0 || (c.fault && !column.ofFault)) return;
        present[Index] = column.cell(c, scratch, buffers[Index], text[Index]);
    };
    (one(std::integral_constant<std::size_t, I>{}), ...);
}

void Cells::Fill(const ChannelResult& c, ColumnSet wanted) {
    present_.fill(false);
    scratch_.errorsKnown = false;
    FillColumns(c, wanted, scratch_, buffers_, text_, present_, std::make_index_sequence<kColumnCount>{});
}

}  // namespace kestrova::plan
