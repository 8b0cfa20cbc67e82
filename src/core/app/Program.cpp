#include "core/app/Program.h"

namespace app {

ProgramValues& program() {
    static ProgramValues values;
    return values;
}

} // namespace app
