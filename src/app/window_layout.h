// The content of the main window as data: its fields with their captions and default
// texts, the frames that hold them, the option buttons, the command buttons and the
// free labels. Positions and sizes are in twips (15 twips = 1 pixel at 96 dpi),
// measured from the top-left of the inside of the container.
#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace ardenca {

enum class Field : int {
    Text1 = 1,
    Text2,
    Text3,
    Text4,
    Text5,
    Text6,
    Text7,
    Text8,
    Text9,
    Text10,
    Text11,
    Text12,
    Text13,
    Text14,
    Text15,
    Text16,
    Text17,
    Text18,
    Text19,
    Text20,
    Text21,
    Text22,
    Text23,
    Text24,
    Text25,
    Text26,
    Text27,
    Text28,
    Text29,
    Text30,
    Text31,
    Text32,
    Text33
};
inline constexpr int field_count = 33;

// "Text1" ... "Text33".
std::string_view field_name(Field field);
std::optional<Field> field_from_name(std::string_view name);
inline constexpr int field_index(Field field) {
    return static_cast<int>(field) - 1;
}
inline constexpr Field field_at(int index) {
    return static_cast<Field>(index + 1);
}

enum class Container { Window, Frame5, Frame1, Frame3, Frame2, Frame4, Picture1 };

enum class Align { Left, Center };

struct Rect {
    int left, top, width, height;
};

struct ContainerInfo {
    Container id;
    std::string_view name;
    std::string_view caption; // empty for the picture and the window
    Rect rect;                // in the window's client area
};

struct LabelInfo {
    std::string_view name;    // "Label15"; empty where the window needs no name for it
    std::string_view caption; // as shown (Unicode)
    Container container;
    Rect rect;
    Align align;
    double font_points; // 8.25 unless larger
};

struct FieldInfo {
    Field field;
    Container container;
    Rect rect;
    std::string_view default_text;
    LabelInfo label;
};

struct ButtonInfo {
    std::string_view name;
    std::string_view caption;
    Container container;
    Rect rect;
};

struct OptionInfo {
    std::string_view name;
    std::string_view caption;
    Rect rect; // in Frame5
};

inline constexpr std::string_view window_caption = "Ardenca";
inline constexpr int client_width_twips = 13935;
inline constexpr int client_height_twips = 6600;
inline constexpr double default_font_points = 8.25;

// The frames and the picture, in the order they stand in the window.
const std::array<ContainerInfo, 6>& containers();
const ContainerInfo& container_info(Container id);

// Every field with its caption label, in the order Text1 ... Text33.
const std::array<FieldInfo, field_count>& fields();
const FieldInfo& field_info(Field field);

// Labels that belong to no single field: "j" of the jβ caption and the heading of
// Text32/Text33.
const std::array<LabelInfo, 2>& free_labels();

const std::array<ButtonInfo, 5>& buttons();
const std::array<OptionInfo, 2>& options(); // Option1 "None", Option2 "Use Matching Section"

} // namespace ardenca
