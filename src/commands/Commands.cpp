#include "commands/Commands.h"

namespace volmar {

void open1Click(Context&) {}
void parameterize1Click(Context&) {}

}  // namespace volmar
