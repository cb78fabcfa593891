#include "window_layout.h"

#include <string>

namespace ardenca {

namespace {

using enum Container;
using enum Align;
using enum Field;

constexpr int field_w = 1095;
constexpr int field_h = 285;
constexpr int label_h = 255;
constexpr int label_above = 240;
constexpr double big_font = 9.75;

constexpr LabelInfo label(std::string_view caption, Container c, int left, int top, Align align,
                          int width = field_w, std::string_view name = {},
                          double points = default_font_points) {
    return {name, caption, c, {left, top - label_above, width, label_h}, align, points};
}

constexpr FieldInfo field(Field f, Container c, int left, int top, std::string_view text,
                          std::string_view caption, Align align, int label_w = field_w,
                          int width = field_w) {
    return {f, c, {left, top, width, field_h}, text, label(caption, c, left, top, align, label_w)};
}

constexpr std::array<ContainerInfo, 6> container_table{{
    {Frame5, "Frame5", "Matching Section", {120, 120, 2775, 1575}},
    {Frame1, "Frame1", "TL Dimensions", {120, 1800, 2775, 1695}},
    {Frame3, "Frame3", "Impedance Measurement Z_in", {120, 3600, 2775, 2895}},
    {Frame2, "Frame2", "TL_Air Parameters", {3000, 120, 2535, 2895}},
    {Frame4, "Frame4", "TL_Ground Parameters", {3000, 3120, 2535, 3375}},
    {Picture1, "Picture1", "", {5640, 240, 8175, 6255}},
}};

constexpr ContainerInfo window_container{Window, "Ardenca", "", {0, 0, 13935, 6600}};

constexpr std::array<FieldInfo, field_count> field_table{{
    field(Text1, Frame1, 120, 600, ".1", "Spacing m", Left),
    field(Text2, Frame1, 1440, 600, ".007", "Radius m", Left, 975),
    field(Text3, Frame1, 120, 1200, ".55", "Length m", Left, 975),
    field(Text4, Frame2, 120, 600, "", "Zo (air)", Center),
    field(Text5, Frame2, 120, 1200, "", "Xc open", Center),
    field(Text6, Frame2, 120, 2400, "", "C", Center),
    field(Text7, Frame2, 1320, 2400, "", "L", Center),
    field(Text8, Frame1, 1440, 1200, "7", "Frequency Mhz", Left),
    field(Text9, Frame4, 120, 2880, ".01", "Cond", Left),
    field(Text10, Frame4, 1320, 2880, "30", "Diel C", Left),
    field(Text11, Frame4, 120, 480, "", "C'", Center),
    field(Text12, Frame4, 1320, 480, "", "G'", Center),
    field(Text13, Frame4, 120, 1080, "", "Zo_R", Center),
    field(Text14, Frame4, 1320, 1080, "", "Zo_j X", Center),
    {Text15,
     Frame4,
     {120, 1680, field_w, field_h},
     "",
     label("\u03b1", Frame4, 120, 1680, Center, field_w, "Label15", big_font)},
    {Text16,
     Frame4,
     {1320, 1680, field_w, field_h},
     "",
     label("\u03b2", Frame4, 1800, 1680, Left, 615, "Label16", big_font)},
    field(Text17, Frame4, 120, 2280, "", "R in", Center),
    field(Text18, Frame4, 1320, 2280, "", "X_in", Center),
    field(Text19, Frame2, 1320, 600, "", "Length Degs", Center),
    field(Text20, Frame2, 1320, 1200, "", "Length Rads", Center),
    field(Text21, Frame2, 120, 1800, "", "C'", Center),
    field(Text22, Frame2, 1320, 1800, "", "L'", Center),
    field(Text23, Frame3, 120, 600, "65.1779", "R in", Center),
    field(Text24, Frame3, 1440, 600, "-67.3409", "X_in", Center),
    field(Text25, Frame5, 1440, 480, "75", "Zo", Left),
    field(Text26, Frame5, 1440, 1080, "9.77", "L Degrees", Left),
    field(Text27, Picture1, 360, 1560, "", "R", Center),
    field(Text28, Picture1, 1560, 1560, "", "j X", Center),
    field(Text29, Picture1, 5160, 1560, "", "R", Center),
    field(Text30, Picture1, 6360, 1560, "", "j X", Center, 975),
    {Text31,
     Window,
     {3120, 7320, 735, field_h},
     "1",
     label("ur", Window, 3120, 7320, Center, 735, "Label30", big_font)},
    field(Text32, Window, 4320, 7320, "", "R", Center),
    field(Text33, Window, 5640, 7320, "", "j X", Center),
}};

constexpr std::array<LabelInfo, 2> free_label_table{{
    {"Label24", "j", Frame4, {1440, 1440, 615, label_h}, Center, big_font},
    {"Label33",
     "Z_in if Matching Section Used",
     Window,
     {4320, 6840, 2415, label_h},
     Center,
     default_font_points},
}};

constexpr std::array<ButtonInfo, 5> button_table{{
    {"Line_Param", "Calc Line", Frame3, {120, 1320, 2415, 615}},
    {"Command2", "Calculate from Known  Z in", Frame3, {120, 2040, 2415, 615}},
    {"Medium", "Calc From Medium", Window, {240, 7200, 2415, 375}},
    {"Calc_a", "Calculate a", Window, {6960, 7200, 2415, 375}},
    {"Calc_b", "Calculate b", Window, {9480, 7200, 2415, 375}},
}};

constexpr std::array<OptionInfo, 2> option_table{{
    {"Option1", "None", {120, 360, 975, 375}},
    {"Option2", "Use Matching Section", {120, 720, 975, 735}},
}};

constexpr bool table_in_order() {
    for (int i = 0; i < field_count; ++i)
        if (field_index(field_table[i].field) != i)
            return false;
    return true;
}
static_assert(table_in_order(), "the field table must list Text1 ... Text33 in order");

const std::array<std::string, field_count>& names() {
    static const std::array<std::string, field_count> table = [] {
        std::array<std::string, field_count> t;
        for (int i = 0; i < field_count; ++i)
            t[i] = "Text" + std::to_string(i + 1);
        return t;
    }();
    return table;
}

} // namespace

std::string_view field_name(Field field) {
    return names()[field_index(field)];
}

std::optional<Field> field_from_name(std::string_view name) {
    for (int i = 0; i < field_count; ++i)
        if (names()[i] == name)
            return field_at(i);
    return std::nullopt;
}

const std::array<ContainerInfo, 6>& containers() {
    return container_table;
}

const ContainerInfo& container_info(Container id) {
    for (const auto& c : container_table)
        if (c.id == id)
            return c;
    return window_container;
}

const std::array<FieldInfo, field_count>& fields() {
    return field_table;
}
const FieldInfo& field_info(Field field) {
    return field_table[field_index(field)];
}
const std::array<LabelInfo, 2>& free_labels() {
    return free_label_table;
}
const std::array<ButtonInfo, 5>& buttons() {
    return button_table;
}
const std::array<OptionInfo, 2>& options() {
    return option_table;
}

} // namespace ardenca
