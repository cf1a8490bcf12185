// The in-memory panel stores exactly what it is given.
#include <gtest/gtest.h>

#include "core/calc_panel.h"

namespace kestrova {
namespace {

TEST(MemoryPanel, StartsEmptyAndWhite) {
    const MemoryPanel panel;
    for (Field field : kAllFields) EXPECT_EQ(panel.Text(field), "") << FieldName(field);
    EXPECT_EQ(panel.FoutBackColor(), kWhite);
}

TEST(MemoryPanel, KeepsTextExactly) {
    MemoryPanel panel;
    for (const char* text : {"", " 900", "900 ", "0", "a\r\nb", "\xC3\xA9"}) {
        panel.SetText(Field::Fosc, "something else");
        panel.SetText(Field::Fosc, text);
        EXPECT_EQ(panel.Text(Field::Fosc), text);
    }
}

TEST(MemoryPanel, FieldsAreIndependent) {
    MemoryPanel panel;
    for (Field field : kAllFields) panel.SetText(field, FieldName(field));
    for (Field field : kAllFields) EXPECT_EQ(panel.Text(field), FieldName(field));
    panel.SetFoutBackColor(kPink);
    EXPECT_EQ(panel.FoutBackColor(), kPink);
}

}  // namespace
}  // namespace kestrova
