// Room for a dialog's title: a small dialog (one number asked for) is narrower than the
// title bar needs, and the window manager cuts the title ("NEC G…d Card").
#pragma once

class QWidget;

namespace ardenca::qt {

// Given a dialog with its title set, widens it so that the title bar shows the title
// whole beside the window's icon and buttons.
void fit_title(QWidget& dialog);

} // namespace ardenca::qt
