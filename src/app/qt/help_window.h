// Help, User Guide…: the guide shipped with the program (docs/guide.html, installed
// beside it), in a text browser of its own. Flags and marks link to their sections.
#pragma once

#include <QString>

class QTextBrowser;
class QWidget;

namespace ardenca::qt {

// Where the guide is read from: the installed copy when there is one, else the copy
// built into the program.
QString guide_path();

// Opens the guide (one window for the program) at a section, e.g. "flag-ambiguous";
// the window, for tests.
QTextBrowser* show_guide(const QString& section = {});

} // namespace ardenca::qt
