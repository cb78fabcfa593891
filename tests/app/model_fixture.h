// Helpers for driving the window model in tests.
#pragma once

#include "app/ardenca.h"
#include "app/commands.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ardenca::testing {

using FieldTexts = std::array<std::string, field_count>;
using FieldTextList = std::vector<std::pair<Field, const char*>>;

inline FieldTexts texts_of(const Ardenca& m) {
    FieldTexts t;
    for (int i = 0; i < field_count; ++i)
        t[i] = m.text(field_at(i));
    return t;
}

// The fields for which holds(field) is true, in field order.
template <class Pred> std::vector<Field> fields_where(Pred holds) {
    std::vector<Field> out;
    for (int i = 0; i < field_count; ++i)
        if (holds(field_at(i)))
            out.push_back(field_at(i));
    return out;
}

// The fields whose text differs from a snapshot.
inline std::vector<Field> changed_fields(const FieldTexts& before, const Ardenca& m) {
    return fields_where([&](Field f) { return before[field_index(f)] != m.text(f); });
}

inline std::vector<Field> stale_fields(const Ardenca& m) {
    return fields_where([&](Field f) { return m.stale(f); });
}

// The results a search writes only when it completes.
inline const std::vector<Field> ground_fields = {
    Field::Text9,  Field::Text10, Field::Text11, Field::Text12, Field::Text13, Field::Text14,
    Field::Text15, Field::Text16, Field::Text17, Field::Text18, Field::Text27, Field::Text28};

inline void set_fields(Ardenca& m, const FieldTextList& texts) {
    for (const auto& [field, text] : texts)
        m.set_text(field, text);
}

// Runs the commands named by letters in turn: l Calc Line, m Calc From Medium,
// + Calculate from Known  Z in, a Calculate a, b Calculate b.
inline void run(Ardenca& m, std::string_view commands) {
    for (char c : commands)
        run_command(m, static_cast<Command>(std::string_view("lm+ab").find(c)));
}

// Each field holds exactly its expected text.
inline void expect_texts(const Ardenca& m, const FieldTextList& expected) {
    for (const auto& [field, text] : expected)
        EXPECT_EQ(m.text(field), text) << field_name(field);
}

} // namespace ardenca::testing
