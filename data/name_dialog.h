// The name-entry dialog (Form2) over the game window.
#pragma once

#include <string>

// Shows Form2 modally with Label1 set to `prompt`; returns when it has closed.
void ShowNameDialog(const std::string& prompt);
// The OK button: inserts the current score with `typedName`, saves, closes
// the input method.
void Command1_Click(const std::string& typedName);
