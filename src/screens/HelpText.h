// The in-match help page (F1) and the quick game screen's "Управление игрой".
#pragma once

#include <string>

namespace kv {

std::string ComposeHelpText();

} // namespace kv
