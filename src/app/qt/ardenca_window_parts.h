// What the main window's own files share: the table slots of its controls and the
// texts of the layout tables as Qt strings.
#pragma once

#include "app/commands.h"
#include "app/window_layout.h"

#include <QSize>
#include <QString>

#include <string_view>

namespace ardenca::qt::window_parts {

inline QString qstr(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline int container_slot(Container c) {
    return static_cast<int>(c);
}

// Given a command, its place in the command table.
inline int command_slot(Command command) {
    const auto& table = commands();
    for (std::size_t i = 0; i < table.size(); ++i)
        if (table[i].id == command)
            return static_cast<int>(i);
    return 0;
}

inline int option_slot(MatchingOption option) {
    return option == MatchingOption::UseMatchingSection ? 1 : 0;
}

// The smallest window: the scroll area shows the rest.
inline constexpr QSize smallest_window{320, 240};

} // namespace ardenca::qt::window_parts
