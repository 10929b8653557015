#pragma once

#include <QString>

class QWidget;

namespace kavrin {

inline constexpr char MessageBoxTitle[] = "Norvan Kavrin V2.37a";

// Message boxes from any thread: shown on the GUI thread (other threads wait for the answer),
// written to stderr when there is no GUI. The title is the program's name.
void showMessage(const QString& text);
// Yes and No; without a GUI the answer is No.
bool askYesNo(const QString& text);

} // namespace kavrin
