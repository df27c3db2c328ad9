#include "data/name_dialog.h"

void ShowNameDialog(const std::string& /*prompt*/) {}
void Command1_Click(const std::string& /*typedName*/) {}
