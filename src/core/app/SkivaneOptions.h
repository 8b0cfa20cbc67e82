#pragma once
// The command line of the skivane program. A normal start takes no argument (Qt's own options
// such as -platform and -style are left to Qt):
//   skivane --app-folder   prints the application folder this program uses (filling it with the
//                          shipped sounds and manual as a normal start does) and ends.
//   skivane --help, -h     prints the usage and ends.
//   skivane --version      prints the version and ends.
// Any other option, or an operand, is a usage error (status 2).
#include <optional>

namespace app {

// Does what the command line asks before any window exists. Returns the exit status when the
// program ends here, nothing when it starts normally.
std::optional<int> handleSkivaneOptions(int argc, char** argv);

} // namespace app
