// Helpers for driving the window model in tests.
#pragma once

#include "app/ardenca.h"

#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace ardenca::testing {

using FieldTexts = std::array<std::string, field_count>;

inline FieldTexts texts_of(const Ardenca& m) {
    FieldTexts t;
    for (int i = 0; i < field_count; ++i)
        t[i] = m.text(field_at(i));
    return t;
}

// The fields whose text differs between two snapshots.
inline std::vector<Field> changed_fields(const FieldTexts& before, const FieldTexts& after) {
    std::vector<Field> out;
    for (int i = 0; i < field_count; ++i)
        if (before[i] != after[i])
            out.push_back(field_at(i));
    return out;
}

// The results a search writes only when it completes.
inline const std::vector<Field> ground_fields = {
    Field::Text9,  Field::Text10, Field::Text11, Field::Text12, Field::Text13, Field::Text14,
    Field::Text15, Field::Text16, Field::Text17, Field::Text18, Field::Text27, Field::Text28};

// A probe and feed line on which the second stage cycles until the evaluation bound.
inline const std::vector<std::pair<Field, const char*>> endless_second_stage = {
    {Field::Text1, ".271"},     {Field::Text2, ".011"},     {Field::Text3, ".704"},
    {Field::Text8, "18.63"},    {Field::Text25, "384"},     {Field::Text26, "21.6"},
    {Field::Text23, "38.0199"}, {Field::Text24, "180.4741"}};

inline std::vector<Field> stale_fields(const Ardenca& m) {
    std::vector<Field> out;
    for (int i = 0; i < field_count; ++i)
        if (m.stale(field_at(i)))
            out.push_back(field_at(i));
    return out;
}

inline void set_fields(Ardenca& m, const std::vector<std::pair<Field, const char*>>& texts) {
    for (const auto& [field, text] : texts)
        m.set_text(field, text);
}

// Each field holds exactly its expected text.
inline void expect_texts(const Ardenca& m,
                         const std::vector<std::pair<Field, const char*>>& expected) {
    for (const auto& [field, text] : expected)
        EXPECT_EQ(m.text(field), text) << field_name(field);
}

} // namespace ardenca::testing
